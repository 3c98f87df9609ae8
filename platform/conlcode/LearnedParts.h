#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// How a learned key's own content fills parts A and B (16 bytes, A first):
// its data bits from the first bit of A on, most significant bit first, and,
// when its format repeats the last frame, the number of repeats in the last
// byte of B. The rest is zero.
class LearnedParts
{
public:
    static constexpr std::size_t totalBits = 128;
    static constexpr std::size_t countBits = 8;

    // Room for data bits.
    static std::size_t capacity(bool repeats);
    static std::array<std::uint8_t, 16> pack(const std::vector<bool> &bits, std::optional<std::uint8_t> repeats);

    struct Content
    {
        std::vector<bool> bits;
        std::uint8_t repeats = 0;
    };
    // Nothing when a bit beyond the data bits and the count is set.
    static std::optional<Content> unpack(const std::array<std::uint8_t, 16> &parts, std::size_t bitCount, bool repeats);
};
