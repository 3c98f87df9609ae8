#include "JvcCodec.h"

#include <algorithm>

#include "PulseBits.h"

namespace
{
constexpr int unit = 527;
constexpr int firstExtentUs = 59080;
constexpr int repeatExtentUs = 46420;
constexpr int carrierHz = 37900;
constexpr PulseBits::Encoding encoding{{unit, unit}, {unit, 3 * unit}, false};

// The frame's D and F; with `lead` after the lead-in.
std::optional<std::uint16_t> frameBits(const IrFrame &frame, bool lead)
{
    std::size_t pos = 0;
    const std::vector<int> &d = frame.durations;
    if (d.size() != (lead ? 2u : 0u) + 32 + 1
        || (lead && (!PulseBits::expect(d, pos, 16 * unit) || !PulseBits::expect(d, pos, 8 * unit)))) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> bits = PulseBits::read(d, pos, 16, encoding);
    if (!bits || !PulseBits::expect(d, pos, unit)) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*bits);
}

std::vector<int> bodyOf(std::uint16_t bits)
{
    std::vector<int> frame;
    PulseBits::write(frame, bits, 16, encoding);
    frame.push_back(unit);
    return frame;
}
}  // namespace

bool JvcCodec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::jvc || formatId == KnownFormats::jvcWithoutLead;
}

std::optional<KnownCode> JvcCodec::decode(const IrSignal &signal) const
{
    if (signal.frames.empty() || signal.frames.size() > 256) {
        return std::nullopt;
    }
    KnownCode code;
    code.formatId = KnownFormats::jvc;
    std::optional<std::uint16_t> bits = frameBits(signal.frames.front(), true);
    if (!bits) {
        code.formatId = KnownFormats::jvcWithoutLead;
        bits = frameBits(signal.frames.front(), false);
    }
    if (!bits) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < signal.frames.size(); ++i) {
        if (frameBits(signal.frames[i], false) != bits) {
            return std::nullopt;
        }
    }
    code.fields[KnownFormats::fieldD] = static_cast<std::uint8_t>(*bits);
    code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>(*bits >> 8);
    code.repeatCount = static_cast<std::uint8_t>(signal.frames.size() - 1);
    code.repeat = code.repeatCount == 0                ? RepeatKind::None
                  : code.formatId == KnownFormats::jvc ? RepeatKind::Ditto
                                                       : RepeatKind::Full;
    return code;
}

std::optional<IrSignal> JvcCodec::encode(const KnownCode &code) const
{
    const auto &v = code.fields;
    const bool othersZero =
        v[KnownFormats::fieldS] == 0 && std::all_of(v.begin() + 3, v.end(), [](auto b) { return b == 0; });
    const RepeatKind repeat = code.formatId == KnownFormats::jvc ? RepeatKind::Ditto : RepeatKind::Full;
    if (!owns(code.formatId) || !othersZero || code.toggle != 0 || !code.repeatsConsistent()
        || (code.repeat != RepeatKind::None && code.repeat != repeat)) {
        return std::nullopt;
    }
    const std::uint16_t bits = static_cast<std::uint16_t>(v[KnownFormats::fieldD] | v[KnownFormats::fieldF] << 8);
    const IrFrame repeatFrame = PulseBits::timed(bodyOf(bits), repeatExtentUs);
    IrSignal signal;
    signal.carrierHz = carrierHz;
    if (code.formatId == KnownFormats::jvc) {
        std::vector<int> first{16 * unit, 8 * unit};
        const std::vector<int> body = bodyOf(bits);
        first.insert(first.end(), body.begin(), body.end());
        signal.frames.push_back(PulseBits::timed(first, firstExtentUs));
    } else {
        signal.frames.push_back(repeatFrame);
    }
    signal.frames.insert(signal.frames.end(), code.repeatCount, repeatFrame);
    signal.frames.back().gapAfterUs = 0;
    return signal;
}

std::string JvcCodec::name(const KnownCode &code) const
{
    return code.formatId == KnownFormats::jvc ? "JVC" : "JVC{2}";
}

ProtocolCodec::Fields JvcCodec::fields(const KnownCode &code) const
{
    return fieldsOf(code, {{"D", 0}, {"F", 2}}, false);
}

std::optional<KnownCode> JvcCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    if (name != "JVC" && name != "JVC{2}") {
        return std::nullopt;
    }
    const bool lead = name == "JVC";
    return sendable(codeOf(lead ? KnownFormats::jvc : KnownFormats::jvcWithoutLead,
                           lead ? RepeatKind::Ditto : RepeatKind::Full, repeats, fields, {{"D", 0}, {"F", 2}}, false));
}
