#include "RemoteWrite.h"

#include "BlockLayout.h"
#include "BlockReader.h"
#include "BlockWriter.h"
#include "HexText.h"

RemoteWrite::Result RemoteWrite::write(RemoteDevice &device, const std::string &selector, std::uint32_t address,
                                       const std::string &data)
{
    if (BlockWriter::write(device, selector, address, data))
        return {Outcome::Written, data};
    const auto held = read(device, address, data.size() / 2);
    if (!held)
        return {};
    return {HexText::sameDigits(*held, data) ? Outcome::Written : Outcome::NotWritten, *held};
}

std::optional<std::string> RemoteWrite::read(RemoteDevice &device, std::uint32_t address, std::size_t bytes)
{
    // The remote reads whole units of 8 bytes.
    const auto units = static_cast<int>((bytes + BlockLayout::unitBytes - 1) / BlockLayout::unitBytes);
    const BlockLayout::Read where{address, units, 2 * static_cast<std::size_t>(units) * BlockLayout::unitBytes + 1};
    if (bytes == 0 || !where.fits())
        return std::nullopt;
    const std::string text =
        BlockReader::read(device, static_cast<std::uint16_t>(address), where.count, where.bufferSize);
    const std::string held = text.substr(0, 2 * bytes);
    if (held.size() != 2 * bytes || !HexText::bytes(held))
        return std::nullopt;
    return held;
}
