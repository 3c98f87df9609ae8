#include "FormatDigest.h"

#include <array>
#include <cmath>
#include <map>
#include <vector>

#include "KnownFormats.h"

namespace
{
using TokenKind = LearnedFormat::TokenKind;
constexpr int stepsPerOctave = 24;
constexpr int unitSteps = 4;  // of the 24: six per octave

// The unit as (is space, cluster).
std::pair<bool, std::uint8_t> unitOf(const LearnedFormat &format)
{
    if (format.alphabet) {
        const auto &[zero, one] = *format.alphabet;
        if (zero.mark == one.mark) {
            return {false, zero.mark};
        }
        return {true, zero.space};
    }
    std::map<std::pair<bool, std::uint8_t>, int> uses;
    for (const LearnedFormat::Frame &frame : format.frames) {
        for (const LearnedFormat::Token &token : frame.tokens) {
            ++uses[{false, token.pair.mark}];
            if (token.kind == TokenKind::Pair) {
                ++uses[{true, token.pair.space}];
            }
        }
    }
    const auto lengthOf = [&](std::pair<bool, std::uint8_t> key) {
        return key.first ? format.spaceCodes[key.second] : format.markCodes[key.second];
    };
    auto best = uses.begin();
    for (auto it = uses.begin(); it != uses.end(); ++it) {
        if (it->second > best->second || (it->second == best->second && lengthOf(it->first) < lengthOf(best->first))) {
            best = it;
        }
    }
    return best->first;
}

// floor(a / b) for b > 0.
int floorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The grid cell of a length `steps` 24ths of an octave above the unit.
std::uint8_t ratioCell(int steps)
{
    // Cells by the 24ths within an octave: mantissa 2^(r/24) rounded to quarters.
    static const std::array<int, stepsPerOctave> quarter = [] {
        std::array<int, stepsPerOctave> table{};
        for (int r = 0; r < stepsPerOctave; ++r) {
            table[static_cast<std::size_t>(r)] = static_cast<int>(std::lround((std::exp2(r / 24.0) - 1) * 4));
        }
        return table;
    }();
    const int octave = floorDiv(steps, stepsPerOctave);
    const int within = steps - octave * stepsPerOctave;
    return static_cast<std::uint8_t>(128 + octave * 4 + quarter[static_cast<std::size_t>(within)]);
}

std::uint32_t fnv1a(const std::vector<std::uint8_t> &bytes)
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
    // The format's own bytes, with lengths and gaps replaced by their cells.
    LearnedFormat coarse = format;
    const auto [unitIsSpace, unitCluster] = unitOf(format);
    const int unitCode = unitIsSpace ? format.spaceCodes[unitCluster] : format.markCodes[unitCluster];
    for (std::uint8_t &code : coarse.markCodes) {
        code = ratioCell(code - unitCode);
    }
    for (std::uint8_t &code : coarse.spaceCodes) {
        code = ratioCell(code - unitCode);
    }
    for (LearnedFormat::Frame &frame : coarse.frames) {
        frame.gapMs = 1;
    }
    std::vector<std::uint8_t> description = coarse.serialize();
    description.push_back(static_cast<std::uint8_t>((unitCode + unitSteps / 2) / unitSteps));
    const std::uint32_t hash = fnv1a(description);
    const std::uint32_t first = KnownFormats::firstLearnedByte + (hash >> 16) % (256 - KnownFormats::firstLearnedByte);
    return first << 16 | (hash & 0xFFFF);
}
