#include "RcaCodec.h"

#include <algorithm>

#include "PulseBits.h"

namespace
{
constexpr int unit = 460;
constexpr int carrierHz = 58000;
constexpr int dataBits = 24;
constexpr PulseBits::Encoding encoding{{unit, 2 * unit}, {unit, 4 * unit}, true};

std::optional<std::uint32_t> frameBits(const IrFrame &frame)
{
    std::size_t pos = 0;
    const std::vector<int> &d = frame.durations;
    if (d.size() != 2 + 2 * dataBits + 1 || !PulseBits::expect(d, pos, 8 * unit)
        || !PulseBits::expect(d, pos, 8 * unit)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> bits = PulseBits::read(d, pos, dataBits, encoding);
    if (!bits || !PulseBits::expect(d, pos, unit)) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*bits);
}

// D:4, F:8, ~D:4, ~F:8, the first field in the highest bits.
std::uint32_t bitsOf(std::uint32_t d, std::uint32_t f)
{
    return d << 20 | f << 12 | (~d & 0xF) << 8 | (~f & 0xFF);
}
}  // namespace

bool RcaCodec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::rca;
}

std::optional<KnownCode> RcaCodec::decode(const IrSignal &signal) const
{
    if (signal.frames.empty() || signal.frames.size() > 256) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> bits = frameBits(signal.frames.front());
    if (!bits || *bits != bitsOf(*bits >> 20, *bits >> 12 & 0xFF)) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < signal.frames.size(); ++i) {
        if (frameBits(signal.frames[i]) != bits) {
            return std::nullopt;
        }
    }
    KnownCode code;
    code.formatId = KnownFormats::rca;
    code.fields[KnownFormats::fieldD] = static_cast<std::uint8_t>(*bits >> 20);
    code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>(*bits >> 12);
    code.repeatCount = static_cast<std::uint8_t>(signal.frames.size() - 1);
    code.repeat = code.repeatCount > 0 ? RepeatKind::Full : RepeatKind::None;
    return code;
}

std::optional<IrSignal> RcaCodec::encode(const KnownCode &code) const
{
    const std::uint8_t d = code.fields[KnownFormats::fieldD];
    const bool othersZero = code.fields[KnownFormats::fieldS] == 0
                            && std::all_of(code.fields.begin() + 3, code.fields.end(), [](auto b) { return b == 0; });
    if (!owns(code.formatId) || d > 0xF || !othersZero || code.toggle != 0 || code.repeat == RepeatKind::Ditto
        || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    std::vector<int> frame{8 * unit, 8 * unit};
    PulseBits::write(frame, bitsOf(d, code.fields[KnownFormats::fieldF]), dataBits, encoding);
    frame.push_back(unit);
    return IrSignal::repeated(carrierHz, PulseBits::gapped(frame, 16 * unit), 1u + code.repeatCount);
}

std::string RcaCodec::name(const KnownCode &) const
{
    return "RCA";
}

ProtocolCodec::Fields RcaCodec::fields(const KnownCode &code) const
{
    return fieldsOf(code, {{"D", 0}, {"F", 2}}, false);
}

std::optional<KnownCode> RcaCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    if (name != "RCA" && name != "RCA-38") {
        return std::nullopt;
    }
    return sendable(codeOf(KnownFormats::rca, RepeatKind::Full, repeats, fields, {{"D", 0}, {"F", 2}}, false));
}
