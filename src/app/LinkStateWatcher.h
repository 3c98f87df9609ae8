#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <string>

#include "MessageBoxes.h"
#include "linkstate.h"

class RemoteDevice;

// The main window's side of the link monitor: starts and stops the monitor
// thread, applies what it reports to the window's widgets and shows its boxes
// modelessly, so the window stays usable while the monitor waits for an answer.
// Nothing here waits for the thread, except the destructor.
class LinkStateWatcher : public QObject
{
    Q_OBJECT

public:
    // The widgets the monitor hides or disables while the remote is away.
    struct Panel
    {
        QPointer<QWidget> ykqbox;
        QPointer<QWidget> beginstudyibtn;
        QPointer<QWidget> delstudykey;
        QPointer<QWidget> delallstudykey;
    };

    // When the monitor ends by itself, `closeWindow` runs unless `closing`
    // (the window's flag) says the window is on its way out already.
    LinkStateWatcher(RemoteDevice &device, const Panel &panel, std::function<bool()> closing,
                     std::function<void()> closeWindow, QObject *parent = nullptr);
    // Stops the monitor and waits for its last device call: the device must outlive it.
    ~LinkStateWatcher() override;

    // Show handler: starts the monitor unless one is running.
    void start(const std::string &remoteid, std::chrono::milliseconds interval = linkstate::pollInterval);
    // Close query: the monitor ends at its next test; an open box closes
    // unanswered. Does not wait.
    void stop();
    // The running monitor (`linkthread`); null once it has ended.
    linkstate *thread() const { return m_thread; }

private:
    void setPanelPresent(bool present);
    void ask(const MessageBoxes::Box &box, MessageBoxes::Button accept);
    void monitorEnded();

    RemoteDevice &m_device;
    const Panel m_panel;
    const std::function<bool()> m_closing;
    const std::function<void()> m_closeWindow;
    QPointer<linkstate> m_thread;
    // Owner of the open box: deleting it withdraws the box.
    QPointer<QObject> m_question;
};
