#include "KnownCode.h"

#include <algorithm>
#include <cmath>

namespace
{
// T in bit 0, the carrier's kHz above it.
constexpr std::size_t toggleByte = 8;
constexpr std::size_t repeatByte = 9;
constexpr std::size_t countByte = 10;
constexpr std::size_t timingByte = 11;
constexpr long highestCarrierKHz = 0x7F;
}  // namespace

std::array<std::uint8_t, 16> KnownCode::parts() const
{
    std::array<std::uint8_t, 16> bytes{};
    std::copy(fields.begin(), fields.end(), bytes.begin());
    bytes[toggleByte] = static_cast<std::uint8_t>((toggle & 1) | (carrierKHz & highestCarrierKHz) << 1);
    bytes[repeatByte] = static_cast<std::uint8_t>(repeat);
    bytes[countByte] = repeatCount;
    std::copy(timing.begin(), timing.end(), bytes.begin() + timingByte);
    return bytes;
}

std::optional<KnownCode> KnownCode::fromParts(std::uint32_t formatId, const std::array<std::uint8_t, 16> &parts)
{
    if (parts[repeatByte] > static_cast<std::uint8_t>(RepeatKind::Full)) {
        return std::nullopt;
    }
    KnownCode code;
    code.formatId = formatId;
    std::copy(parts.begin(), parts.begin() + 8, code.fields.begin());
    code.toggle = parts[toggleByte] & 1;
    code.carrierKHz = parts[toggleByte] >> 1;
    code.repeat = static_cast<RepeatKind>(parts[repeatByte]);
    code.repeatCount = parts[countByte];
    std::copy(parts.begin() + timingByte, parts.end(), code.timing.begin());
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
