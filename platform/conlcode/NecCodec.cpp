#include "NecCodec.h"

#include <algorithm>

#include "PulseBits.h"

namespace
{
constexpr int unit = 564;
constexpr int extentUs = 108000;
constexpr int dataBits = 32;
constexpr PulseBits::Encoding encoding{{unit, unit}, {unit, 3 * unit}, false};
constexpr int pioneerCarrier = 40000;
constexpr int necCarrier = 38400;
constexpr int firstPioneerDevice = 160;
constexpr int lastPioneerDevice = 175;
// As the capture gives it, in whole kHz: 40 to 42, where 38.4 kHz NEC reads 38.
constexpr int lowestPioneerCarrier = 40000;
constexpr int highestPioneerCarrier = 42000;

struct Variant
{
    std::string_view name;
    std::uint32_t formatId;
    RepeatKind repeat;
    bool f16;
};
constexpr Variant variants[] = {
    {"NEC1", KnownFormats::nec, RepeatKind::Ditto, false},
    {"NEC2", KnownFormats::nec, RepeatKind::Full, false},
    {"NEC1-f16", KnownFormats::nec, RepeatKind::Ditto, true},
    {"NEC2-f16", KnownFormats::nec, RepeatKind::Full, true},
    {"NECx1", KnownFormats::necx, RepeatKind::Ditto, false},
    {"NECx2", KnownFormats::necx, RepeatKind::Full, false},
    {"NECx1-f16", KnownFormats::necx, RepeatKind::Ditto, true},
    {"NECx2-f16", KnownFormats::necx, RepeatKind::Full, true},
    {"Pioneer", KnownFormats::pioneer, RepeatKind::Full, false},
};

int leadMarkOf(std::uint32_t formatId)
{
    return formatId == KnownFormats::necx ? 8 * unit : 16 * unit;
}

std::optional<std::uint32_t> frameBits(const IrFrame &frame, int leadMark)
{
    const std::vector<int> &d = frame.durations;
    std::size_t pos = 0;
    if (d.size() != 2 + 2 * dataBits + 1 || !PulseBits::expect(d, pos, leadMark)
        || !PulseBits::expect(d, pos, 8 * unit)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> bits = PulseBits::read(d, pos, dataBits, encoding);
    if (!bits || !PulseBits::expect(d, pos, unit)) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*bits);
}

std::vector<int> dittoOf(std::uint32_t formatId, std::uint8_t d)
{
    if (formatId == KnownFormats::necx) {
        std::vector<int> frame{8 * unit, 8 * unit};
        PulseBits::write(frame, ~d & 1u, 1, encoding);
        frame.push_back(unit);
        return frame;
    }
    return {16 * unit, 4 * unit, unit};
}

bool isDitto(const IrFrame &frame, std::uint32_t formatId, std::uint8_t d)
{
    const std::vector<int> want = dittoOf(formatId, d);
    if (frame.durations.size() != want.size()) {
        return false;
    }
    std::size_t pos = 0;
    return std::all_of(want.begin(), want.end(),
                       [&](int nominal) { return PulseBits::expect(frame.durations, pos, nominal); });
}

bool complement(const KnownCode &code)
{
    return code.fields[KnownFormats::fieldE] == static_cast<std::uint8_t>(~code.fields[KnownFormats::fieldF]);
}
}  // namespace

bool NecCodec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::nec || formatId == KnownFormats::necx || formatId == KnownFormats::pioneer;
}

