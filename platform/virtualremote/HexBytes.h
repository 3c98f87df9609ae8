#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Bytes as the device library carries them: hex text, two digits per byte,
// upper case out, either case in.
namespace HexBytes
{
// The bytes of `hex`; fails on odd length or any character that is not a hex digit.
std::optional<std::vector<std::uint8_t>> parse(std::string_view hex);
// One byte given as exactly two hex digits (an address byte or a selector).
std::optional<std::uint8_t> parseByte(std::string_view hex);
std::string format(const std::uint8_t *bytes, std::size_t count);
std::string format(const std::vector<std::uint8_t> &bytes);
// Appends a 16-bit word as four digits, most significant first.
void appendWord(std::string &text, std::uint16_t value);
}  // namespace HexBytes
