#pragma once

#include <array>
#include <string_view>

// The keys of an ordinary remote, as most TVs, amplifiers and players have them.
enum class OriginalKey
{
    Power,
    Mute,
    Digit1,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Digit6,
    Digit7,
    Digit8,
    Digit9,
    Digit0,
    VolumeUp,
    VolumeDown,
    ChannelUp,
    ChannelDown,
    Menu,
    Info,
    Up,
    Down,
    Left,
    Right,
    Ok,
    Back,
    Exit,
    Play,
    Pause,
    Stop,
};

class OriginalKeys
{
public:
    static constexpr std::size_t count = static_cast<std::size_t>(OriginalKey::Stop) + 1;

    static const std::array<OriginalKey, count> &all();
    // What is printed on the key.
    static std::string_view label(OriginalKey key);
    // The key's name in messages ("VOL+", "OK", "7").
    static std::string_view name(OriginalKey key);
};
