#include "RemoteImage.h"

#include "BlockLayout.h"
#include "BlockReader.h"
#include "HexText.h"

std::optional<std::vector<std::uint8_t>> RemoteImage::read(RemoteDevice &device)
{
    constexpr std::uint32_t pieceBytes = readUnits * BlockLayout::unitBytes;
    std::vector<std::uint8_t> image;
    image.reserve(BlockLayout::memorySize);
    for (std::uint32_t address = 0; address < BlockLayout::memorySize; address += pieceBytes) {
        const std::string text =
            BlockReader::read(device, static_cast<std::uint16_t>(address), readUnits, 2 * pieceBytes);
        const auto bytes = HexText::bytes(text);
        if (!bytes || bytes->size() != pieceBytes)
            return std::nullopt;
        image.insert(image.end(), bytes->begin(), bytes->end());
    }
    return image;
}
