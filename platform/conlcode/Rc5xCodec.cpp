#include "Rc5xCodec.h"

#include <algorithm>

#include "HalfBits.h"
#include "PulseBits.h"

namespace
{
constexpr int half = 889;
constexpr int extentUs = 114000;
constexpr int carrierHz = 36000;
constexpr std::size_t frameHalves = 2 * 8 + 4 + 2 * 12;

void addBits(std::vector<bool> &levels, unsigned value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        const bool one = (value >> i & 1) != 0;
        levels.push_back(!one);
        levels.push_back(one);
    }
}

std::vector<bool> levelsOf(const KnownCode &code)
{
    const unsigned s = code.fields[KnownFormats::fieldS];
    std::vector<bool> levels;
    addBits(levels, 1, 1);
    addBits(levels, (s >> 6 & 1) ^ 1, 1);
    addBits(levels, code.toggle, 1);
    addBits(levels, code.fields[KnownFormats::fieldD], 5);
    levels.insert(levels.end(), 4, false);
    addBits(levels, s & 0x3F, 6);
    addBits(levels, code.fields[KnownFormats::fieldF], 6);
    return levels;
}

// The value of `count` bits from half-bit `at` on; nothing when a bit's two halves agree.
std::optional<unsigned> bitsAt(const std::vector<bool> &levels, std::size_t at, int count)
{
    unsigned value = 0;
    for (int i = 0; i < count; ++i) {
        const bool first = levels[at + 2 * static_cast<std::size_t>(i)];
        const bool second = levels[at + 2 * static_cast<std::size_t>(i) + 1];
        if (first == second) {
            return std::nullopt;
        }
        value = value << 1 | (second ? 1u : 0u);
    }
    return value;
}

std::optional<KnownCode> frameCode(const IrFrame &frame)
{
    std::optional<std::vector<bool>> levels = HalfBits::levels(frame, half, 6);
    if (!levels) {
        return std::nullopt;
    }
    // The start bit's space is silence, so is a last 0's.
    levels->insert(levels->begin(), false);
    if (levels->size() > frameHalves || levels->size() + 1 < frameHalves) {
        return std::nullopt;
    }
    levels->resize(frameHalves, false);
    const std::optional<unsigned> head = bitsAt(*levels, 0, 8);
    const std::optional<unsigned> tail = bitsAt(*levels, 20, 12);
    if (!head || !tail || (*head >> 7) != 1) {
        return std::nullopt;
    }
    KnownCode code;
    code.formatId = KnownFormats::rc5x;
    code.toggle = static_cast<std::uint8_t>(*head >> 5 & 1);
    code.fields[KnownFormats::fieldD] = static_cast<std::uint8_t>(*head & 0x1F);
    code.fields[KnownFormats::fieldS] = static_cast<std::uint8_t>((*tail >> 6) | ((*head >> 6 & 1) ^ 1) << 6);
    code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>(*tail & 0x3F);
    if (levelsOf(code) != *levels) {
        return std::nullopt;
    }
    return code;
}
}  // namespace

bool Rc5xCodec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::rc5x;
}

std::optional<KnownCode> Rc5xCodec::decode(const IrSignal &signal) const
{
    return sameFrames(signal, frameCode);
}

std::optional<IrSignal> Rc5xCodec::encode(const KnownCode &code) const
{
    const auto &v = code.fields;
    if (!owns(code.formatId) || v[KnownFormats::fieldD] > 0x1F || v[KnownFormats::fieldS] > 0x7F
        || v[KnownFormats::fieldF] > 0x3F || std::any_of(v.begin() + 3, v.end(), [](auto b) { return b != 0; })
        || code.toggle > 1 || code.repeat == RepeatKind::Ditto || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    const IrFrame frame = PulseBits::timed(HalfBits::durations(levelsOf(code), half), extentUs);
    return IrSignal::repeated(carrierHz, frame, 1u + code.repeatCount);
}

std::string Rc5xCodec::name(const KnownCode &) const
{
    return "RC5x";
}

ProtocolCodec::Fields Rc5xCodec::fields(const KnownCode &code) const
{
    return fieldsOf(code, {{"D", 0}, {"S", 1}, {"F", 2}}, true);
}

std::optional<KnownCode> Rc5xCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    return makeAs(name, "RC5x", KnownFormats::rc5x, repeats, fields, {{"D", 0}, {"S", 1}, {"F", 2}}, true);
}
