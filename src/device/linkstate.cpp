#include "linkstate.h"

#include "BlockReader.h"
#include "RemoteDevice.h"

linkstate::linkstate(RemoteDevice &device, std::string remoteid, std::chrono::milliseconds interval)
    : device_(device)
    , remoteid_(std::move(remoteid))
    , interval_(interval)
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void linkstate::requestStop()
{
    std::lock_guard lock(mutex_);
    stop_ = true;
    wake_.notify_all();
}

bool linkstate::stopRequested() const
{
    std::lock_guard lock(mutex_);
    return stop_;
}

void linkstate::reply(bool accepted)
{
    std::lock_guard lock(mutex_);
    replied_ = true;
    accepted_ = accepted;
    wake_.notify_all();
}

bool linkstate::sameRemote()
{
    // A failed read gives an empty text, which counts as another remote.
    const std::string info = BlockReader::readBasicInfo(device_);
    return info.compare(0, identityLength, remoteid_) == 0;
}

bool linkstate::pause()
{
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, interval_, [this] { return stop_; });
}

linkstate::Reply linkstate::ask(void (linkstate::*question)())
{
    {
        std::lock_guard lock(mutex_);
        replied_ = false;
    }
    emit(this->*question)();
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return stop_ || replied_; });
    if (stop_)
        return Reply::Stopped;
    return accepted_ ? Reply::Accepted : Reply::Declined;
}

void linkstate::run()
{
    bool waslost = false;
    while (!stopRequested()) {
        // Acted on at once, the pause comes after: an unplugged remote shows
        // within one interval, and a box answered comes back one interval later.
        const bool lostnow = !device_.link_state();
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
            if (remoteid_.empty())
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
