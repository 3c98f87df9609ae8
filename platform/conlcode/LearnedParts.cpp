#include "LearnedParts.h"

#include <algorithm>

namespace
{
bool bitAt(const std::array<std::uint8_t, 16> &bytes, std::size_t i)
{
    return (bytes[i / 8] >> (7 - i % 8) & 1) != 0;
}
}  // namespace

std::size_t LearnedParts::capacity(bool repeats)
{
    return repeats ? totalBits - countBits : totalBits;
}

std::array<std::uint8_t, 16> LearnedParts::pack(const std::vector<bool> &bits, std::optional<std::uint8_t> repeats)
{
    std::array<std::uint8_t, 16> bytes{};
    const std::size_t count = std::min(bits.size(), capacity(repeats.has_value()));
    for (std::size_t i = 0; i < count; ++i) {
        if (bits[i]) {
            bytes[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
        }
    }
    if (repeats) {
        bytes.back() = *repeats;
    }
    return bytes;
}

std::optional<LearnedParts::Content> LearnedParts::unpack(const std::array<std::uint8_t, 16> &parts,
                                                          std::size_t bitCount, bool repeats)
{
    const std::size_t room = capacity(repeats);
    if (bitCount > room) {
        return std::nullopt;
    }
    Content content;
    for (std::size_t i = 0; i < room; ++i) {
        if (i < bitCount) {
            content.bits.push_back(bitAt(parts, i));
        } else if (bitAt(parts, i)) {
            return std::nullopt;
        }
    }
    if (repeats) {
        content.repeats = parts.back();
    }
    return content;
}
