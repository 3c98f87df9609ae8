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

// Which halves a press sends, part A byte 7: by turns from the half with F
// (what codes stored before hold) or from the half with ~F, or one of them
// alone (IRP Sharp{1} and Sharp{2}, Denon{1} and Denon{2}).
enum Form : std::uint8_t
{
    fromNormal = 0,
    fromInverted = 1,
    normalOnly = 2,
    invertedOnly = 3,
};
constexpr std::size_t formByte = 7;

// The n-th half of a press.
std::uint16_t nthHalf(const KnownCode &code, const Checks &checks, std::size_t n)
{
    const std::uint8_t d = code.fields[KnownFormats::fieldD];
    const std::uint8_t f = code.fields[KnownFormats::fieldF];
    const std::uint8_t form = code.fields[formByte];
    const bool inverted =
        form == invertedOnly || (form == fromNormal && n % 2 == 1) || (form == fromInverted && n % 2 == 0);
    return inverted ? halfOf(d, static_cast<std::uint8_t>(~f), checks.inverted) : halfOf(d, f, checks.normal);
}

// Every half of the press has F, or every one ~F.
bool oneKind(const KnownCode &code)
{
    const std::uint8_t form = code.fields[formByte];
    return form == normalOnly || form == invertedOnly || code.repeatCount == 0;
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
    std::vector<std::uint16_t> halves;
    for (const IrFrame &frame : signal.frames) {
        const std::optional<std::uint16_t> half = halfBitsOf(frame);
        if (!half) {
            return std::nullopt;
        }
        halves.push_back(*half);
    }
    const std::uint16_t first = halves.front();
    for (const Checks &checks : {sharp, denon}) {
        const bool inverted = first >> 13 == checks.inverted;
        if (first >> 13 != checks.normal && !inverted) {
            continue;
        }
        KnownCode code;
        code.formatId = checks.formatId;
        code.fields[KnownFormats::fieldD] = static_cast<std::uint8_t>(first & 0x1F);
        const auto f = static_cast<std::uint8_t>(first >> 5);
        code.fields[KnownFormats::fieldF] = inverted ? static_cast<std::uint8_t>(~f) : f;
        code.repeatCount = static_cast<std::uint8_t>(halves.size() - 1);
        code.repeat = code.repeatCount > 0 ? RepeatKind::Full : RepeatKind::None;
        // Halves by turns, else the one half again and again.
        for (const Form form : {inverted ? fromInverted : fromNormal, inverted ? invertedOnly : normalOnly}) {
            code.fields[formByte] = form;
            bool all = true;
            for (std::size_t i = 1; i < halves.size() && all; ++i) {
                all = halves[i] == nthHalf(code, checks, i);
            }
            if (all) {
                return code;
            }
        }
    }
    return std::nullopt;
}

std::optional<IrSignal> SharpCodec::encode(const KnownCode &code) const
{
    const auto &v = code.fields;
    const bool othersZero =
        v[KnownFormats::fieldS] == 0 && std::all_of(v.begin() + 3, v.begin() + formByte, [](auto b) { return b == 0; });
    if (!owns(code.formatId) || v[KnownFormats::fieldD] > 0x1F || !othersZero || v[formByte] > invertedOnly
        || code.toggle != 0 || code.repeat == RepeatKind::Ditto || !code.repeatsConsistent()) {
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
    const std::string protocol = code.formatId == KnownFormats::sharp ? "Sharp" : "Denon";
    if (!oneKind(code)) {
        return protocol;
    }
    const std::uint8_t form = code.fields[formByte];
    return protocol + (form == fromInverted || form == invertedOnly ? "{2}" : "{1}");
}

ProtocolCodec::Fields SharpCodec::fields(const KnownCode &code) const
{
    return fieldsOf(code, {{"D", 0}, {"F", 2}}, false);
}

std::optional<KnownCode> SharpCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    for (const Checks &checks : {sharp, denon}) {
        const std::string protocol = checks.formatId == KnownFormats::sharp ? "Sharp" : "Denon";
        const Form form = name == protocol           ? fromNormal
                          : name == protocol + "{1}" ? normalOnly
                          : name == protocol + "{2}" ? invertedOnly
                                                     : Form(0xFF);
        if (form == Form(0xFF)) {
            continue;
        }
        std::optional<KnownCode> code =
            codeOf(checks.formatId, RepeatKind::Full, repeats, fields, {{"D", 0}, {"F", 2}}, false);
        if (code) {
            code->fields[formByte] = form;
        }
        return sendable(code);
    }
    return std::nullopt;
}
