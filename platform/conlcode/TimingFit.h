#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "IrSignal.h"

// A remote's own timing within a known protocol. Real remotes stray from a
// protocol's nominal lengths by more than a faithful copy allows (marks of
// 640 us for NEC's 564 are common), so each distinct nominal length gets a
// stretch of 1.03^n, n a signed nibble: marks first, then spaces, shortest
// first; the nibble after the lengths' ones stretches the gaps between
// frames. Beyond ten classes neighbouring lengths share nibbles. What a
// receiver adds to every mark and takes from every space (its skew) goes on
// top, as heard, so that the copy sounds like the capture.
class TimingFit
{
public:
    struct Timing
    {
        std::array<std::uint8_t, 5> stretches{};
        // The skew in steps of skewStepUs (-16 to 15): marks sent that much
        // longer, spaces that much shorter.
        int skewSteps = 0;
        // Gaps step by 1.08 instead of 1.03, each distinct nominal gap with a
        // nibble of its own while there are nibbles: for remotes whose frames
        // follow each other much sooner or later than the protocol's.
        bool wideGaps = false;

        bool operator==(const Timing &) const = default;
    };
    static constexpr int skewStepUs = 16;
    static constexpr int lowestSkewStep = -16;
    static constexpr int highestSkewStep = 15;

    // The timing that copies `measured` faithfully (every length within 5 %
    // of its measure or 60 us, gaps to their millisecond): no skew and narrow
    // gap steps where those do, else the skew that the signal shows and wide
    // gap steps where needed. Each stretch is none where the nominal length
    // (with the skew) copies its measures, else the smallest that does. Where
    // a class's members spread wider than any one length copies - a
    // capture's jitter - the stretch nearest their mean (for the gaps: the
    // one whose worst copy misses least), taken while every member lies
    // within 8 % of it. Nothing when the frames differ in shape or a length
    // or gap stays further.
    static std::optional<Timing> fit(const IrSignal &nominal, const IrSignal &measured);
    static IrSignal apply(const IrSignal &nominal, const Timing &timing);
};
