#pragma once

#include <optional>
#include <string>

#include <QTimer>
#include <QWidget>

#include "OriginalRemote.h"
#include "RemoteStatus.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class RemoteLink;
class RemotePicture;

// The original remote in a window: its keys send their codes to the virtual
// remote's receiver, and the virtual remote's link state is shown and can be
// changed by mouse (pull or plug the USB link, swap the identity).
class OriginalWindow : public QWidget
{
public:
    static constexpr int pollIntervalMs = 500;
    // Earlier results kept below the last one.
    static constexpr int historyLength = 50;

    explicit OriginalWindow(const std::string &socketPath, QWidget *parent = nullptr);

    QString statusLine() const;
    QString linkLine() const;
    RemotePicture *picture() const { return m_picture; }

    // Presses a key of the selected device.
    void press(OriginalKey key);
    // Asks the server for its state now (the timer does it every pollIntervalMs).
    void refreshStatus();

private:
    void selectDevice(int index);
    void changeLink(const std::string &request);
    void showStatus(const RemoteClient::Reply &reply);
    void updateButtons();
    void setStatusLine(const std::string &text);
    // A result: the one before moves down into the history.
    void report(const std::string &text);

    OriginalRemote m_remote;
    RemoteLink *m_link;
    RemotePicture *m_picture;
    QComboBox *m_devices;
    QLabel *m_linkLabel;
    QLabel *m_statusLabel;
    QListWidget *m_history;
    QPushButton *m_attach;
    QPushButton *m_detach;
    QPushButton *m_identity;
    QTimer m_poll;
    bool m_statusPending = false;
    std::optional<QString> m_lastResult;  // not what is on its way
    std::optional<RemoteStatus> m_status;
};
