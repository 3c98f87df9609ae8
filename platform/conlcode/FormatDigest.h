#pragma once

#include <array>
#include <cstdint>

#include "LearnedFormat.h"

// The id of a learned format: a 3-byte digest, first byte 0x22 or more, of
// the format's timing data. A remote that holds a format under an id sends
// every later key of that id with that timing, so an id must never stand for
// timing that differs in anything, however little. A bundle's keys are not
// part of it: they belong each to the key whose parts they name.
class FormatDigest
{
public:
    static std::uint32_t formatId(const LearnedFormat &format);
    // What names a key's own timing in a bundle: a digest of its parts A and B.
    static std::uint32_t partsTag(const std::array<std::uint8_t, 16> &parts);
};
