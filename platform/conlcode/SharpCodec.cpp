#include "SharpCodec.h"

#include <algorithm>

#include "PulseBits.h"

namespace
{
constexpr int unit = 264;
constexpr int extentUs = 67000;
constexpr int carrierHz = 38000;
constexpr int halfBits = 15;
constexpr PulseBits::Encoding encoding{{unit, 3 * unit}, {unit, 7 * unit}, false};

struct Checks
{
    std::uint32_t formatId;
    std::uint16_t normal;
    std::uint16_t inverted;
};
constexpr Checks sharp{KnownFormats::sharp, 1, 2};
constexpr Checks denon{KnownFormats::denon, 0, 3};

std::uint16_t halfOf(std::uint8_t d, std::uint8_t f, std::uint16_t check)
{
    return static_cast<std::uint16_t>(d | f << 5 | check << 13);
}

std::optional<std::uint16_t> halfBitsOf(const IrFrame &frame)
{
    std::size_t pos = 0;
    const std::vector<int> &d = frame.durations;
    if (d.size() != 2 * halfBits + 1) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> bits = PulseBits::read(d, pos, halfBits, encoding);
    if (!bits || !PulseBits::expect(d, pos, unit)) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*bits);
}

// The n-th half of a press: F first, then ~F and F by turns.
std::uint16_t nthHalf(const KnownCode &code, const Checks &checks, std::size_t n)
{
    const std::uint8_t d = code.fields[KnownFormats::fieldD];
    const std::uint8_t f = code.fields[KnownFormats::fieldF];
    return n % 2 == 0 ? halfOf(d, f, checks.normal) : halfOf(d, static_cast<std::uint8_t>(~f), checks.inverted);
}
}  // namespace

bool SharpCodec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::sharp || formatId == KnownFormats::denon;
}

std::optional<KnownCode> SharpCodec::decode(const IrSignal &signal) const
{
    if (signal.frames.empty() || signal.frames.size() > 256) {
        return std::nullopt;
    }
    const std::optional<std::uint16_t> first = halfBitsOf(signal.frames.front());
    if (!first) {
        return std::nullopt;
    }
    for (const Checks &checks : {sharp, denon}) {
        if (*first >> 13 != checks.normal) {
            continue;
        }
        KnownCode code;
        code.formatId = checks.formatId;
        code.fields[KnownFormats::fieldD] = static_cast<std::uint8_t>(*first & 0x1F);
        code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>(*first >> 5);
        for (std::size_t i = 1; i < signal.frames.size(); ++i) {
            if (halfBitsOf(signal.frames[i]) != nthHalf(code, checks, i)) {
                return std::nullopt;
            }
        }
        code.repeatCount = static_cast<std::uint8_t>(signal.frames.size() - 1);
        code.repeat = code.repeatCount > 0 ? RepeatKind::Full : RepeatKind::None;
        return code;
    }
    return std::nullopt;
}

std::optional<IrSignal> SharpCodec::encode(const KnownCode &code) const
{
    const auto &v = code.fields;
    const bool othersZero =
        v[KnownFormats::fieldS] == 0 && std::all_of(v.begin() + 3, v.end(), [](auto b) { return b == 0; });
    if (!owns(code.formatId) || v[KnownFormats::fieldD] > 0x1F || !othersZero || code.toggle != 0
        || code.repeat == RepeatKind::Ditto || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    const Checks &checks = code.formatId == KnownFormats::sharp ? sharp : denon;
    IrSignal signal;
    signal.carrierHz = carrierHz;
    for (std::size_t i = 0; i <= code.repeatCount; ++i) {
        std::vector<int> half;
        PulseBits::write(half, nthHalf(code, checks, i), halfBits, encoding);
        half.push_back(unit);
        signal.frames.push_back(PulseBits::timed(half, extentUs));
    }
    signal.frames.back().gapAfterUs = 0;
    return signal;
}

std::string SharpCodec::name(const KnownCode &code) const
{
    return code.formatId == KnownFormats::sharp ? "Sharp" : "Denon";
}

ProtocolCodec::Fields SharpCodec::fields(const KnownCode &code) const
{
    return fieldsOf(code, {{"D", 0}, {"F", 2}}, false);
}

std::optional<KnownCode> SharpCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    if (name != "Sharp" && name != "Denon") {
        return std::nullopt;
    }
    return sendable(codeOf(name == "Sharp" ? KnownFormats::sharp : KnownFormats::denon, RepeatKind::Full, repeats,
                           fields, {{"D", 0}, {"F", 2}}, false));
}
