#include "BlockWriter.h"

#include "HexText.h"
#include "RemoteDevice.h"

bool BlockWriter::write(RemoteDevice &device, const std::string &selector, std::uint32_t address,
                        const std::string &data)
{
    if (address > 0xFFFF)
        return false;
    const HexText::Address where = HexText::address(static_cast<std::uint16_t>(address));
    return device.writedatav20(selector.c_str(), where.high.c_str(), where.low.c_str(), data.c_str());
}
