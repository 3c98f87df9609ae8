#include "TCollectCode.h"

#include <chrono>

#include "RemoteDevice.h"

namespace
{
std::int64_t steadySeconds()
{
    using namespace std::chrono;
    return duration_cast<seconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

TCollectCode::TCollectCode(RemoteDevice &device, Clock clock, std::shared_ptr<Result> result)
    : m_device(device)
    , m_clock(clock ? std::move(clock) : Clock(steadySeconds))
    , m_result(std::move(result))
{ }

TCollectCode *TCollectCode::start(RemoteDevice &device, std::string &collectedcode, QObject *context,
                                  std::function<void()> completion, Clock clock)
{
    collectedcode.clear();
    auto result = std::make_shared<Result>();
    auto *thread = new TCollectCode(device, std::move(clock), result);
    // The worker fills its own text; the window's field is set on the window's
    // thread, so a window that goes away mid-capture is never written to.
    // Connected before deleteLater: queued calls to one thread run in order.
    connect(thread, &QThread::finished, context, [result, &collectedcode, completion = std::move(completion)] {
        {
            const std::lock_guard<std::mutex> taken(result->lock);
            collectedcode = std::move(result->code);
        }
        completion();
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->QThread::start();
    return thread;
}

void TCollectCode::run()
{
    // Taken before capture mode is set: the time that takes counts against the window.
    const std::int64_t startStamp = m_clock();
    if (!m_device.SetCodeCarrierWave())
        return;
    while (!isInterruptionRequested()) {
        if (m_clock() - startStamp > windowSeconds)
            return;
        // A fresh zeroed buffer per poll: the library is not told its size and
        // writes only the code, so nothing of an earlier poll may linger.
        auto buffer = std::make_unique<char[]>(bufferSize);
        if (m_device.RCollectCodeInfo(buffer.get())) {
            const std::lock_guard<std::mutex> filled(m_result->lock);
            m_result->code.assign(buffer.get(), bufferSize);
            return;
        }
        buffer.reset();
        if (!m_device.link_state())
            return;
    }
}
