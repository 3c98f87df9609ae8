#include "LearnedParts.h"

#include <algorithm>
#include <cmath>

namespace
{
bool bitAt(const std::array<std::uint8_t, 16> &bytes, std::size_t i)
{
    return (bytes[i / 8] >> (7 - i % 8) & 1) != 0;
}

void setBits(std::array<std::uint8_t, 16> &bytes, std::size_t first, std::size_t count, unsigned value)
{
    for (std::size_t i = 0; i < count; ++i) {
        if ((value >> (count - 1 - i) & 1) != 0) {
            bytes[(first + i) / 8] |= static_cast<std::uint8_t>(0x80 >> ((first + i) % 8));
        }
    }
}

unsigned bitsAt(const std::array<std::uint8_t, 16> &bytes, std::size_t first, std::size_t count)
{
    unsigned value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = value << 1 | (bitAt(bytes, first + i) ? 1U : 0U);
    }
    return value;
}

constexpr std::size_t stretchBits = 6;
constexpr std::size_t gapBits = 8;

std::size_t tailBits(const LearnedParts::Shape &shape)
{
    return (shape.repeats ? LearnedParts::countBits : 0) + gapBits * shape.gaps + stretchBits * shape.stretches
           + LearnedParts::adjustmentBits * shape.adjustments;
}

// The adjustments come first in the tail, then the stretches, the gaps and the count.
std::size_t firstTailBit(const LearnedParts::Shape &shape)
{
    return LearnedParts::totalBits - tailBits(shape);
}

constexpr std::size_t stepBits = 6;
constexpr std::size_t maxVariantBits = 8;

// The last bits of the room that `bits` data bits leave, which hold a variant.
std::size_t variantBits(std::size_t bits, const LearnedParts::Shape &shape)
{
    return std::min(LearnedParts::capacity(shape) - bits, maxVariantBits);
}
constexpr double stepsPerOctave = 24;

int signedOf(unsigned value, std::size_t bits)
{
    const int full = 1 << bits;
    const int v = static_cast<int>(value);
    return v >= full / 2 ? v - full : v;
}
}  // namespace

int LearnedParts::adjusted(int sent, int steps)
{
    return static_cast<int>(std::lround(sent * std::exp2(steps / stepsPerOctave)));
}

int LearnedParts::stepsBetween(int sent, int wanted)
{
    return static_cast<int>(
        std::lround(stepsPerOctave * std::log2(static_cast<double>(std::max(wanted, 1)) / std::max(sent, 1))));
}

std::size_t LearnedParts::capacity(const Shape &shape)
{
    return tailBits(shape) < totalBits ? totalBits - tailBits(shape) : 0;
}

bool LearnedParts::fits(std::size_t bits, const Shape &shape)
{
    return bits + tailBits(shape) <= totalBits;
}

std::array<std::uint8_t, 16> LearnedParts::pack(const Content &content, const Shape &shape)
{
    std::array<std::uint8_t, 16> bytes{};
    const std::size_t count = std::min(content.bits.size(), capacity(shape));
    for (std::size_t i = 0; i < count; ++i) {
        setBits(bytes, i, 1, content.bits[i] ? 1 : 0);
    }
    if (content.variant > 0 && content.variant < variants(count, shape)) {
        const std::size_t bits = variantBits(count, shape);
        setBits(bytes, capacity(shape) - bits, bits, content.variant);
    }
    if (!fits(0, shape) || content.adjustments.size() > shape.adjustments || content.stretches.size() != shape.stretches
        || content.gaps.size() != shape.gaps) {
        return bytes;
    }
    std::size_t next = firstTailBit(shape);
    for (std::size_t a = 0; a < shape.adjustments; ++a, next += adjustmentBits) {
        if (a < content.adjustments.size()) {
            const Adjustment &adjustment = content.adjustments[a];
            setBits(bytes, next, adjustmentBits - stepBits, static_cast<unsigned>(adjustment.position));
            setBits(bytes, next + adjustmentBits - stepBits, stepBits,
                    static_cast<unsigned>(adjustment.steps) & ((1U << stepBits) - 1));
        }
    }
    for (const int stretch : content.stretches) {
        setBits(bytes, next, stretchBits, static_cast<unsigned>(stretch) & ((1U << stretchBits) - 1));
        next += stretchBits;
    }
    for (const std::uint8_t gap : content.gaps) {
        setBits(bytes, next, gapBits, gap);
        next += gapBits;
    }
    if (shape.repeats) {
        bytes.back() = content.repeats;
    }
    return bytes;
}

std::size_t LearnedParts::variants(std::size_t bits, const Shape &shape)
{
    return fits(bits, shape) ? std::size_t{1} << variantBits(bits, shape) : 0;
}

std::optional<LearnedParts::Content> LearnedParts::unpack(const std::array<std::uint8_t, 16> &parts,
                                                          std::size_t bitCount, const Shape &shape, bool variants)
{
    if (!fits(bitCount, shape)) {
        return std::nullopt;
    }
    Content content;
    const std::size_t first = firstTailBit(shape);
    for (std::size_t i = 0; i < first; ++i) {
        if (i < bitCount) {
            content.bits.push_back(bitAt(parts, i));
        } else if (bitAt(parts, i) && !variants) {
            return std::nullopt;
        }
    }
    std::size_t next = first;
    // Used slots first, their positions ascending; an unused slot is all zero.
    bool unused = false;
    for (std::size_t a = 0; a < shape.adjustments; ++a, next += adjustmentBits) {
        const std::size_t position = bitsAt(parts, next, adjustmentBits - stepBits);
        const int steps = signedOf(bitsAt(parts, next + adjustmentBits - stepBits, stepBits), stepBits);
        if (steps == 0) {
            unused = true;
            if (position != 0) {
                return std::nullopt;
            }
            continue;
        }
        if (unused || (!content.adjustments.empty() && position <= content.adjustments.back().position)) {
            return std::nullopt;
        }
        content.adjustments.push_back({position, steps});
    }
    for (std::size_t s = 0; s < shape.stretches; ++s, next += stretchBits) {
        content.stretches.push_back(signedOf(bitsAt(parts, next, stretchBits), stretchBits));
    }
    for (std::size_t g = 0; g < shape.gaps; ++g, next += gapBits) {
        content.gaps.push_back(static_cast<std::uint8_t>(bitsAt(parts, next, gapBits)));
    }
    if (shape.repeats) {
        content.repeats = parts.back();
    }
    return content;
}
