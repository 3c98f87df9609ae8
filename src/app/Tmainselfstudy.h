#pragma once

#include <QList>
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <memory>
#include <string>

#include "KeyStateEntry.h"
#include "Pictures.h"
#include "RemoteTables.h"
#include "TCollectCode.h"
#include "linkstate.h"

class CodeDeletion;
class DeviceModeSelector;
class DisplayMode;
class HintAnimationPlayer;
class IBtn;
class LearningSession;
class LinkStateWatcher;
class MemoryTools;
class QLabel;
class RemoteDevice;
class RemotePanel;

// The main window ("自学习"). It owns all state shared by the parts of the
// tool: the working copies of the remote's tables, the learning and deleting
// flags, the current device mode, and the threads that talk to the remote.
class Tmainselfstudy : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize clientSize{1016, 746};

    // Lays out the controls, then runs the creation handler: identifies the
    // remote and reads its tables.
    explicit Tmainselfstudy(RemoteDevice &device, QWidget *parent = nullptr);
    ~Tmainselfstudy() override;

    RemoteDevice &device() const { return m_device; }
    // Where the screen's size comes from and a change of display mode goes;
    // set before the window is shown.
    void setDisplayMode(std::unique_ptr<DisplayMode> displaymode);

    // Selects a device mode from one of its two buttons; the mode already
    // selected changes nothing, not even the status text.
    void selectmode(int mode, const QString &text);
    // Every key of the current mode shows the picture of what it holds in
    // `keystates`, a key waiting for its code too; keys without an entry keep their picture.
    void refreshkeypictures();
    // The picture set of what a key holds.
    const QList<QPixmap> &keypictureset(KeyStateEntry::Kind kind) const;
    bool modehaslearned() const;
    // The delete buttons are usable only in a mode with learned keys and while
    // the remote is attached (the link monitor hides the panel while it is away).
    void updatedeletebuttons();
    // Every click of a learnable key comes here: in delete mode it deletes the
    // key, in learning mode it learns it, unless a key is pending already.
    virtual void keyclick(IBtn *key);

    // The click handlers of the start/stop, delete-one and clear-all buttons.
    void beginstudyibtnClick();
    void IBtn78Click();
    void delallstudykeyClick();
    // The pending key goes back to waiting; learning stays on. `reason`, when
    // given, goes on the status line under the specified text.
    void capturefailed(const QString &reason = {});
    // The capture thread's completion handler.
    void storecapturedcode();
    // `key` learns the capture of a code the user gave instead of a press, by
    // the road of a capture; learning is on and no other key waits.
    void learnfromcapture(IBtn *key, const std::string &capture);
    // The delete of one key, as in delete mode (its right-click menu offers it).
    void deletekey(IBtn *key);
    // The memory gauge shows what the working copies hold.
    void updategauge();
    // Before the mode is cleared: the offer of a backup; false stops the clearing.
    bool offerbackup();
    MemoryTools &tools() const { return *m_tools; }
    // The current mode's first entry for `code` becomes "<code>|0".
    void markunlearned(const QString &code);
    // Shows the one hint panel that the learning and deleting flags call for.
    void showhintpanel();
    // `key` shows its entry of a picture set; a set without it changes nothing.
    void setkeypicture(IBtn *key, const QList<QPixmap> &set);
    // The capture window's clock, for tests; empty means the steady clock.
    void setCaptureClock(TCollectCode::Clock clock);
    // How often the link monitor tests the link, for tests; set before the window is shown.
    void setLinkInterval(std::chrono::milliseconds interval);

    // --- state set by start-up ---
    bool startfailed = false;
    bool closing = false;
    bool deletemode = false;
    bool studymode = false;
    QPointer<QThread> linkthread;
    QPointer<QThread> collectthread;
    std::string remoteid;
    RemoteTables tables;  // paramaddr, keystates, blockmap, allocrecords, ...
    QList<IBtn *> pendingkeys;
    std::string collectedcode;
    int devicemode = 0;
    Pictures pictures;  // loaded when the window is shown

    // --- controls ---
    QLabel *lab_ykqtype;
    QLabel *lab_softver;
    QLabel *lab_gjbb;
    QLabel *Image1 = nullptr;  // background
    RemotePanel *ykqbox = nullptr;
    IBtn *beginstudyibtn = nullptr;
    IBtn *delstudykey = nullptr;
    IBtn *delallstudykey = nullptr;
    IBtn *IBtn79 = nullptr;  // close
    QLabel *runstate_lab = nullptr;
    QLabel *Imagehint = nullptr;
    HintAnimationPlayer *donghuaflash2 = nullptr;
    QLabel *Image4 = nullptr;  // hints: the mode has learned keys
    QLabel *Image5 = nullptr;  // hints: learning
    QLabel *Image7 = nullptr;  // hints: deleting
    QLabel *Image8 = nullptr;  // hints: the mode has no learned key

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // The window's and the remote picture's right-click menu: the added tools' commands.
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void createControls();
    void createModeButtons();
    void centre();

    void FormCreate();
    bool waitForLink();
    // Steps after the link is up; false when the remote was refused.
    void identifyRemote();
    void readParameterBlocks();

    void FormShow();
    void checkscreensize();
    bool FormCloseQuery();
    void FormClose();
    // Closing from the show handler waits until the show is complete.
    void closeSoon();

    RemoteDevice &m_device;
    std::unique_ptr<DisplayMode> m_displaymode;
    DeviceModeSelector *m_modeselector = nullptr;
    LinkStateWatcher *m_linkwatcher = nullptr;
    std::unique_ptr<LearningSession> m_session;
    std::unique_ptr<CodeDeletion> m_deletion;
    MemoryTools *m_tools = nullptr;
    bool m_formShown = false;
    std::chrono::milliseconds m_linkinterval = linkstate::pollInterval;
};
