#pragma once

#include <optional>
#include <string>
#include <string_view>

// One allocation slot: which learned format's data lie where in the code area.
// As text: 6 digits of format id, the little-endian word (bit 15 = in use,
// bits 0-14 = first block), 2 digits of block count.
struct AllocationRecord
{
    static constexpr std::size_t digits = 12;
    static constexpr int maxBlocks = 0xFF;
    static constexpr int maxFirstBlock = 0x7FFF;

    std::string formatid = "000000";
    bool inuse = false;
    int firstblock = 0;
    int blocks = 0;

    // Fails unless the text is 12 hex digits.
    static std::optional<AllocationRecord> parse(std::string_view text);
    // The record of `slot` in the text of all records, slot 0 first; none
    // for a slot past the text's end.
    static std::optional<AllocationRecord> inSlot(std::string_view records, int slot);
    std::string text() const;
};
