#include "HexDigits.h"

namespace
{
constexpr char upperDigits[] = "0123456789ABCDEF";
}

int HexDigits::value(char c)
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

std::optional<std::uint32_t> HexDigits::number(std::string_view text)
{
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t result = 0;
    for (char c : text) {
        const int digit = value(c);
        if (digit < 0) {
            return std::nullopt;
        }
        result = result << 4 | static_cast<std::uint32_t>(digit);
    }
    return result;
}

std::optional<std::vector<std::uint8_t>> HexDigits::bytes(std::string_view text)
{
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> result;
    result.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = value(text[i]);
        const int low = value(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        result.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return result;
}

std::string HexDigits::format(const std::uint8_t *bytes, std::size_t count)
{
    std::string text(2 * count, '0');
    for (std::size_t i = 0; i < count; ++i) {
        text[2 * i] = upperDigits[bytes[i] >> 4];
        text[2 * i + 1] = upperDigits[bytes[i] & 0xF];
    }
    return text;
}

std::string HexDigits::format(std::uint32_t value, int digits)
{
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = upperDigits[value & 0xF];
        value >>= 4;
    }
    return text;
}
