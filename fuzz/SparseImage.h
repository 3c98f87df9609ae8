#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A 64 KiB memory image told by its non-zero stretches, so that a fuzz input
// (and a seed) stays small and every mutation lands inside some block: records
// of a 2-byte address, a 2-byte length (both high byte first) and the bytes,
// laid over zero memory. A record cut short keeps the bytes it has; bytes past
// the end of memory are dropped.
class SparseImage
{
public:
    static constexpr std::size_t memorySize = 65536;

    static std::vector<std::uint8_t> expand(const std::uint8_t *data, std::size_t size);
    // Records of the image's non-zero stretches; short runs of zeros stay inside
    // a stretch, since a record costs four bytes.
    static std::vector<std::uint8_t> compress(const std::vector<std::uint8_t> &image);
};
