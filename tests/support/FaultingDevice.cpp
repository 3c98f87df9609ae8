#include "FaultingDevice.h"

#include <utility>

#include "HexText.h"

void FaultingDevice::failCall(Operation op, int nth, int count)
{
    std::lock_guard lock(m_mutex);
    m_countdown.at(static_cast<std::size_t>(op)) = nth;
    m_count.at(static_cast<std::size_t>(op)) = count;
}

void FaultingDevice::loseReplies(Operation op, int nth, int count)
{
    std::lock_guard lock(m_mutex);
    m_losses.at(static_cast<std::size_t>(op)) = {nth, count, 0};
}

void FaultingDevice::detachBeforeCall(int nth)
{
    std::lock_guard lock(m_mutex);
    m_detachCountdown = nth;
}

void FaultingDevice::holdPolls(bool hold)
{
    std::lock_guard lock(m_mutex);
    m_hold = hold;
    m_released.notify_all();
}

int FaultingDevice::heldPolls() const
{
    std::lock_guard lock(m_mutex);
    return m_held;
}

void FaultingDevice::disarm()
{
    std::lock_guard lock(m_mutex);
    m_countdown.fill(0);
    m_losses.fill({});
    m_detachCountdown = 0;
    for (std::size_t op = 0; op < operationCount; ++op)
        m_remote.injectFault(static_cast<Operation>(op), 0);
}

bool FaultingDevice::before(Operation op)
{
    std::lock_guard lock(m_mutex);
    Losses &losses = m_losses.at(static_cast<std::size_t>(op));
    bool lose = losses.left > 0;
    if (lose)
        --losses.left;
    if (losses.countdown > 0 && --losses.countdown == 0) {
        lose = true;
        losses.left = losses.count - 1;
    }
    if (lose) {
        ++m_lost.at(static_cast<std::size_t>(op));
        ++m_injected;
    }
    int &countdown = m_countdown.at(static_cast<std::size_t>(op));
    if (countdown > 0 && --countdown == 0) {
        m_remote.injectFault(op, m_count.at(static_cast<std::size_t>(op)));
        ++m_injected;
        ++m_failures.at(static_cast<std::size_t>(op));
    }
    if (m_detachCountdown > 0 && --m_detachCountdown == 0) {
        m_remote.detach();
        ++m_injected;
        ++m_detaches;
    }
    return lose;
}

bool FaultingDevice::link_state()
{
    const bool lost = before(Operation::LinkState);
    return m_inner.link_state() && !lost;
}

bool FaultingDevice::ReadVersion(char *buffer)
{
    const bool lost = before(Operation::ReadVersion);
    return m_inner.ReadVersion(buffer) && !lost;
}

bool FaultingDevice::readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow,
                                 const char *selector)
{
    const bool lost = before(Operation::ReadData);
    return m_inner.readdatav20(buffer, count, addrhigh, addrlow, selector) && !lost;
}

bool FaultingDevice::writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data)
{
    const bool lost = before(Operation::WriteData);
    if (!m_inner.writedatav20(selector, addrhigh, addrlow, data))
        return false;
    if (const auto address = HexText::parse(std::string(addrhigh) + addrlow)) {
        std::lock_guard lock(m_mutex);
        m_written.insert(*address);
    }
    return !lost;
}

std::set<std::uint32_t> FaultingDevice::takeWrittenAddresses()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_written, {});
}

bool FaultingDevice::WCodeTypeData(const char *data)
{
    const bool lost = before(Operation::WriteCodeTypeData);
    return m_inner.WCodeTypeData(data) && !lost;
}

bool FaultingDevice::SetCodeCarrierWave()
{
    const bool lost = before(Operation::SetCodeCarrierWave);
    return m_inner.SetCodeCarrierWave() && !lost;
}

bool FaultingDevice::RCollectCodeInfo(char *buffer)
{
    const bool lost = before(Operation::CollectCodeInfo);
    {
        std::unique_lock lock(m_mutex);
        if (m_hold) {
            ++m_held;
            m_released.wait(lock, [this] { return !m_hold; });
            --m_held;
        }
    }
    return m_inner.RCollectCodeInfo(buffer) && !lost;
}

bool FaultingDevice::RBasicInfo(char *buffer)
{
    const bool lost = before(Operation::BasicInfo);
    return m_inner.RBasicInfo(buffer) && !lost;
}
