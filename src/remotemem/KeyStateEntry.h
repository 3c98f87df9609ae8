#pragma once

#include <optional>
#include <string>
#include <string_view>

// A `keystates` entry: key code, "|", kind digit ('0' none, '1' downloaded,
// '2' learned), "|", flag ('0' known format, '1' learned format), "|", and
// for a learned format the slot reference, whose first two digits are the slot.
class KeyStateEntry
{
public:
    static constexpr std::size_t recordDigits = 44;  // one 22-byte key record

    // The entry for a key record as the remote holds it; fails when a byte the
    // record's own bits say is meaningful is not hex.
    static std::optional<std::string> fromRecord(std::string_view keycode, std::string_view record);
    // The allocation slot an entry refers to: kind and flag above zero and two hex
    // digits of slot reference. Short or dropped entries refer to none.
    static std::optional<int> learnedSlot(std::string_view entry);
    // Key code of the entry, compared ignoring letter case.
    static bool hasKeyCode(std::string_view entry, std::string_view keycode);
};
