#include "FaultingDevice.h"

void FaultingDevice::failCall(Operation op, int nth, int count)
{
    std::lock_guard lock(m_mutex);
    m_countdown.at(static_cast<std::size_t>(op)) = nth;
    m_count.at(static_cast<std::size_t>(op)) = count;
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
    m_detachCountdown = 0;
    for (std::size_t op = 0; op < operationCount; ++op)
        m_remote.injectFault(static_cast<Operation>(op), 0);
}

void FaultingDevice::before(Operation op)
{
    std::lock_guard lock(m_mutex);
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
}

bool FaultingDevice::link_state()
{
    before(Operation::LinkState);
    return m_inner.link_state();
}

bool FaultingDevice::ReadVersion(char *buffer)
{
    before(Operation::ReadVersion);
    return m_inner.ReadVersion(buffer);
}

bool FaultingDevice::readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow,
                                 const char *selector)
{
    before(Operation::ReadData);
    return m_inner.readdatav20(buffer, count, addrhigh, addrlow, selector);
}

bool FaultingDevice::writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data)
{
    before(Operation::WriteData);
    return m_inner.writedatav20(selector, addrhigh, addrlow, data);
}

bool FaultingDevice::WCodeTypeData(const char *data)
{
    before(Operation::WriteCodeTypeData);
    return m_inner.WCodeTypeData(data);
}

bool FaultingDevice::SetCodeCarrierWave()
{
    before(Operation::SetCodeCarrierWave);
    return m_inner.SetCodeCarrierWave();
}

bool FaultingDevice::RCollectCodeInfo(char *buffer)
{
    before(Operation::CollectCodeInfo);
    {
        std::unique_lock lock(m_mutex);
        if (m_hold) {
            ++m_held;
            m_released.wait(lock, [this] { return !m_hold; });
            --m_held;
        }
    }
    return m_inner.RCollectCodeInfo(buffer);
}

bool FaultingDevice::RBasicInfo(char *buffer)
{
    before(Operation::BasicInfo);
    return m_inner.RBasicInfo(buffer);
}
