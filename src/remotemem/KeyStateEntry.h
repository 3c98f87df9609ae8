#pragma once

#include <optional>
#include <string>
#include <string_view>

// A `keystates` entry: key code, "|", kind digit, "|", flag ('0' known format,
// '1' learned format), "|", and for a learned format the slot reference, whose
// first two digits are the slot. An entry whose code is gone is key code and "|0".
class KeyStateEntry
{
public:
    static constexpr std::size_t recordDigits = 44;  // one 22-byte key record
    // The record's header, before its parts A and B: status, kind, and format id or slot reference.
    static constexpr std::size_t headerDigits = 12;

    // What the key holds, by the entry's kind digit.
    enum class Kind : char
    {
        None = '0',
        Downloaded = '1',
        Learned = '2'
    };
    enum class CodeMatch
    {
        Exact,
        IgnoringCase
    };

    // The entry for a key record as the remote holds it; fails when a byte the
    // record's own bits say is meaningful is not hex.
    static std::optional<std::string> fromRecord(std::string_view keycode, std::string_view record);
    // The entry of a key that holds a learned code: "1|" and slot reference for
    // a learned format, "0|" and format id for a known one.
    static std::string learned(std::string_view keycode, std::string_view reference);
    // The entry once the key's code is gone.
    static std::string unlearned(std::string_view entry);

    // The allocation slot an entry refers to: kind and flag above zero and two hex
    // digits of slot reference. Short or dropped entries refer to none.
    static std::optional<int> learnedSlot(std::string_view entry);
    // Nothing for an entry without a kind digit or with another digit there.
    static std::optional<Kind> kind(std::string_view entry);
    static bool isLearned(std::string_view entry);
    // Key codes are two characters; the tool's own steps compare them exactly,
    // the remote's memory ignoring letter case.
    static bool hasKeyCode(std::string_view entry, std::string_view keycode, CodeMatch match);
};
