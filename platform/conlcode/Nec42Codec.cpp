#include "Nec42Codec.h"

#include <algorithm>

#include "PulseBits.h"

namespace
{
constexpr int unit = 564;
constexpr int carrierHz = 38400;
constexpr int dataBits = 42;
constexpr std::uint64_t deviceMask = 0x1FFF;
constexpr PulseBits::Encoding encoding{{unit, unit}, {unit, 3 * unit}, false};

std::uint64_t bitsOf(std::uint64_t d, std::uint64_t f)
{
    return d | (~d & deviceMask) << 13 | f << 26 | (~f & 0xFF) << 34;
}

std::optional<std::uint64_t> frameBits(const IrFrame &frame)
{
    std::size_t pos = 0;
    const std::vector<int> &d = frame.durations;
    if (d.size() != 2 + 2 * dataBits + 1 || !PulseBits::expect(d, pos, 16 * unit)
        || !PulseBits::expect(d, pos, 8 * unit)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> bits = PulseBits::read(d, pos, dataBits, encoding);
    if (!bits || !PulseBits::expect(d, pos, unit) || *bits != bitsOf(*bits & deviceMask, *bits >> 26 & 0xFF)) {
        return std::nullopt;
    }
    return bits;
}

bool isDitto(const IrFrame &frame)
{
    std::size_t pos = 0;
    const std::vector<int> &d = frame.durations;
    return d.size() == 3 && PulseBits::expect(d, pos, 16 * unit) && PulseBits::expect(d, pos, 4 * unit)
           && PulseBits::expect(d, pos, unit);
}
}  // namespace

bool Nec42Codec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::nec42;
}

std::optional<KnownCode> Nec42Codec::decode(const IrSignal &signal) const
{
    if (signal.frames.empty() || signal.frames.size() > 256) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> bits = frameBits(signal.frames.front());
    if (!bits || !std::all_of(signal.frames.begin() + 1, signal.frames.end(), isDitto)) {
        return std::nullopt;
    }
    KnownCode code;
    code.formatId = KnownFormats::nec42;
    code.fields[0] = static_cast<std::uint8_t>(*bits);
    code.fields[1] = static_cast<std::uint8_t>(*bits >> 8 & 0x1F);
    code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>(*bits >> 26);
    code.repeatCount = static_cast<std::uint8_t>(signal.frames.size() - 1);
    code.repeat = code.repeatCount > 0 ? RepeatKind::Ditto : RepeatKind::None;
    return code;
}

std::optional<IrSignal> Nec42Codec::encode(const KnownCode &code) const
{
    const auto &v = code.fields;
    if (!owns(code.formatId) || v[1] > 0x1F || std::any_of(v.begin() + 3, v.end(), [](auto b) { return b != 0; })
        || code.toggle != 0 || code.repeat == RepeatKind::Full || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    std::vector<int> frame{16 * unit, 8 * unit};
    PulseBits::write(frame, bitsOf(v[0] | static_cast<std::uint64_t>(v[1]) << 8, v[KnownFormats::fieldF]), dataBits,
                     encoding);
    frame.push_back(unit);
    IrSignal signal;
    signal.carrierHz = carrierHz;
    signal.frames.push_back(PulseBits::gapped(frame, 78 * unit));
    signal.frames.insert(signal.frames.end(), code.repeatCount,
                         PulseBits::gapped({16 * unit, 4 * unit, unit}, 173 * unit));
    signal.frames.back().gapAfterUs = 0;
    return signal;
}

std::string Nec42Codec::name(const KnownCode &) const
{
    return "NEC42";
}

ProtocolCodec::Fields Nec42Codec::fields(const KnownCode &code) const
{
    return {{"D", code.fields[0] | code.fields[1] << 8}, {"F", code.fields[KnownFormats::fieldF]}};
}

std::optional<KnownCode> Nec42Codec::make(std::string_view name, const Fields &fields, int repeats) const
{
    const std::optional<int> d = field(fields, "D");
    const std::optional<int> f = field(fields, "F");
    if (name != "NEC42" || fields.size() != 2 || !d || !f || *d < 0 || *d > static_cast<int>(deviceMask) || *f < 0
        || *f > 255 || repeats < 0 || repeats > 255) {
        return std::nullopt;
    }
    KnownCode code;
    code.formatId = KnownFormats::nec42;
    code.fields[0] = static_cast<std::uint8_t>(*d);
    code.fields[1] = static_cast<std::uint8_t>(*d >> 8);
    code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>(*f);
    code.repeatCount = static_cast<std::uint8_t>(repeats);
    code.repeat = repeats > 0 ? RepeatKind::Ditto : RepeatKind::None;
    return sendable(code);
}
