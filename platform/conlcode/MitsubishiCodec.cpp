#include "MitsubishiCodec.h"

#include <algorithm>

#include "PulseBits.h"

namespace
{
constexpr int unit = 300;
constexpr int carrierHz = 32600;
constexpr int dataBits = 16;
constexpr PulseBits::Encoding encoding{{unit, 3 * unit}, {unit, 7 * unit}, false};

std::optional<KnownCode> frameCode(const IrFrame &frame)
{
    std::size_t pos = 0;
    const std::vector<int> &d = frame.durations;
    if (d.size() != 2 * dataBits + 1) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> bits = PulseBits::read(d, pos, dataBits, encoding);
    if (!bits || !PulseBits::expect(d, pos, unit)) {
        return std::nullopt;
    }
    KnownCode code;
    code.formatId = KnownFormats::mitsubishi;
    code.fields[KnownFormats::fieldD] = static_cast<std::uint8_t>(*bits);
    code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>(*bits >> 8);
    return code;
}
}  // namespace

bool MitsubishiCodec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::mitsubishi;
}

std::optional<KnownCode> MitsubishiCodec::decode(const IrSignal &signal) const
{
    return sameFrames(signal, frameCode);
}

std::optional<IrSignal> MitsubishiCodec::encode(const KnownCode &code) const
{
    const auto &v = code.fields;
    const bool othersZero =
        v[KnownFormats::fieldS] == 0 && std::all_of(v.begin() + 3, v.end(), [](auto b) { return b == 0; });
    if (!owns(code.formatId) || !othersZero || code.toggle != 0 || code.repeat == RepeatKind::Ditto
        || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    std::vector<int> frame;
    PulseBits::write(frame, v[KnownFormats::fieldD] | v[KnownFormats::fieldF] << 8, dataBits, encoding);
    frame.push_back(unit);
    return IrSignal::repeated(carrierHz, PulseBits::gapped(frame, 80 * unit), 1u + code.repeatCount);
}

std::string MitsubishiCodec::name(const KnownCode &) const
{
    return "Mitsubishi";
}

ProtocolCodec::Fields MitsubishiCodec::fields(const KnownCode &code) const
{
    return fieldsOf(code, {{"D", 0}, {"F", 2}}, false);
}

std::optional<KnownCode> MitsubishiCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    return makeAs(name, "Mitsubishi", KnownFormats::mitsubishi, repeats, fields, {{"D", 0}, {"F", 2}}, false);
}
