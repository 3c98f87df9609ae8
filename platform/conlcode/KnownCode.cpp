#include "KnownCode.h"

#include <algorithm>
#include <cmath>

namespace
{
// T in bit 0, the carrier's kHz above it.
constexpr std::size_t toggleByte = 8;
// The repeat kind in bits 0-1, wide gap steps in bit 2, the skew in bits 3-7.
constexpr std::size_t repeatByte = 9;
constexpr std::uint8_t repeatBits = 0x03;
constexpr std::uint8_t wideGapsBit = 0x04;
constexpr int skewShift = 3;
constexpr std::size_t countByte = 10;
constexpr std::size_t timingByte = 11;
constexpr long highestCarrierKHz = 0x7F;
}  // namespace

std::array<std::uint8_t, 16> KnownCode::parts() const
{
    std::array<std::uint8_t, 16> bytes{};
    std::copy(fields.begin(), fields.end(), bytes.begin());
    bytes[toggleByte] = static_cast<std::uint8_t>((toggle & 1) | (carrierKHz & highestCarrierKHz) << 1);
    bytes[repeatByte] = static_cast<std::uint8_t>(static_cast<int>(repeat) | (timing.wideGaps ? wideGapsBit : 0)
                                                  | (timing.skewSteps & 0x1F) << skewShift);
    bytes[countByte] = repeatCount;
    std::copy(timing.stretches.begin(), timing.stretches.end(), bytes.begin() + timingByte);
    return bytes;
}

std::optional<KnownCode> KnownCode::fromParts(std::uint32_t formatId, const std::array<std::uint8_t, 16> &parts)
{
    const int repeat = parts[repeatByte] & repeatBits;
    if (repeat > static_cast<int>(RepeatKind::Full)) {
        return std::nullopt;
    }
    KnownCode code;
    code.formatId = formatId;
    std::copy(parts.begin(), parts.begin() + 8, code.fields.begin());
    code.toggle = parts[toggleByte] & 1;
    code.carrierKHz = parts[toggleByte] >> 1;
    code.repeat = static_cast<RepeatKind>(repeat);
    code.repeatCount = parts[countByte];
    code.timing.wideGaps = (parts[repeatByte] & wideGapsBit) != 0;
    // Five bits, signed.
    const int skew = parts[repeatByte] >> skewShift;
    code.timing.skewSteps = skew >= 0x10 ? skew - 0x20 : skew;
    std::copy(parts.begin() + timingByte, parts.end(), code.timing.stretches.begin());
    if (!code.repeatsConsistent()) {
        return std::nullopt;
    }
    return code;
}

std::uint8_t KnownCode::carrierKHzOf(int carrierHz)
{
    const long kHz = carrierHz > 0 ? std::lround(carrierHz / 1000.0) : 0;
    return kHz <= highestCarrierKHz ? static_cast<std::uint8_t>(kHz) : 0;
}
