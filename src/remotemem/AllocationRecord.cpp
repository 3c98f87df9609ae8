#include "AllocationRecord.h"

#include "HexText.h"

std::optional<AllocationRecord> AllocationRecord::parse(std::string_view text)
{
    if (text.size() != digits)
        return std::nullopt;
    const auto id = HexText::parse(text.substr(0, 6));
    const auto word = HexText::wordAt(text, 6);
    const auto count = HexText::byteAt(text, 10);
    if (!id || !word || !count)
        return std::nullopt;
    AllocationRecord record;
    record.formatid = std::string(text.substr(0, 6));
    record.inuse = (*word & 0x8000) != 0;
    record.firstblock = *word & maxFirstBlock;
    record.blocks = *count;
    return record;
}

std::optional<AllocationRecord> AllocationRecord::inSlot(std::string_view records, int slot)
{
    const std::size_t offset = static_cast<std::size_t>(slot) * digits;
    if (slot < 0 || offset + digits > records.size())
        return std::nullopt;
    return parse(records.substr(offset, digits));
}

std::string AllocationRecord::text() const
{
    const auto word = static_cast<std::uint16_t>((inuse ? 0x8000 : 0) | (firstblock & maxFirstBlock));
    return formatid + HexText::wordLE(word) + HexText::format(static_cast<std::uint32_t>(blocks & 0xFF), 2);
}
