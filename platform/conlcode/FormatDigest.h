#pragma once

#include <cstdint>

#include "LearnedFormat.h"

// The id of a learned format: a 3-byte digest, first byte 0x22 or more, of
// the format's coarse form, so that two captures of one key, each with a few
// per cent of jitter, name the same format and re-learning keeps its slot.
// The coarse form keeps the structure (clusters, bit encoding, frames, extra
// bits) and drops the gaps; each length becomes its ratio to the format's unit
// (the mark or space that all bits share, else the most frequent length) on a
// grid of four steps per octave (1, 1.25, 1.5, 1.75 times a power of two, so
// whole multiples up to 8 sit mid-cell), the unit itself on a grid of six steps
// per octave.
class FormatDigest
{
public:
    static std::uint32_t formatId(const LearnedFormat &format);
};
