#include "BlockReader.h"

#include <vector>

#include "HexText.h"
#include "RemoteDevice.h"

namespace
{
std::string bufferText(const std::vector<char> &buffer)
{
    return std::string(buffer.begin(), buffer.end());
}
}  // namespace

std::string BlockReader::read(RemoteDevice &device, std::uint16_t address, int count, std::size_t bufferSize)
{
    std::vector<char> buffer(bufferSize, '\0');
    const HexText::Address where = HexText::address(address);
    if (!device.readdatav20(buffer.data(), count, where.high.c_str(), where.low.c_str(), "08"))
        return {};
    return bufferText(buffer);
}

std::string BlockReader::readVersion(RemoteDevice &device)
{
    std::vector<char> buffer(250, '\0');
    return device.ReadVersion(buffer.data()) ? bufferText(buffer) : std::string();
}

std::string BlockReader::readBasicInfo(RemoteDevice &device)
{
    std::vector<char> buffer(1024, '\0');
    return device.RBasicInfo(buffer.data()) ? bufferText(buffer) : std::string();
}
