#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "IrSignal.h"
#include "ReceiverSkew.h"

// Bits sent as (mark, space) pairs, the way most protocols send them: pulse
// distance (the space tells the bit) or pulse width (the mark tells it).
class PulseBits
{
public:
    struct Symbol
    {
        int mark = 0;
        int space = 0;
    };
    struct Encoding
    {
        Symbol zero;
        Symbol one;
        bool msbFirst = false;
    };

    // Which symbol of `alphabet` a (mark, space) pair is, once `skew` (what
    // the frame has shown so far of the receiver and clock) is taken off: the
    // one whose period (mark plus space, which skew does not move) it is
    // nearest, among those it may be heard as; of two with one period, the
    // one whose mark it is nearer. Nothing when it may be none, or two alike.
    static std::optional<std::size_t> symbolOf(int mark, int space, std::span<const Symbol> alphabet,
                                               const ReceiverSkew &skew = {});
    // `count` bits from position `pos` on, which moves past them. A pair is
    // the symbol whose period (mark plus space, which a receiver's skew does
    // not move) it matches. With `lastMarkOnly` the last bit is its mark
    // alone: its space is the silence after the frame.
    static std::optional<std::uint64_t> read(const std::vector<int> &durations, std::size_t &pos, int count,
                                             const Encoding &encoding, bool lastMarkOnly = false);
    static void write(std::vector<int> &durations, std::uint64_t value, int count, const Encoding &encoding,
                      bool lastMarkOnly = false);
    // The duration at `pos` may be heard for `nominal` (PulseTolerance.h); `pos`
    // moves past it when it may.
    static bool expect(const std::vector<int> &durations, std::size_t &pos, int nominal);
    // A frame of `durations` and the silence that fills it up to `extentUs`
    // from its start (at least `minGapUs`).
    static IrFrame timed(std::vector<int> durations, int extentUs, int minGapUs = 0);
    // A frame followed by a fixed gap.
    static IrFrame gapped(std::vector<int> durations, int gapUs);
};
