#pragma once

#include <optional>
#include <vector>

#include "IrSignal.h"

// A biphase frame as its level in each half-bit time (true = mark), from the
// first mark on; the silence before and after it is not among the levels.
class HalfBits
{
public:
    // Nothing when a duration, with the skew and clock that the frame shows
    // taken off, is not 1 to `longest` half-bits of `halfUs`.
    static std::optional<std::vector<bool>> levels(const IrFrame &frame, int halfUs, int longest);
    // The marks and spaces of `levels`, leading and trailing spaces dropped.
    static std::vector<int> durations(const std::vector<bool> &levels, int halfUs);
};
