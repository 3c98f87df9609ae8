#pragma once

#include <cstdint>

#include "LearnedFormat.h"

// The id of a learned format: a 3-byte digest, first byte 0x22 or more, of
// the format data themselves. A remote that holds a format under an id sends
// every later key of that id with those data, so an id must never stand for
// data that differ in anything, however little.
class FormatDigest
{
public:
    static std::uint32_t formatId(const LearnedFormat &format);
};
