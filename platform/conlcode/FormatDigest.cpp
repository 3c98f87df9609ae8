#include "FormatDigest.h"

#include <vector>

#include "KnownFormats.h"

namespace
{
template <typename Bytes> std::uint32_t fnv1a(const Bytes &bytes)
{
    std::uint32_t hash = 2166136261u;
    for (std::uint8_t b : bytes) {
        hash = (hash ^ b) * 16777619u;
    }
    return hash;
}
}  // namespace

std::uint32_t FormatDigest::formatId(const LearnedFormat &format)
{
    const std::uint32_t hash = fnv1a(format.timingData());
    const std::uint32_t first = KnownFormats::firstLearnedByte + (hash >> 16) % (256 - KnownFormats::firstLearnedByte);
    return first << 16 | (hash & 0xFFFF);
}

std::uint32_t FormatDigest::partsTag(const std::array<std::uint8_t, 16> &parts)
{
    return fnv1a(parts);
}
