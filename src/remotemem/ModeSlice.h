#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "KeyStateEntry.h"
#include "RemoteTables.h"

// The `keystates` entries of one device mode: keyspermode entries from
// mode x keyspermode on. Indices are those of the whole list.
class ModeSlice
{
public:
    // A slice reaching past the end of the list holds what the list has.
    ModeSlice(const RemoteTables &tables, int mode);

    // The position of a key within every mode: that of the list's first entry
    // with its code, letter case ignored. Each mode lists the remote's key codes
    // in the same order.
    static std::optional<std::size_t> keyPosition(const RemoteTables &tables, std::string_view keycode);

    // The mode's first entry with `keycode`.
    std::optional<std::size_t> find(std::string_view keycode, KeyStateEntry::CodeMatch match) const;
    // Does an entry with exactly `keycode` hold a learned code; entries of the
    // key with another kind do not count.
    bool isLearned(std::string_view keycode) const;
    // The entries holding a learned code, in order.
    std::vector<std::size_t> learned() const;
    // Does any entry of the mode hold a learned code.
    bool hasLearned() const;
    // Per key code, the kind of its last entry with a known kind digit: when
    // a code occurs twice, the later entry decides. Codes without such an
    // entry are absent, and their keys keep the picture they show.
    std::map<std::string, KeyStateEntry::Kind> kinds() const;

private:
    const std::vector<std::string> &m_keystates;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};
