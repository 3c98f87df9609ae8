#include "MemoryImageDevice.h"

#include <cstring>
#include <string>
#include <string_view>

#include "HexText.h"

MemoryImageDevice::MemoryImageDevice(const std::vector<std::uint8_t> &image)
    : m_image(image)
{ }

bool MemoryImageDevice::link_state()
{
    return true;
}

bool MemoryImageDevice::ReadVersion(char *)
{
    return false;
}

bool MemoryImageDevice::readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow,
                                    const char *selector)
{
    const auto high = HexText::parse(addrhigh);
    const auto low = HexText::parse(addrlow);
    if (!high || !low || *high > 0xFF || *low > 0xFF || std::string_view(selector) != "08" || count <= 0)
        return false;
    const std::size_t address = *high << 8 | *low;
    const std::size_t bytes = static_cast<std::size_t>(count) * 8;
    if (address + bytes > m_image.size())
        return false;
    const std::string text = HexText::formatBytes(m_image.data() + address, bytes);
    std::memcpy(buffer, text.data(), text.size());
    return true;
}

bool MemoryImageDevice::writedatav20(const char *, const char *, const char *, const char *)
{
    return false;
}

bool MemoryImageDevice::WCodeTypeData(const char *)
{
    return false;
}

bool MemoryImageDevice::SetCodeCarrierWave()
{
    return false;
}

bool MemoryImageDevice::RCollectCodeInfo(char *)
{
    return false;
}

bool MemoryImageDevice::RBasicInfo(char *)
{
    return false;
}
