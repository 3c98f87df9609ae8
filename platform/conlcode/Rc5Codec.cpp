#include "Rc5Codec.h"

#include <numeric>

#include "PulseTolerance.h"

namespace
{
constexpr int halfBit = 889;
constexpr int bitCount = 14;
constexpr int halfBits = 2 * bitCount;
constexpr int extentUs = 114000;
constexpr int carrierHz = 36000;

// The frame's bits, MSB first, from its half-bit levels. The first start bit's
// leading space and a final 0's trailing space are silence, so they are not
// among the durations.
std::optional<std::uint32_t> frameBits(const IrFrame &frame)
{
    std::vector<bool> levels{false};
    for (std::size_t i = 0; i < frame.durations.size(); ++i) {
        const int d = frame.durations[i];
        const int count = nearLength(d, halfBit) ? 1 : nearLength(d, 2 * halfBit) ? 2 : 0;
        if (count == 0) {
            return std::nullopt;
        }
        levels.insert(levels.end(), static_cast<std::size_t>(count), i % 2 == 0);
    }
    if (levels.size() == halfBits - 1) {
        levels.push_back(false);
    }
    if (levels.size() != halfBits) {
        return std::nullopt;
    }
    std::uint32_t bits = 0;
    for (int i = 0; i < bitCount; ++i) {
        const bool first = levels[2 * static_cast<std::size_t>(i)];
        const bool second = levels[2 * static_cast<std::size_t>(i) + 1];
        if (first == second) {
            return std::nullopt;
        }
        bits = bits << 1 | (second ? 1u : 0u);
    }
    return bits;
}

IrFrame frameOf(std::uint32_t bits)
{
    std::vector<bool> levels;
    for (int i = bitCount - 1; i >= 0; --i) {
        const bool one = (bits >> i & 1) != 0;
        levels.push_back(!one);
        levels.push_back(one);
    }
    // Runs of equal halves; the silent leading space and a trailing space drop out.
    std::vector<int> d;
    std::size_t i = levels[0] ? 0 : 1;
    while (i < levels.size()) {
        std::size_t end = i;
        while (end < levels.size() && levels[end] == levels[i]) {
            ++end;
        }
        if (levels[i] || end < levels.size()) {
            d.push_back(static_cast<int>(end - i) * halfBit);
        }
        i = end;
    }
    const int length = std::accumulate(d.begin(), d.end(), 0);
    return IrFrame{std::move(d), extentUs - length};
}
}  // namespace

bool Rc5Codec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::rc5;
}

std::optional<KnownCode> Rc5Codec::decode(const IrSignal &signal) const
{
    if (signal.frames.empty() || signal.frames.size() > 256) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> bits = frameBits(signal.frames.front());
    // The start bit is 1.
    if (!bits || (*bits >> (bitCount - 1)) != 1) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < signal.frames.size(); ++i) {
        if (frameBits(signal.frames[i]) != bits) {
            return std::nullopt;
        }
    }
    KnownCode code;
    code.formatId = KnownFormats::rc5;
    const std::uint32_t fieldBit = *bits >> 12 & 1;
    code.toggle = static_cast<std::uint8_t>(*bits >> 11 & 1);
    code.fields[KnownFormats::fieldD] = static_cast<std::uint8_t>(*bits >> 6 & 0x1F);
    code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>((*bits & 0x3F) | (fieldBit ^ 1) << 6);
    code.repeatCount = static_cast<std::uint8_t>(signal.frames.size() - 1);
    code.repeat = code.repeatCount > 0 ? RepeatKind::Full : RepeatKind::None;
    return code;
}

std::optional<IrSignal> Rc5Codec::encode(const KnownCode &code) const
{
    const std::uint8_t d = code.fields[KnownFormats::fieldD];
    const std::uint8_t f = code.fields[KnownFormats::fieldF];
    bool othersZero = true;
    for (std::size_t i = 0; i < code.fields.size(); ++i) {
        if (i != KnownFormats::fieldD && i != KnownFormats::fieldF && code.fields[i] != 0) {
            othersZero = false;
        }
    }
    if (!owns(code.formatId) || d > 0x1F || f > 0x7F || code.toggle > 1 || !othersZero
        || code.repeat == RepeatKind::Ditto || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    const std::uint32_t bits = 1u << 13 | static_cast<std::uint32_t>((f >> 6 & 1) ^ 1) << 12
                               | static_cast<std::uint32_t>(code.toggle) << 11 | static_cast<std::uint32_t>(d) << 6
                               | (f & 0x3Fu);
    return IrSignal::repeated(carrierHz, frameOf(bits), 1u + code.repeatCount);
}

std::string Rc5Codec::name(const KnownCode &) const
{
    return "RC5";
}

ProtocolCodec::Fields Rc5Codec::fields(const KnownCode &code) const
{
    return fieldsOf(code, {{"D", 0}, {"F", 2}}, true);
}

std::optional<KnownCode> Rc5Codec::make(std::string_view name, const Fields &fields, int repeats) const
{
    return makeAs(name, "RC5", KnownFormats::rc5, repeats, fields, {{"D", 0}, {"F", 2}}, true);
}
