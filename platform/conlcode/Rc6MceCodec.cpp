#include "Rc6MceCodec.h"

#include <algorithm>

#include "HalfBits.h"
#include "PulseBits.h"

namespace
{
constexpr int half = 444;
constexpr int extentUs = 107000;
constexpr int carrierHz = 36000;
constexpr int mode = 6;
constexpr int modeBits = 3;
constexpr std::uint32_t oem1 = 128;
constexpr int dataBits = 32;
constexpr int longestDevice = 127;
// Half-bits before the data: lead-in 6 + 2, start bit 2, mode 6, trailer 4.
constexpr std::size_t dataStart = 6 + 2 + 2 + 2 * modeBits + 4;
constexpr std::size_t frameHalves = dataStart + 2 * dataBits;

void addBit(std::vector<bool> &levels, bool one, int width)
{
    levels.insert(levels.end(), static_cast<std::size_t>(width), one);
    levels.insert(levels.end(), static_cast<std::size_t>(width), !one);
}

std::vector<bool> levelsOf(std::uint32_t data)
{
    std::vector<bool> levels(6, true);
    levels.insert(levels.end(), 2, false);
    addBit(levels, true, 1);
    for (int i = modeBits - 1; i >= 0; --i) {
        addBit(levels, (mode >> i & 1) != 0, 1);
    }
    addBit(levels, false, 2);
    for (int i = dataBits - 1; i >= 0; --i) {
        addBit(levels, (data >> i & 1) != 0, 1);
    }
    return levels;
}

std::uint32_t dataOf(const KnownCode &code)
{
    return oem1 << 24 | static_cast<std::uint32_t>(code.fields[KnownFormats::fieldS]) << 16
           | static_cast<std::uint32_t>(code.toggle) << 15
           | static_cast<std::uint32_t>(code.fields[KnownFormats::fieldD]) << 8 | code.fields[KnownFormats::fieldF];
}

std::optional<KnownCode> frameCode(const IrFrame &frame)
{
    const std::optional<std::vector<bool>> levels = HalfBits::levels(frame, half, 6);
    // A last bit 1 ends on a space, which the frame does not hold.
    if (!levels || levels->size() + 1 < frameHalves || levels->size() > frameHalves) {
        return std::nullopt;
    }
    std::uint32_t data = 0;
    for (std::size_t i = 0; i < dataBits; ++i) {
        data = data << 1 | ((*levels)[dataStart + 2 * i] ? 1u : 0u);
    }
    KnownCode code;
    code.formatId = KnownFormats::mce;
    code.fields[KnownFormats::fieldS] = static_cast<std::uint8_t>(data >> 16);
    code.toggle = static_cast<std::uint8_t>(data >> 15 & 1);
    code.fields[KnownFormats::fieldD] = static_cast<std::uint8_t>(data >> 8 & longestDevice);
    code.fields[KnownFormats::fieldF] = static_cast<std::uint8_t>(data);
    std::vector<bool> padded = *levels;
    padded.resize(frameHalves, false);
    if (data >> 24 != oem1 || padded != levelsOf(data)) {
        return std::nullopt;
    }
    return code;
}
}  // namespace

bool Rc6MceCodec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::mce;
}

std::optional<KnownCode> Rc6MceCodec::decode(const IrSignal &signal) const
{
    return sameFrames(signal, frameCode);
}

std::optional<IrSignal> Rc6MceCodec::encode(const KnownCode &code) const
{
    const bool othersZero = std::all_of(code.fields.begin() + 3, code.fields.end(), [](auto b) { return b == 0; });
    if (!owns(code.formatId) || code.fields[KnownFormats::fieldD] > longestDevice || !othersZero || code.toggle > 1
        || code.repeat == RepeatKind::Ditto || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    const IrFrame frame = PulseBits::timed(HalfBits::durations(levelsOf(dataOf(code)), half), extentUs);
    return IrSignal::repeated(carrierHz, frame, 1u + code.repeatCount);
}

std::string Rc6MceCodec::name(const KnownCode &) const
{
    return "MCE";
}

ProtocolCodec::Fields Rc6MceCodec::fields(const KnownCode &code) const
{
    return fieldsOf(code, {{"D", 0}, {"S", 1}, {"F", 2}}, true);
}

std::optional<KnownCode> Rc6MceCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    return makeAs(name == "RC6-6-32" ? "MCE" : name, "MCE", KnownFormats::mce, repeats, fields,
                  {{"D", 0}, {"S", 1}, {"F", 2}}, true);
}
