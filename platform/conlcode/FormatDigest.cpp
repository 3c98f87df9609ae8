#include "FormatDigest.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "KnownFormats.h"

namespace
{
using TokenKind = LearnedFormat::TokenKind;
constexpr int stepsPerOctave = 24;
constexpr int unitSteps = 6;  // of the 24: four per octave

// floor(a / b) for b > 0.
int floorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The cell of a length `steps` 24ths of an octave above the unit, on a grid
// of 1 and 1.5 times powers of two: whole multiples 1, 2, 3, 4, 6, 8, 12, 16
// lie mid-cell, so jitter of a few per cent keeps them in place.
std::uint8_t ratioCell(int steps)
{
    // 1.5 is 14 steps up; the cells divide at the geometric means, 7 and 19 steps.
    const int octave = floorDiv(steps, stepsPerOctave);
    const int within = steps - octave * stepsPerOctave;
    return static_cast<std::uint8_t>(64 + 2 * octave + (within <= 7 ? 0 : within <= 19 ? 1 : 2));
}

// The capture measures the carrier to a kHz at best, and a remote's own drifts:
// the digest keeps the standard carrier next to it, so that the cells divide
// half-way between 36, 38 and 40 kHz and far from 56.
std::uint8_t standardCarrierKHz(std::uint8_t kHz)
{
    if (kHz == 0) {
        return 0;
    }
    constexpr std::array<int, 6> standard{30, 33, 36, 38, 40, 56};
    const auto nearest = std::min_element(standard.begin(), standard.end(), [&](int a, int b) {
        return std::abs(std::log(kHz / static_cast<double>(a))) < std::abs(std::log(kHz / static_cast<double>(b)));
    });
    return static_cast<std::uint8_t>(*nearest);
}

std::uint32_t fnv1a(const std::vector<std::uint8_t> &bytes)
{
    std::uint32_t hash = 2166136261u;
    for (std::uint8_t b : bytes) {
        hash = (hash ^ b) * 16777619u;
    }
    return hash;
}

// With bits the unit is the mark or space all bits share, measured many times.
void coarsenTimed(LearnedFormat &coarse, const LearnedFormat &format, std::vector<std::uint8_t> &scale)
{
    const auto &[zero, one] = *format.alphabet;
    // A duty-cycle encoding shares neither: its shorter mark, bit 0's, is the unit.
    const bool sharedSpace = zero.mark != one.mark && zero.space == one.space;
    const int unit = sharedSpace ? format.spaceCodes[zero.space] : format.markCodes[zero.mark];
    for (std::size_t i = 0; i < coarse.markCodes.size(); ++i) {
        coarse.markCodes[i] = ratioCell(format.markCodes[i] - unit);
    }
    for (std::size_t i = 0; i < coarse.spaceCodes.size(); ++i) {
        coarse.spaceCodes[i] = ratioCell(format.spaceCodes[i] - unit);
    }
    scale.push_back(static_cast<std::uint8_t>((unit + unitSteps / 2) / unitSteps));
}

// Without bits every length may be measured only once: the clusters' order is
// in the frames, and the frames' whole length, measured over all of them, sets
// the scale.
void coarsenRaw(LearnedFormat &coarse, const LearnedFormat &format, std::vector<std::uint8_t> &scale)
{
    std::fill(coarse.markCodes.begin(), coarse.markCodes.end(), 0);
    std::fill(coarse.spaceCodes.begin(), coarse.spaceCodes.end(), 0);
    double total = 0;
    for (const LearnedFormat::Frame &frame : format.frames) {
        for (const LearnedFormat::Token &token : frame.tokens) {
            total += LearnedFormat::lengthOfCode(format.markCodes[token.pair.mark]);
            if (token.kind == TokenKind::Pair) {
                total += LearnedFormat::lengthOfCode(format.spaceCodes[token.pair.space]);
            }
        }
    }
    scale.push_back(static_cast<std::uint8_t>(std::lround(4 * std::log2(std::max(total, 1.0)))));
}
}  // namespace

std::uint32_t FormatDigest::formatId(const LearnedFormat &format)
{
    // The format's own bytes, with lengths replaced by their cells, no gaps and
    // none of the lengths of its own that a key's capture needed.
    LearnedFormat coarse = format;
    coarse.adjustments.clear();
    coarse.carrierKHz = standardCarrierKHz(format.carrierKHz);
    std::vector<std::uint8_t> scale;
    if (format.alphabet) {
        coarsenTimed(coarse, format, scale);
    } else {
        coarsenRaw(coarse, format, scale);
    }
    for (LearnedFormat::Frame &frame : coarse.frames) {
        frame.gapMs = 1;
    }
    std::vector<std::uint8_t> description = coarse.serialize();
    description.insert(description.end(), scale.begin(), scale.end());
    const std::uint32_t hash = fnv1a(description);
    const std::uint32_t first = KnownFormats::firstLearnedByte + (hash >> 16) % (256 - KnownFormats::firstLearnedByte);
    return first << 16 | (hash & 0xFFFF);
}
