#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "KnownFormats.h"
#include "TimingFit.h"

// A key's code in a format the remote knows: the format id and the fields
// that parts A and B of the key record carry (layout in KnownFormats.h).
struct KnownCode
{
    std::uint32_t formatId = 0;
    std::array<std::uint8_t, 8> fields{};
    std::uint8_t toggle = 0;
    // The carrier the code goes out at, in kHz (1-127); 0 for the protocol's own.
    std::uint8_t carrierKHz = 0;
    RepeatKind repeat = RepeatKind::None;
    std::uint8_t repeatCount = 0;
    TimingFit::Timing timing;

    // Parts A and B as 16 bytes, A first.
    std::array<std::uint8_t, 16> parts() const;
    // Nothing when the bytes of part B are not a valid repeat description.
    static std::optional<KnownCode> fromParts(std::uint32_t formatId, const std::array<std::uint8_t, 16> &parts);
    // A single frame has no repeats, and a repeating signal at least one.
    bool repeatsConsistent() const { return (repeat == RepeatKind::None) == (repeatCount == 0); }
    // A capture's carrier as the code keeps it: to the nearest kHz, 0 when
    // there is none or part B cannot hold it.
    static std::uint8_t carrierKHzOf(int carrierHz);

    bool operator==(const KnownCode &) const = default;
};
