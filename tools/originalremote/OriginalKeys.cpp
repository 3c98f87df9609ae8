#include "OriginalKeys.h"

namespace
{
struct Names
{
    std::string_view label;
    std::string_view name;
};

// In the order of OriginalKey.
constexpr std::array<Names, OriginalKeys::count> names{{
    {"POWER", "POWER"},
    {"MUTE", "MUTE"},
    {"1", "1"},
    {"2", "2"},
    {"3", "3"},
    {"4", "4"},
    {"5", "5"},
    {"6", "6"},
    {"7", "7"},
    {"8", "8"},
    {"9", "9"},
    {"0", "0"},
    {"VOL +", "VOL+"},
    {"VOL \u2212", "VOL-"},
    {"CH +", "CH+"},
    {"CH \u2212", "CH-"},
    {"MENU", "MENU"},
    {"INFO", "INFO"},
    {"\u25B2", "UP"},
    {"\u25BC", "DOWN"},
    {"\u25C0", "LEFT"},
    {"\u25B6", "RIGHT"},
    {"OK", "OK"},
    {"BACK", "BACK"},
    {"EXIT", "EXIT"},
    {"\u25B6", "PLAY"},
    {"\u275A\u275A", "PAUSE"},
    {"\u25A0", "STOP"},
}};

constexpr std::array<OriginalKey, OriginalKeys::count> keys = [] {
    std::array<OriginalKey, OriginalKeys::count> all{};
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<OriginalKey>(i);
    return all;
}();
}  // namespace

const std::array<OriginalKey, OriginalKeys::count> &OriginalKeys::all()
{
    return keys;
}

std::string_view OriginalKeys::label(OriginalKey key)
{
    return names[static_cast<std::size_t>(key)].label;
}

std::string_view OriginalKeys::name(OriginalKey key)
{
    return names[static_cast<std::size_t>(key)].name;
}
