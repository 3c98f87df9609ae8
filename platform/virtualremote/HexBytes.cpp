#include "HexBytes.h"

namespace
{
int digitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

constexpr char digits[] = "0123456789ABCDEF";
}  // namespace

namespace HexBytes
{
std::optional<std::vector<std::uint8_t>> parse(std::string_view hex)
{
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = digitValue(hex[i]);
        const int low = digitValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::optional<std::uint8_t> parseByte(std::string_view hex)
{
    if (hex.size() != 2) {
        return std::nullopt;
    }
    const auto bytes = parse(hex);
    if (!bytes) {
        return std::nullopt;
    }
    return bytes->front();
}

std::string format(const std::uint8_t *bytes, std::size_t count)
{
    std::string text;
    text.reserve(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 0x0F]);
    }
    return text;
}

std::string format(const std::vector<std::uint8_t> &bytes)
{
    return format(bytes.data(), bytes.size());
}

std::string word(std::uint16_t value)
{
    const std::uint8_t bytes[] = {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    return format(bytes, 2);
}
}  // namespace HexBytes
