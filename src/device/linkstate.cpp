#include "linkstate.h"

#include "BlockReader.h"
#include "RemoteDevice.h"

linkstate::linkstate(RemoteDevice &device, std::string remoteid, std::chrono::milliseconds interval)
    : m_device(device)
    , m_remoteid(std::move(remoteid))
    , m_interval(interval)
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void linkstate::requestStop()
{
    std::lock_guard lock(m_mutex);
    m_stop = true;
    m_wake.notify_all();
}

bool linkstate::stopRequested() const
{
    std::lock_guard lock(m_mutex);
    return m_stop;
}

void linkstate::reply(bool accepted)
{
    std::lock_guard lock(m_mutex);
    m_replied = true;
    m_accepted = accepted;
    m_wake.notify_all();
}

bool linkstate::sameRemote()
{
    // A failed read gives an empty text, which counts as another remote.
    const std::string info = BlockReader::readBasicInfo(m_device);
    return info.compare(0, identityLength, m_remoteid) == 0;
}

bool linkstate::pause()
{
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, m_interval, [this] { return m_stop; });
}

linkstate::Reply linkstate::ask(void (linkstate::*question)())
{
    {
        std::lock_guard lock(m_mutex);
        m_replied = false;
    }
    emit(this->*question)();
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_stop || m_replied; });
    if (m_stop)
        return Reply::Stopped;
    return m_accepted ? Reply::Accepted : Reply::Declined;
}

void linkstate::run()
{
    bool waslost = false;
    while (!stopRequested()) {
        // Acted on at once, the pause comes after: an unplugged remote shows
        // within one interval, and a box answered comes back one interval later.
        const bool lostnow = !m_device.link_state();
        if (lostnow) {
            waslost = true;
            emit linkLost();
            const Reply reconnect = ask(&linkstate::reconnectQuestion);
            if (reconnect == Reply::Stopped)
                return;
            // Cancel asks whether to quit; Cancel to that goes on like Retry.
            if (reconnect == Reply::Declined && ask(&linkstate::quitQuestion) != Reply::Declined)
                return;
            // Without the identity start-up could not read, a comeback cannot be told apart.
            if (m_remoteid.empty())
                return;
        } else if (waslost) {
            // Another remote, or one that cannot tell which it is: the panel
            // stays disabled, and the window closes over it.
            if (!sameRemote())
                return;
            waslost = false;
            emit linkRestored();
        }
        if (!pause())
            return;
    }
}
