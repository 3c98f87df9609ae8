#include "RecordingDevice.h"

#include "HexText.h"

RecordingDevice::RecordingDevice(RemoteDevice &inner)
    : m_inner(inner)
{ }

void RecordingDevice::failRead(int number)
{
    m_readsLeft = number;
}

std::vector<RecordingDevice::Write> RecordingDevice::writesAt(std::uint16_t address) const
{
    std::vector<Write> found;
    for (const Write &write : m_writes) {
        if (write.address == address)
            found.push_back(write);
    }
    return found;
}

void RecordingDevice::clear()
{
    m_writes.clear();
}

bool RecordingDevice::link_state()
{
    return m_inner.link_state();
}

bool RecordingDevice::ReadVersion(char *buffer)
{
    return m_inner.ReadVersion(buffer);
}

bool RecordingDevice::readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow,
                                  const char *selector)
{
    if (m_readsLeft > 0 && --m_readsLeft == 0)
        return false;
    return m_inner.readdatav20(buffer, count, addrhigh, addrlow, selector);
}

bool RecordingDevice::writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data)
{
    const bool ok = m_inner.writedatav20(selector, addrhigh, addrlow, data);
    const auto address = HexText::parse(std::string(addrhigh) + addrlow);
    m_writes.push_back({static_cast<std::uint16_t>(address.value_or(0)), data, ok});
    return ok;
}

bool RecordingDevice::WCodeTypeData(const char *data)
{
    return m_inner.WCodeTypeData(data);
}

bool RecordingDevice::SetCodeCarrierWave()
{
    return m_inner.SetCodeCarrierWave();
}

bool RecordingDevice::RCollectCodeInfo(char *buffer)
{
    return m_inner.RCollectCodeInfo(buffer);
}

bool RecordingDevice::RBasicInfo(char *buffer)
{
    return m_inner.RBasicInfo(buffer);
}
