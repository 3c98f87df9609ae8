#include "Samsung36Codec.h"

#include <algorithm>

#include "PulseBits.h"

namespace
{
constexpr int unit = 560;
constexpr int lead = 4500;
constexpr int extentUs = 108000;
constexpr int carrierHz = 37900;
constexpr PulseBits::Encoding encoding{{unit, unit}, {unit, 3 * unit}, false};

std::optional<KnownCode> frameCode(const IrFrame &frame)
{
    std::size_t pos = 0;
    const std::vector<int> &d = frame.durations;
    if (d.size() != 2 + 32 + 2 + 40 + 1 || !PulseBits::expect(d, pos, lead) || !PulseBits::expect(d, pos, lead)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> first = PulseBits::read(d, pos, 16, encoding);
    if (!first || !PulseBits::expect(d, pos, unit) || !PulseBits::expect(d, pos, 9 * unit)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> second = PulseBits::read(d, pos, 20, encoding);
    if (!second || !PulseBits::expect(d, pos, unit)) {
        return std::nullopt;
    }
    KnownCode code;
    code.formatId = KnownFormats::samsung36;
    code.fields[KnownFormats::fieldD] = static_cast<std::uint8_t>(*first);
    code.fields[KnownFormats::fieldS] = static_cast<std::uint8_t>(*first >> 8);
    code.fields[KnownFormats::fieldE] = static_cast<std::uint8_t>(*second & 0xF);
    code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>(*second >> 4);
    if ((*second >> 12 & 0xFF) != static_cast<std::uint8_t>(~code.fields[KnownFormats::fieldF])) {
        return std::nullopt;
    }
    return code;
}
}  // namespace

bool Samsung36Codec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::samsung36;
}

std::optional<KnownCode> Samsung36Codec::decode(const IrSignal &signal) const
{
    return sameFrames(signal, frameCode);
}

std::optional<IrSignal> Samsung36Codec::encode(const KnownCode &code) const
{
    const auto &v = code.fields;
    if (!owns(code.formatId) || v[KnownFormats::fieldE] > 0xF
        || std::any_of(v.begin() + 4, v.end(), [](auto b) { return b != 0; }) || code.toggle != 0
        || code.repeat == RepeatKind::Ditto || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    const std::uint8_t f = v[KnownFormats::fieldF];
    std::vector<int> frame{lead, lead};
    PulseBits::write(frame, v[KnownFormats::fieldD] | v[KnownFormats::fieldS] << 8, 16, encoding);
    frame.push_back(unit);
    frame.push_back(9 * unit);
    PulseBits::write(frame, v[KnownFormats::fieldE] | f << 4 | static_cast<std::uint8_t>(~f) << 12, 20, encoding);
    frame.push_back(unit);
    return IrSignal::repeated(carrierHz, PulseBits::timed(frame, extentUs), 1u + code.repeatCount);
}

std::string Samsung36Codec::name(const KnownCode &) const
{
    return "Samsung36";
}

ProtocolCodec::Fields Samsung36Codec::fields(const KnownCode &code) const
{
    return fieldsOf(code, {{"D", 0}, {"S", 1}, {"F", 2}, {"E", 3}}, false);
}

std::optional<KnownCode> Samsung36Codec::make(std::string_view name, const Fields &fields, int repeats) const
{
    return makeAs(name, "Samsung36", KnownFormats::samsung36, repeats, fields, {{"D", 0}, {"S", 1}, {"F", 2}, {"E", 3}},
                  false);
}
