#include "KeyStateEntry.h"

#include "HexText.h"

std::optional<std::string> KeyStateEntry::fromRecord(std::string_view keycode, std::string_view record)
{
    const auto status = HexText::byteAt(record, 0);
    if (!status)
        return std::nullopt;
    std::string entry = std::string(keycode) + "|";
    // Bit 5 set marks a record the remote does not count as holding a code.
    if ((*status & 0xA0) != 0x80)
        return entry + "0|0|";
    entry += (*status & 0x40) ? "2|" : "1|";
    const auto reference = HexText::byteAt(record, 4);
    if (!reference)
        return std::nullopt;
    if ((*reference & 0x80) == 0)
        return entry + "0|";
    const std::string_view slotref = record.substr(6, 6);
    if (slotref.size() != 6 || !HexText::parse(slotref))
        return std::nullopt;
    return entry + "1|" + std::string(slotref);
}

std::optional<int> KeyStateEntry::learnedSlot(std::string_view entry)
{
    if (entry.size() < 9 || HexText::digitValue(entry[3]) <= 0 || HexText::digitValue(entry[5]) <= 0)
        return std::nullopt;
    const auto slot = HexText::parse(entry.substr(7, 2));
    if (!slot)
        return std::nullopt;
    return static_cast<int>(*slot);
}

bool KeyStateEntry::hasKeyCode(std::string_view entry, std::string_view keycode)
{
    return keycode.size() == 2 && HexText::sameDigits(entry.substr(0, 2), keycode);
}
