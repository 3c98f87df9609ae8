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
    std::string text(2 * count, '0');
    for (std::size_t i = 0; i < count; ++i) {
        text[2 * i] = digits[bytes[i] >> 4];
        text[2 * i + 1] = digits[bytes[i] & 0x0F];
    }
    return text;
}

std::string format(const std::vector<std::uint8_t> &bytes)
{
    return format(bytes.data(), bytes.size());
}

void appendWord(std::string &text, std::uint16_t value)
{
    for (int shift = 12; shift >= 0; shift -= 4) {
        text.push_back(digits[(value >> shift) & 0x0F]);
    }
}
}  // namespace HexBytes
