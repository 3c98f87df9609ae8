#include "InterceptingDevice.h"

#include <cstring>

bool InterceptingDevice::ReadVersion(char *buffer)
{
    if (!version)
        return m_inner.ReadVersion(buffer);
    const std::string text = version();
    if (text.empty())
        return false;
    std::memcpy(buffer, text.data(), std::min<std::size_t>(text.size(), 249));
    return true;
}

bool InterceptingDevice::readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow,
                                     const char *selector)
{
    ++reads;
    if (failRead && failRead(std::string(addrhigh) + addrlow))
        return false;
    return m_inner.readdatav20(buffer, count, addrhigh, addrlow, selector);
}

bool InterceptingDevice::writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data)
{
    ++writes;
    return m_inner.writedatav20(selector, addrhigh, addrlow, data);
}
