#pragma once

#include <QThread>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

class RemoteDevice;

// The link monitor: polls the USB link for the whole life of the main window.
// It touches no widget; what the user sees it asks for through its signals,
// which reach the user-interface thread queued, and a question blocks only
// this thread until reply() or a stop. It deletes itself when it ends.
//
// It ends by itself when another remote (or an unreadable one) comes back,
// when the user chooses to quit, or when the window's identity is empty after
// a reconnect question.
class linkstate : public QThread
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds pollInterval{200};
    // Two remotes are the same when the basic information starts with the same characters.
    static constexpr std::size_t identityLength = 30;

    // `remoteid` is the identity start-up read; it does not change afterwards.
    linkstate(RemoteDevice &device, std::string remoteid, std::chrono::milliseconds interval = pollInterval);

    // From any thread: the loop ends at its next test. A pause or an open
    // question ends at once, without waiting for the user.
    void requestStop();
    bool stopRequested() const;
    // From the user-interface thread, once per question: Retry to the
    // reconnect question, OK to the quit question.
    void reply(bool accepted);

signals:
    // Hide the remote panel and disable the learning and deleting commands.
    void linkLost();
    // Show the panel and enable the three commands, whatever their state was.
    void linkRestored();
    void reconnectQuestion();
    void quitQuestion();

protected:
    void run() override;

private:
    enum class Reply
    {
        Accepted,
        Declined,
        Stopped
    };

    bool sameRemote();
    // False when a stop came during the pause.
    bool pause();
    Reply ask(void (linkstate::*question)());

    RemoteDevice &m_device;
    const std::string m_remoteid;
    const std::chrono::milliseconds m_interval;

    // Standard primitives rather than Qt's: the thread sanitizer sees them.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_replied = false;
    bool m_accepted = false;
};
