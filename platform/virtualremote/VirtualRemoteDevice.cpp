#include "VirtualRemoteDevice.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "VirtualRemote.h"

namespace
{
// Copies `text` into a buffer of `size` bytes: as much as fits, and the
// terminator when there is room left for it.
bool deliver(bool ok, const std::string &text, char *buffer, std::size_t size)
{
    if (!ok || buffer == nullptr) {
        return false;
    }
    const std::size_t count = std::min(text.size(), size);
    std::memcpy(buffer, text.data(), count);
    if (count < size) {
        buffer[count] = '\0';
    }
    return true;
}

std::string text(const char *value)
{
    return value ? std::string(value) : std::string();
}
}  // namespace

VirtualRemoteDevice::VirtualRemoteDevice(VirtualRemote &remote)
    : m_remote(remote)
{ }

bool VirtualRemoteDevice::link_state()
{
    return m_remote.linkState();
}

bool VirtualRemoteDevice::ReadVersion(char *buffer)
{
    std::string version;
    const bool ok = m_remote.readVersion(version);
    // The version is a text: it always ends with its terminator.
    return deliver(ok, version.substr(0, versionBufferSize - 1), buffer, versionBufferSize);
}

bool VirtualRemoteDevice::readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow,
                                      const char *selector)
{
    std::string hex;
    if (buffer == nullptr || !m_remote.readData(count, text(addrhigh), text(addrlow), text(selector), hex)) {
        return false;
    }
    std::memcpy(buffer, hex.data(), hex.size());
    return true;
}

bool VirtualRemoteDevice::writedatav20(const char *selector, const char *addrhigh, const char *addrlow,
                                       const char *data)
{
    return m_remote.writeData(text(selector), text(addrhigh), text(addrlow), text(data));
}

bool VirtualRemoteDevice::WCodeTypeData(const char *data)
{
    return data != nullptr && m_remote.writeCodeTypeData(data);
}

bool VirtualRemoteDevice::SetCodeCarrierWave()
{
    return m_remote.setCodeCarrierWave();
}

bool VirtualRemoteDevice::RCollectCodeInfo(char *buffer)
{
    std::string capture;
    const bool ok = m_remote.collectCodeInfo(capture);
    return deliver(ok, capture, buffer, captureBufferSize);
}

bool VirtualRemoteDevice::RBasicInfo(char *buffer)
{
    std::string hex;
    const bool ok = m_remote.basicInfo(hex);
    return deliver(ok, hex.substr(0, basicInfoBufferSize - 1), buffer, basicInfoBufferSize);
}
