#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "KnownFormats.h"

// A key's code in a format the remote knows: the format id and the fields
// that parts A and B of the key record carry (layout in KnownFormats.h).
struct KnownCode
{
    std::uint32_t formatId = 0;
    std::array<std::uint8_t, 8> fields{};
    std::uint8_t toggle = 0;
    RepeatKind repeat = RepeatKind::None;
    std::uint8_t repeatCount = 0;
    std::array<std::uint8_t, 5> timing{};

    // Parts A and B as 16 bytes, A first.
    std::array<std::uint8_t, 16> parts() const;
    // Nothing when the bytes of part B are not a valid repeat description.
    static std::optional<KnownCode> fromParts(std::uint32_t formatId, const std::array<std::uint8_t, 16> &parts);
    // A single frame has no repeats, and a repeating signal at least one.
    bool repeatsConsistent() const { return (repeat == RepeatKind::None) == (repeatCount == 0); }

    bool operator==(const KnownCode &) const = default;
};
