#include "HexText.h"

#include <algorithm>
#include <cctype>

namespace HexText
{
namespace
{
constexpr char upperDigits[] = "0123456789ABCDEF";
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::uint32_t> parse(std::string_view text)
{
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = digitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::optional<std::uint16_t> wordAt(std::string_view text, std::size_t offset)
{
    if (offset + 4 > text.size())
        return std::nullopt;
    const auto low = byteAt(text, offset);
    const auto high = byteAt(text, offset + 2);
    if (!low || !high)
        return std::nullopt;
    return static_cast<std::uint16_t>(*high << 8 | *low);
}

std::optional<std::uint8_t> byteAt(std::string_view text, std::size_t offset)
{
    if (offset + 2 > text.size())
        return std::nullopt;
    const auto value = parse(text.substr(offset, 2));
    if (!value)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

std::string format(std::uint32_t value, int digits)
{
    int needed = 1;
    for (std::uint32_t rest = value >> 4; rest != 0; rest >>= 4)
        ++needed;
    std::string text(static_cast<std::size_t>(std::max(needed, digits)), '0');
    for (auto at = text.rbegin(); value != 0; ++at, value >>= 4)
        *at = upperDigits[value & 0xF];
    return text;
}

std::optional<std::vector<std::uint8_t>> bytes(std::string_view text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> result;
    result.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = digitValue(text[i]);
        const int low = digitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        result.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return result;
}

std::string formatBytes(const std::uint8_t *bytes, std::size_t count)
{
    std::string text(2 * count, '0');
    for (std::size_t i = 0; i < count; ++i) {
        text[2 * i] = upperDigits[bytes[i] >> 4];
        text[2 * i + 1] = upperDigits[bytes[i] & 0xF];
    }
    return text;
}

std::string wordLE(std::uint16_t value)
{
    return format(value & 0xFF, 2) + format(value >> 8, 2);
}

bool sameDigits(std::string_view a, std::string_view b)
{
    const auto upper = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return upper(x) == upper(y); });
}

Address address(std::uint16_t value)
{
    const std::string text = format(value, 4);
    return {text.substr(0, 2), text.substr(2, 2)};
}
}  // namespace HexText
