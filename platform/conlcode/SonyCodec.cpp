#include "SonyCodec.h"

#include "PulseBits.h"

namespace
{
constexpr int unit = 600;
constexpr int extentUs = 45000;
constexpr int carrierHz = 40000;
constexpr PulseBits::Encoding encoding{{unit, unit}, {2 * unit, unit}, false};

struct Variant
{
    std::string_view name;
    std::uint32_t formatId;
    int bits;
    int deviceBits;
};
constexpr Variant variants[] = {
    {"Sony12", KnownFormats::sony12, 12, 5},
    {"Sony15", KnownFormats::sony15, 15, 8},
    {"Sony20", KnownFormats::sony20, 20, 5},
};

const Variant *variantOf(std::uint32_t formatId)
{
    for (const Variant &variant : variants) {
        if (variant.formatId == formatId) {
            return &variant;
        }
    }
    return nullptr;
}

std::optional<std::uint64_t> frameBits(const IrFrame &frame, int bits)
{
    std::size_t pos = 0;
    const std::vector<int> &d = frame.durations;
    if (d.size() != static_cast<std::size_t>(2 * bits + 1) || !PulseBits::expect(d, pos, 4 * unit)
        || !PulseBits::expect(d, pos, unit)) {
        return std::nullopt;
    }
    return PulseBits::read(d, pos, bits, encoding, true);
}
}  // namespace

bool SonyCodec::owns(std::uint32_t formatId) const
{
    return variantOf(formatId) != nullptr;
}

std::optional<KnownCode> SonyCodec::decode(const IrSignal &signal) const
{
    if (signal.frames.empty() || signal.frames.size() > 256) {
        return std::nullopt;
    }
    for (const Variant &variant : variants) {
        const std::optional<std::uint64_t> bits = frameBits(signal.frames.front(), variant.bits);
        if (!bits) {
            continue;
        }
        for (std::size_t i = 1; i < signal.frames.size(); ++i) {
            if (frameBits(signal.frames[i], variant.bits) != bits) {
                return std::nullopt;
            }
        }
        KnownCode code;
        code.formatId = variant.formatId;
        code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>(*bits & 0x7F);
        code.fields[KnownFormats::fieldD] = static_cast<std::uint8_t>(*bits >> 7 & ((1u << variant.deviceBits) - 1));
        code.fields[KnownFormats::fieldS] = static_cast<std::uint8_t>(variant.bits == 20 ? *bits >> 12 & 0xFF : 0);
        code.repeatCount = static_cast<std::uint8_t>(signal.frames.size() - 1);
        code.repeat = code.repeatCount > 0 ? RepeatKind::Full : RepeatKind::None;
        return code;
    }
    return std::nullopt;
}

std::optional<IrSignal> SonyCodec::encode(const KnownCode &code) const
{
    const Variant *variant = variantOf(code.formatId);
    const std::uint8_t d = code.fields[KnownFormats::fieldD];
    const std::uint8_t s = code.fields[KnownFormats::fieldS];
    const std::uint8_t f = code.fields[KnownFormats::fieldF];
    if (!variant || f > 0x7F || d >= 1u << variant->deviceBits || (variant->bits != 20 && s != 0)
        || code.fields[KnownFormats::fieldE] != 0 || code.toggle != 0 || code.repeat == RepeatKind::Ditto
        || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    const std::uint64_t bits = f | static_cast<std::uint64_t>(d) << 7 | static_cast<std::uint64_t>(s) << 12;
    std::vector<int> frame{4 * unit, unit};
    PulseBits::write(frame, bits, variant->bits, encoding, true);
    return IrSignal::repeated(carrierHz, PulseBits::timed(frame, extentUs), 1u + code.repeatCount);
}

std::string SonyCodec::name(const KnownCode &code) const
{
    const Variant *variant = variantOf(code.formatId);
    return variant ? std::string(variant->name) : std::string();
}

ProtocolCodec::Fields SonyCodec::fields(const KnownCode &code) const
{
    if (code.formatId == KnownFormats::sony20) {
        return fieldsOf(code, {{"D", 0}, {"S", 1}, {"F", 2}}, false);
    }
    return fieldsOf(code, {{"D", 0}, {"F", 2}}, false);
}

std::optional<KnownCode> SonyCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    for (const Variant &variant : variants) {
        if (variant.name == name) {
            return sendable(
                variant.bits == 20
                    ? codeOf(variant.formatId, RepeatKind::Full, repeats, fields, {{"D", 0}, {"S", 1}, {"F", 2}}, false)
                    : codeOf(variant.formatId, RepeatKind::Full, repeats, fields, {{"D", 0}, {"F", 2}}, false));
        }
    }
    return std::nullopt;
}
