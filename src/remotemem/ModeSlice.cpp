#include "ModeSlice.h"

#include <algorithm>

ModeSlice::ModeSlice(const RemoteTables &tables, int mode)
    : m_keystates(tables.keystates)
{
    if (mode < 0 || tables.keyspermode <= 0)
        return;
    const std::size_t count = m_keystates.size();
    const auto keyspermode = static_cast<std::size_t>(tables.keyspermode);
    m_begin = std::min(count, static_cast<std::size_t>(mode) * keyspermode);
    m_end = std::min(count, m_begin + keyspermode);
}

std::optional<std::size_t> ModeSlice::keyPosition(const RemoteTables &tables, std::string_view keycode)
{
    const std::vector<std::string> &keystates = tables.keystates;
    const auto found = std::find_if(keystates.begin(), keystates.end(), [keycode](const std::string &entry) {
        return KeyStateEntry::hasKeyCode(entry, keycode, KeyStateEntry::CodeMatch::IgnoringCase);
    });
    if (found == keystates.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - keystates.begin());
}

std::optional<std::size_t> ModeSlice::find(std::string_view keycode, KeyStateEntry::CodeMatch match) const
{
    for (std::size_t i = m_begin; i < m_end; ++i) {
        if (KeyStateEntry::hasKeyCode(m_keystates[i], keycode, match))
            return i;
    }
    return std::nullopt;
}

bool ModeSlice::isLearned(std::string_view keycode) const
{
    const std::vector<std::size_t> indices = learned();
    return std::any_of(indices.begin(), indices.end(), [&](std::size_t i) {
        return KeyStateEntry::hasKeyCode(m_keystates[i], keycode, KeyStateEntry::CodeMatch::Exact);
    });
}

std::vector<std::size_t> ModeSlice::learned() const
{
    std::vector<std::size_t> indices;
    for (std::size_t i = m_begin; i < m_end; ++i) {
        if (KeyStateEntry::isLearned(m_keystates[i]))
            indices.push_back(i);
    }
    return indices;
}

bool ModeSlice::hasLearned() const
{
    return !learned().empty();
}

std::map<std::string, KeyStateEntry::Kind> ModeSlice::kinds() const
{
    std::map<std::string, KeyStateEntry::Kind> result;
    for (std::size_t i = m_begin; i < m_end; ++i) {
        const std::string &entry = m_keystates[i];
        if (const auto kind = KeyStateEntry::kind(entry))
            result[entry.substr(0, 2)] = *kind;
    }
    return result;
}
