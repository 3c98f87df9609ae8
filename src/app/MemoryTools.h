#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <string>

#include "CapturedCodeStore.h"
#include "ConverterLibrary.h"
#include "InfraredSignal.h"
#include "KeyStateEntry.h"

class IBtn;
class QLabel;
class QMenu;
class QToolButton;
class Tmainselfstudy;

// What the main window adds to know and protect what the remote holds: what
// a key holds (its tooltip and its right-click menu), the memory gauge, backup
// and restore, learning a key from a code instead of a press, and exporting
// the keys' codes to an infrared signal file. The controls sit where the
// specified window leaves room: the gauge in the strip under the hints panel,
// the commands in a menu button beside it, and again in the right-click menu
// of the window and of the remote picture. Every box goes through
// MessageBoxes, every file through its file chooser.
class MemoryTools : public QObject
{
    Q_OBJECT

public:
    explicit MemoryTools(Tmainselfstudy &window);

    // "Keys 40/400 · Slots 12/32 · Blocks 118/1020" from the working copies.
    void updategauge();
    // What a green or red key of the current mode holds; empty for a key without a code.
    QString keydetails(IBtn *key);
    // The actions that apply to `key` now; the caller owns the menu.
    QMenu *keymenu(IBtn *key);
    // The window's commands, for the menu button and the window's right-click menu.
    QMenu *commandsmenu() const { return m_commands; }

    // Saves the remote's whole memory to a file the user picks; false when
    // the user cancelled or nothing was saved.
    bool backup();
    void restore();
    // The keys holding a code, of the current mode or of all modes.
    void exportcodes(bool allModes);
    // `key` learns a code the user types, or a button of a file the user picks;
    // null: the key waiting for a press.
    void learnfromcode(IBtn *key = nullptr);
    void learnfromfile(IBtn *key = nullptr);
    // Before the mode is cleared: offers a backup first. False stops the clearing.
    bool offerbackup();
    // The status line's word when learning failed for lack of room; empty otherwise.
    QString roomshortage(CapturedCodeStore::Outcome outcome) const;

    QLabel *gauge() const { return m_gauge; }
    QToolButton *menubutton() const { return m_menubutton; }

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The key a code is for: `key`, else the one waiting; null after saying why not.
    IBtn *codetarget(IBtn *key);
    void learnsignal(IBtn *key, const std::optional<InfraredSignal> &signal, const std::string &error);
    int entryindex(IBtn *key) const;
    // What `key` holds in the current mode, as its picture shows; nothing for a key not listed.
    std::optional<KeyStateEntry::Kind> kindof(IBtn *key) const;
    void showdetails(IBtn *key);
    void reloadtables();
    // The path and contents of a file the user picks to read; nothing when the
    // user cancels or the file cannot be read (which the user is told).
    std::optional<std::pair<QString, QByteArray>> readchosen(const QString &caption, const QString &filter);
    // Saves `contents` in a file the user picks, starting at `suggested` in the
    // home folder; the path, or empty when cancelled or not saved (which the user is told).
    QString savechosen(const QString &caption, const QString &filter, const QString &suggested,
                       const QByteArray &contents);

    Tmainselfstudy &w;
    ConverterLibrary m_converter;
    QLabel *m_gauge = nullptr;
    QToolButton *m_menubutton = nullptr;
    QMenu *m_commands = nullptr;
};
