#include "NecCodec.h"

#include <algorithm>
#include <numeric>

#include "PulseTolerance.h"

namespace
{
constexpr int unit = 564;
constexpr int leadMark = 16 * unit;
constexpr int leadSpace = 8 * unit;
constexpr int dittoSpace = 4 * unit;
constexpr int oneSpace = 3 * unit;
constexpr int extentUs = 108000;
constexpr int carrierHz = 38000;
constexpr int dataBits = 32;
constexpr std::size_t frameLength = 2 + 2 * dataBits + 1;

std::optional<std::uint32_t> frameBits(const IrFrame &frame)
{
    const std::vector<int> &d = frame.durations;
    if (d.size() != frameLength || !nearLength(d[0], leadMark) || !nearLength(d[1], leadSpace)
        || !nearLength(d.back(), unit)) {
        return std::nullopt;
    }
    std::uint32_t bits = 0;
    for (int i = 0; i < dataBits; ++i) {
        const int mark = d[2 + 2 * static_cast<std::size_t>(i)];
        const int space = d[3 + 2 * static_cast<std::size_t>(i)];
        if (!nearLength(mark, unit)) {
            return std::nullopt;
        }
        if (nearLength(space, oneSpace)) {
            bits |= 1u << i;
        } else if (!nearLength(space, unit)) {
            return std::nullopt;
        }
    }
    return bits;
}

bool isDitto(const IrFrame &frame)
{
    const std::vector<int> &d = frame.durations;
    return d.size() == 3 && nearLength(d[0], leadMark) && nearLength(d[1], dittoSpace) && nearLength(d[2], unit);
}

std::uint8_t byteOf(std::uint32_t bits, int index)
{
    return static_cast<std::uint8_t>(bits >> (8 * index));
}

// A frame and the silence that fills it up to the protocol's 108 ms.
IrFrame timed(std::vector<int> durations)
{
    const int length = std::accumulate(durations.begin(), durations.end(), 0);
    return IrFrame{std::move(durations), extentUs - length};
}

IrFrame dataFrame(std::uint32_t bits)
{
    std::vector<int> d{leadMark, leadSpace};
    for (int i = 0; i < dataBits; ++i) {
        d.push_back(unit);
        d.push_back((bits >> i & 1) != 0 ? oneSpace : unit);
    }
    d.push_back(unit);
    return timed(std::move(d));
}
}  // namespace

bool NecCodec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::nec1 || formatId == KnownFormats::necx;
}

std::optional<KnownCode> NecCodec::decode(const IrSignal &signal) const
{
    if (signal.frames.empty() || signal.frames.size() > 256) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> bits = frameBits(signal.frames.front());
    if (!bits) {
        return std::nullopt;
    }
    KnownCode code;
    for (int i = 0; i < 4; ++i) {
        code.fields[static_cast<std::size_t>(i)] = byteOf(*bits, i);
    }
    const std::uint8_t d = code.fields[KnownFormats::fieldD];
    const std::uint8_t s = code.fields[KnownFormats::fieldS];
    const std::uint8_t f = code.fields[KnownFormats::fieldF];
    if (code.fields[KnownFormats::fieldE] != static_cast<std::uint8_t>(~f)) {
        return std::nullopt;
    }
    code.formatId = s == static_cast<std::uint8_t>(~d) ? KnownFormats::nec1 : KnownFormats::necx;
    for (std::size_t i = 1; i < signal.frames.size(); ++i) {
        const IrFrame &frame = signal.frames[i];
        const RepeatKind kind = isDitto(frame) ? RepeatKind::Ditto
                                : frameBits(frame) == bits ? RepeatKind::Full
                                                           : RepeatKind::None;
        if (kind == RepeatKind::None || (code.repeat != RepeatKind::None && kind != code.repeat)) {
            return std::nullopt;
        }
        code.repeat = kind;
    }
    code.repeatCount = static_cast<std::uint8_t>(signal.frames.size() - 1);
    return code;
}

std::optional<IrSignal> NecCodec::encode(const KnownCode &code) const
{
    const std::uint8_t d = code.fields[KnownFormats::fieldD];
    const std::uint8_t s = code.fields[KnownFormats::fieldS];
    const std::uint8_t f = code.fields[KnownFormats::fieldF];
    const bool extraFree = std::any_of(code.fields.begin() + 4, code.fields.end(), [](auto b) { return b != 0; });
    if (!owns(code.formatId) || code.fields[KnownFormats::fieldE] != static_cast<std::uint8_t>(~f) || extraFree
        || code.toggle != 0 || !code.repeatsConsistent() || (code.formatId == KnownFormats::nec1) != (s == static_cast<std::uint8_t>(~d))) {
        return std::nullopt;
    }
    const std::uint32_t bits = static_cast<std::uint32_t>(d) | static_cast<std::uint32_t>(s) << 8
                               | static_cast<std::uint32_t>(f) << 16
                               | static_cast<std::uint32_t>(code.fields[KnownFormats::fieldE]) << 24;
    IrSignal signal;
    signal.carrierHz = carrierHz;
    signal.frames.push_back(dataFrame(bits));
    const IrFrame repeat = code.repeat == RepeatKind::Ditto ? timed({leadMark, dittoSpace, unit}) : dataFrame(bits);
    signal.frames.insert(signal.frames.end(), code.repeatCount, repeat);
    signal.frames.back().gapAfterUs = 0;
    return signal;
}
