#include "KeyStateEntry.h"

#include "HexText.h"

namespace
{
std::string entryOf(std::string_view keycode, KeyStateEntry::Kind kind, std::string_view rest)
{
    return std::string(keycode) + '|' + static_cast<char>(kind) + '|' + std::string(rest);
}
}  // namespace

std::optional<std::string> KeyStateEntry::fromRecord(std::string_view keycode, std::string_view record)
{
    const auto status = HexText::byteAt(record, 0);
    if (!status)
        return std::nullopt;
    // Bit 5 set marks a record the remote does not count as holding a code.
    if ((*status & 0xA0) != 0x80)
        return entryOf(keycode, Kind::None, "0|");
    const Kind kind = (*status & 0x40) ? Kind::Learned : Kind::Downloaded;
    const auto reference = HexText::byteAt(record, 4);
    if (!reference)
        return std::nullopt;
    if ((*reference & 0x80) == 0)
        return entryOf(keycode, kind, "0|");
    const std::string_view slotref = record.substr(6, 6);
    if (slotref.size() != 6 || !HexText::parse(slotref))
        return std::nullopt;
    return entryOf(keycode, kind, "1|" + std::string(slotref));
}

std::string KeyStateEntry::learned(std::string_view keycode, std::string_view reference)
{
    return entryOf(keycode, Kind::Learned, reference);
}

std::string KeyStateEntry::unlearned(std::string_view entry)
{
    return std::string(entry.substr(0, 2)) + '|' + static_cast<char>(Kind::None);
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

std::optional<KeyStateEntry::Kind> KeyStateEntry::kind(std::string_view entry)
{
    if (entry.size() < 4)
        return std::nullopt;
    for (const Kind kind : {Kind::None, Kind::Downloaded, Kind::Learned}) {
        if (entry[3] == static_cast<char>(kind))
            return kind;
    }
    return std::nullopt;
}

bool KeyStateEntry::isLearned(std::string_view entry)
{
    return kind(entry) == Kind::Learned;
}

bool KeyStateEntry::hasKeyCode(std::string_view entry, std::string_view keycode, CodeMatch match)
{
    const std::string_view code = entry.substr(0, 2);
    return keycode.size() == 2 && (match == CodeMatch::Exact ? code == keycode : HexText::sameDigits(code, keycode));
}
