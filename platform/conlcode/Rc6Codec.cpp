#include "Rc6Codec.h"

#include <algorithm>

#include "HalfBits.h"
#include "PulseBits.h"

namespace
{
constexpr int half = 444;
constexpr int extentUs = 107000;
constexpr int carrierHz = 36000;

void addBit(std::vector<bool> &levels, bool one, int width)
{
    levels.insert(levels.end(), static_cast<std::size_t>(width), one);
    levels.insert(levels.end(), static_cast<std::size_t>(width), !one);
}

std::vector<bool> levelsOf(int toggle, std::uint8_t d, std::uint8_t f)
{
    std::vector<bool> levels(6, true);
    levels.insert(levels.end(), 2, false);
    addBit(levels, true, 1);
    for (int i = 0; i < 3; ++i) {
        addBit(levels, false, 1);
    }
    addBit(levels, toggle != 0, 2);
    for (int i = 7; i >= 0; --i) {
        addBit(levels, (d >> i & 1) != 0, 1);
    }
    for (int i = 7; i >= 0; --i) {
        addBit(levels, (f >> i & 1) != 0, 1);
    }
    return levels;
}

std::optional<KnownCode> frameCode(const IrFrame &frame)
{
    const std::optional<std::vector<bool>> levels = HalfBits::levels(frame, half, 6);
    // Start, mode and toggle are fixed apart from T; the rest are 16 bits.
    constexpr std::size_t dataStart = 6 + 2 + 2 + 6 + 4;
    if (!levels || levels->size() + 1 < dataStart + 32 || levels->size() > dataStart + 32) {
        return std::nullopt;
    }
    KnownCode code;
    code.formatId = KnownFormats::rc6;
    code.toggle = (*levels)[16] ? 1 : 0;
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 16; ++i) {
        bits = bits << 1 | ((*levels)[dataStart + 2 * i] ? 1u : 0u);
    }
    code.fields[KnownFormats::fieldD] = static_cast<std::uint8_t>(bits >> 8);
    code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>(bits);
    std::vector<bool> padded = *levels;
    padded.resize(dataStart + 32, false);
    if (padded != levelsOf(code.toggle, code.fields[KnownFormats::fieldD], code.fields[KnownFormats::fieldF])) {
        return std::nullopt;
    }
    return code;
}
}  // namespace

bool Rc6Codec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::rc6;
}

std::optional<KnownCode> Rc6Codec::decode(const IrSignal &signal) const
{
    return sameFrames(signal, frameCode);
}

std::optional<IrSignal> Rc6Codec::encode(const KnownCode &code) const
{
    const bool othersZero = code.fields[KnownFormats::fieldS] == 0
                            && std::all_of(code.fields.begin() + 3, code.fields.end(), [](auto b) { return b == 0; });
    if (!owns(code.formatId) || !othersZero || code.toggle > 1 || code.repeat == RepeatKind::Ditto
        || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    const std::vector<bool> levels =
        levelsOf(code.toggle, code.fields[KnownFormats::fieldD], code.fields[KnownFormats::fieldF]);
    IrSignal signal;
    signal.carrierHz = carrierHz;
    signal.frames.assign(1u + code.repeatCount, PulseBits::timed(HalfBits::durations(levels, half), extentUs));
    signal.frames.back().gapAfterUs = 0;
    return signal;
}

std::string Rc6Codec::name(const KnownCode &) const
{
    return "RC6";
}

ProtocolCodec::Fields Rc6Codec::fields(const KnownCode &code) const
{
    return fieldsOf(code, {{"D", 0}, {"F", 2}}, true);
}

std::optional<KnownCode> Rc6Codec::make(std::string_view name, const Fields &fields, int repeats) const
{
    return makeAs(name, "RC6", KnownFormats::rc6, repeats, fields, {{"D", 0}, {"F", 2}}, true);
}
