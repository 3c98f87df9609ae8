#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "IrSignal.h"

// A remote's own timing within a known protocol. Real remotes stray from a
// protocol's nominal lengths by more than a faithful copy allows (marks of
// 640 us for NEC's 564 are common), so each distinct nominal length gets a
// stretch of 1.03^n, n a signed nibble: marks first, then spaces, shortest
// first, ten at most. Lengths beyond the tenth keep their nominal value.
class TimingFit
{
public:
    using Timing = std::array<std::uint8_t, 5>;

    // The stretches that copy `measured`: none for a length whose nominal
    // value is within 5 % of its measures either way (or 60 us), else the
    // smallest that copies it within 5 % of the measure. Nothing when the
    // frames differ in shape or a length or gap of the copy stays further.
    static std::optional<Timing> fit(const IrSignal &nominal, const IrSignal &measured);
    static IrSignal apply(const IrSignal &nominal, const Timing &timing);
};
