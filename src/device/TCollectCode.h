#pragma once

#include <QThread>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class RemoteDevice;

// One code capture: puts the remote into capture mode and polls it for a
// captured code during a window of 6 to 7 seconds, off the user-interface
// thread. The thread is never waited for: a stop is requested with
// requestInterruption(), which it reads before every poll, and it deletes
// itself after its completion handler has run.
class TCollectCode : public QThread
{
    Q_OBJECT

public:
    // Whole seconds on a clock that neither wraps nor jumps, so that a window
    // across midnight (or a clock change) lasts as long as any other.
    using Clock = std::function<std::int64_t()>;

    static constexpr std::size_t bufferSize = 10240;
    // The capture ends at the first check 7 whole seconds after the start stamp.
    static constexpr std::int64_t windowSeconds = 6;

    // Starts a capture. `collectedcode` is emptied now; on the thread of
    // `context`, once the work has ended, it receives the captured buffer (all
    // 10240 bytes, zero bytes included; empty when nothing was captured) and
    // then `completion` runs. If `context` is gone by then, neither happens.
    // An empty clock means the system's steady clock.
    static TCollectCode *start(RemoteDevice &device, std::string &collectedcode, QObject *context,
                               std::function<void()> completion, Clock clock = {});

protected:
    void run() override;

private:
    // The captured buffer, handed from the worker to the context's thread. Qt's
    // queued call already orders the two; the lock makes the hand-off plain
    // without relying on Qt's insides, which thread checkers cannot see.
    struct Result
    {
        std::mutex lock;
        std::string code;
    };

    TCollectCode(RemoteDevice &device, Clock clock, std::shared_ptr<Result> result);

    RemoteDevice &m_device;
    const Clock m_clock;
    // Shared with the completion connection, which may outlive this object's last poll.
    const std::shared_ptr<Result> m_result;
};
