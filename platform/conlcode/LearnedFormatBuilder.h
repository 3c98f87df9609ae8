#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "IrSignal.h"
#include "LearnedFormat.h"

// A key learned in a format of its own: the format and the key's parts A and B.
struct LearnedCode
{
    LearnedFormat format;
    std::array<std::uint8_t, 16> parts{};
};

// Describes a signal that no known protocol recognises. Its marks and spaces
// fall into clusters; the two most frequent (mark, space) pairs that share a
// mark, a space or their length, and make up at least half of all pairs,
// encode the bits (0 the shorter mark, or space); every other pair stays a
// pair of the format. The trailing
// run of equal frames becomes one frame that repeats. So the keys of one
// remote differ only in their bits and share one format. The signal's carrier,
// when known, goes with the format.
class LearnedFormatBuilder
{
public:
    // Nothing when the signal needs more frames than a format holds.
    static std::optional<LearnedCode> build(const IrSignal &signal);
};
