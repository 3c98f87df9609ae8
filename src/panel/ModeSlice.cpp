#include "ModeSlice.h"

#include <algorithm>
#include <optional>

namespace
{
std::optional<ModeSlice::Kind> kindOf(const std::string &entry)
{
    if (entry.size() < 4)
        return std::nullopt;
    switch (entry[3]) {
    case '0':
        return ModeSlice::Kind::None;
    case '1':
        return ModeSlice::Kind::Downloaded;
    case '2':
        return ModeSlice::Kind::Learned;
    default:
        return std::nullopt;
    }
}
}  // namespace

ModeSlice::ModeSlice(const std::vector<std::string> &keystates, int mode, int keyspermode)
    : m_keystates(keystates)
{
    if (mode < 0 || keyspermode <= 0)
        return;
    const std::size_t count = keystates.size();
    m_begin = std::min(count, std::size_t(mode) * std::size_t(keyspermode));
    m_end = std::min(count, m_begin + std::size_t(keyspermode));
}

std::map<std::string, ModeSlice::Kind> ModeSlice::kinds() const
{
    std::map<std::string, Kind> result;
    for (std::size_t i = m_begin; i < m_end; ++i) {
        const std::string &entry = m_keystates[i];
        if (const std::optional<Kind> kind = kindOf(entry))
            result[entry.substr(0, 2)] = *kind;
    }
    return result;
}

bool ModeSlice::hasLearned() const
{
    for (std::size_t i = m_begin; i < m_end; ++i) {
        if (kindOf(m_keystates[i]) == Kind::Learned)
            return true;
    }
    return false;
}
