#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "IrSignal.h"

// A remote's own timing within a known protocol. Real remotes stray from a
// protocol's nominal lengths by more than a faithful copy allows (marks of
// 640 us for NEC's 564 are common), so each distinct nominal length gets a
// stretch of 1.03^n, n a signed nibble: marks first, then spaces, shortest
// first, ten at most; the nibble after the lengths' ones stretches the gaps
// between frames. Lengths beyond the tenth keep their nominal value.
class TimingFit
{
public:
    using Timing = std::array<std::uint8_t, 5>;

    // The stretches that copy `measured` faithfully (every length within 5 %
    // of its measure or 60 us, gaps to their millisecond): none where the
    // nominal length does, else the smallest that does. Where a class's
    // members spread wider than any one length copies - a capture's jitter -
    // the stretch nearest their mean, taken while every member lies within
    // 8 % of it. Nothing when the frames differ in shape or a length or gap
    // stays further.
    static std::optional<Timing> fit(const IrSignal &nominal, const IrSignal &measured);
    static IrSignal apply(const IrSignal &nominal, const Timing &timing);
};
