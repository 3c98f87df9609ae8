#pragma once

#include <map>
#include <string>
#include <vector>

// The `keystates` entries of one device mode: keyspermode entries from
// mode x keyspermode on. Of each entry only the key code (its first two
// characters) and the kind (its fourth) matter here.
class ModeSlice
{
public:
    // What a key of the mode holds, by kind digit.
    enum class Kind
    {
        None,
        Downloaded,
        Learned
    };  // '0', '1', '2'

    // A slice reaching past the end of the list holds what the list has.
    ModeSlice(const std::vector<std::string> &keystates, int mode, int keyspermode);

    // Per key code, the kind of its last entry with a known kind digit: when
    // a code occurs twice, the later entry decides. Codes without such an
    // entry are absent, and their keys keep the picture they show.
    std::map<std::string, Kind> kinds() const;
    // Does any entry of the mode hold a learned code.
    bool hasLearned() const;

private:
    const std::vector<std::string> &m_keystates;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};