std::optional<KnownCode> NecCodec::decode(const IrSignal &signal) const
{
    if (signal.frames.empty() || signal.frames.size() > 256) {
        return std::nullopt;
    }
    KnownCode code;
    std::optional<std::uint32_t> bits = frameBits(signal.frames.front(), 16 * unit);
    code.formatId = KnownFormats::nec;
    if (!bits) {
        bits = frameBits(signal.frames.front(), 8 * unit);
        code.formatId = KnownFormats::necx;
    }
    if (!bits) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        code.fields[i] = static_cast<std::uint8_t>(*bits >> (8 * i));
    }
    const std::uint8_t d = code.fields[KnownFormats::fieldD];
    for (std::size_t i = 1; i < signal.frames.size(); ++i) {
        const IrFrame &frame = signal.frames[i];
        const RepeatKind kind = isDitto(frame, code.formatId, d)                      ? RepeatKind::Ditto
                                : frameBits(frame, leadMarkOf(code.formatId)) == bits ? RepeatKind::Full
                                                                                      : RepeatKind::None;
        if (kind == RepeatKind::None || (code.repeat != RepeatKind::None && kind != code.repeat)) {
            return std::nullopt;
        }
        code.repeat = kind;
    }
    code.repeatCount = static_cast<std::uint8_t>(signal.frames.size() - 1);
    // The carrier tells Pioneer from NEC; without one only Pioneer's device numbers can.
    const bool pioneer = signal.carrierHz > 0
                             ? signal.carrierHz >= lowestPioneerCarrier && signal.carrierHz <= highestPioneerCarrier
                                   && code.repeat != RepeatKind::Ditto
                             : code.repeat == RepeatKind::Full && d >= firstPioneerDevice && d <= lastPioneerDevice;
    if (code.formatId == KnownFormats::nec && complement(code) && pioneer) {
        code.formatId = KnownFormats::pioneer;
    }
    return code;
}

std::optional<IrSignal> NecCodec::encode(const KnownCode &code) const
{
    const bool extraFree = std::any_of(code.fields.begin() + 4, code.fields.end(), [](auto b) { return b != 0; });
    if (!owns(code.formatId) || extraFree || code.toggle != 0 || !code.repeatsConsistent()
        || (code.formatId == KnownFormats::pioneer && (code.repeat == RepeatKind::Ditto || !complement(code)))) {
        return std::nullopt;
    }
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        bits |= static_cast<std::uint32_t>(code.fields[i]) << (8 * i);
    }
    std::vector<int> frame{leadMarkOf(code.formatId), 8 * unit};
    PulseBits::write(frame, bits, dataBits, encoding);
    frame.push_back(unit);
    IrSignal signal;
    signal.carrierHz = code.formatId == KnownFormats::pioneer ? pioneerCarrier : necCarrier;
    signal.frames.push_back(PulseBits::timed(frame, extentUs));
    const IrFrame repeat = code.repeat == RepeatKind::Ditto
                               ? PulseBits::timed(dittoOf(code.formatId, code.fields[KnownFormats::fieldD]), extentUs)
                               : signal.frames.front();
    signal.frames.insert(signal.frames.end(), code.repeatCount, repeat);
    signal.frames.back().gapAfterUs = 0;
    return signal;
}

std::string NecCodec::name(const KnownCode &code) const
{
    const RepeatKind repeat = code.repeat == RepeatKind::None ? RepeatKind::Ditto : code.repeat;
    for (const Variant &variant : variants) {
        if (variant.formatId == code.formatId && variant.repeat == repeat && variant.f16 != complement(code)) {
            return std::string(variant.name);
        }
    }
    return "Pioneer";
}

ProtocolCodec::Fields NecCodec::fields(const KnownCode &code) const
{
    return fieldsOf(code, {{"D", 0}, {"S", 1}, {"F", 2}, {"E", 3}}, false);
}

std::optional<KnownCode> NecCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    for (const Variant &variant : variants) {
        if (variant.name == name) {
            std::optional<KnownCode> code = codeOf(variant.formatId, variant.repeat, repeats, fields,
                                                   {{"D", 0}, {"S", 1}, {"F", 2}, {"E", 3}}, false);
            if (code && complement(*code) == variant.f16) {
                return std::nullopt;
            }
            return sendable(code);
        }
    }
    return std::nullopt;
}
