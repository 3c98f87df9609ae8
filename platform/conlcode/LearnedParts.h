#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// How a learned key's own content fills parts A and B (16 bytes, A first):
// its data bits from the first bit of A on, most significant bit first; at
// the end of B, when its format takes the timing from each key, as many
// adjustments as the room after the bits holds (two bytes each: a position
// among the key's marks, spaces and gaps in 10 bits, then how many steps of
// 2^(1/24) that one goes from what the format sends, a signed 6-bit number;
// all zero when unused), a stretch of every length of the format (a
// signed 6-bit number each) and the gaps after its frames (a byte each); and, when
// its format repeats the last frame, the count in the last byte. The rest is
// zero.
class LearnedParts
{
public:
    static constexpr std::size_t totalBits = 128;
    static constexpr std::size_t countBits = 8;
    static constexpr int minStretch = -32;
    static constexpr int maxStretch = 31;

    static constexpr std::size_t adjustmentBits = 16;
    static constexpr std::size_t maxAdjustedPosition = 0x3FF;
    static constexpr int minAdjustment = -32;
    static constexpr int maxAdjustment = 31;

    // What besides the data bits the parts hold.
    struct Shape
    {
        bool repeats = false;
        std::size_t stretches = 0;
        std::size_t gaps = 0;
        std::size_t adjustments = 0;
        bool operator==(const Shape &) const = default;
    };
    // Room for data bits; 0 also when the rest does not fit.
    static std::size_t capacity(const Shape &shape);
    // Whether `bits` data bits and the rest fit.
    static bool fits(std::size_t bits, const Shape &shape);

    // A length or gap of the key's own: in steps of 2^(1/24) from what the format sends.
    struct Adjustment
    {
        std::size_t position = 0;
        int steps = 0;
        bool operator==(const Adjustment &) const = default;
    };
    static int adjusted(int sent, int steps);
    static int stepsBetween(int sent, int wanted);
    struct Content
    {
        std::vector<bool> bits;
        std::uint8_t repeats = 0;
        std::vector<int> stretches;
        std::vector<std::uint8_t> gaps;
        std::vector<Adjustment> adjustments;  // ascending positions, none of 0 steps
        // In a bundle's keys: a number in the last bits of the room the data
        // bits leave, which tells keys of the same content apart.
        unsigned variant = 0;
    };
    // Data bits beyond the room are left out; nothing else is written when the
    // rest does not fit the shape.
    static std::array<std::uint8_t, 16> pack(const Content &content, const Shape &shape);
    // Nothing when a bit beyond the data bits and the rest is set, unless
    // `variants` lets them hold a variant (not read back: it only tells keys apart).
    static std::optional<Content> unpack(const std::array<std::uint8_t, 16> &parts, std::size_t bitCount,
                                         const Shape &shape, bool variants = false);
    // How many variants the room after `bits` data bits holds, 0 among them.
    static std::size_t variants(std::size_t bits, const Shape &shape);
};
