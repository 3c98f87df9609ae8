#include "KnownCode.h"

#include <algorithm>

namespace
{
constexpr std::size_t toggleByte = 8;
constexpr std::size_t repeatByte = 9;
constexpr std::size_t countByte = 10;
constexpr std::size_t timingByte = 11;
}  // namespace

std::array<std::uint8_t, 16> KnownCode::parts() const
{
    std::array<std::uint8_t, 16> bytes{};
    std::copy(fields.begin(), fields.end(), bytes.begin());
    bytes[toggleByte] = toggle;
    bytes[repeatByte] = static_cast<std::uint8_t>(repeat);
    bytes[countByte] = repeatCount;
    std::copy(timing.begin(), timing.end(), bytes.begin() + timingByte);
    return bytes;
}

std::optional<KnownCode> KnownCode::fromParts(std::uint32_t formatId, const std::array<std::uint8_t, 16> &parts)
{
    if (parts[toggleByte] > 1 || parts[repeatByte] > static_cast<std::uint8_t>(RepeatKind::Full)) {
        return std::nullopt;
    }
    KnownCode code;
    code.formatId = formatId;
    std::copy(parts.begin(), parts.begin() + 8, code.fields.begin());
    code.toggle = parts[toggleByte];
    code.repeat = static_cast<RepeatKind>(parts[repeatByte]);
    code.repeatCount = parts[countByte];
    std::copy(parts.begin() + timingByte, parts.end(), code.timing.begin());
    if (!code.repeatsConsistent()) {
        return std::nullopt;
    }
    return code;
}
