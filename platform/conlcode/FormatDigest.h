#pragma once

#include <cstdint>

#include "LearnedFormat.h"

// The id of a learned format: a 3-byte digest, first byte 0x22 or more, of
// the format's coarse form, so that two captures of one key, each with a few
// per cent of jitter, name the same format and re-learning keeps its slot.
// The coarse form keeps the structure (clusters, bit encoding, frames, extra
// bits) and the carrier as the standard one next to it, and drops the gaps and
// the format's lengths of its own (adjustments), which follow one capture.
// With a bit encoding each length becomes its ratio to the unit (the mark or
// space all bits share, or bit 0's mark), on a grid of 1 and 1.5 times powers
// of two, where the whole multiples 1, 2, 3, 4, 6, 8, 12, 16 lie mid-cell; the
// unit itself, measured in every bit, goes on a grid of four steps per octave.
// Without bits a length may be measured once: only the clusters' order counts,
// and the frames' whole length, on the quarter-octave grid, sets the scale.
// Lengths close to a cell border can still fall either way; the digest trades
// that against telling remotes apart.
class FormatDigest
{
public:
    static std::uint32_t formatId(const LearnedFormat &format);
};
