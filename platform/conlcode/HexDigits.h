#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Hex text as the tool and the remote speak it: upper case out, either case in.
namespace HexDigits
{
// Value of one hex digit, or -1.
int value(char c);
// The value of exactly `text.size()` digits (at most 8); fails on a non-digit.
std::optional<std::uint32_t> number(std::string_view text);
// Two digits per byte; fails on odd length or a non-digit.
std::optional<std::vector<std::uint8_t>> bytes(std::string_view text);
std::string format(const std::uint8_t *bytes, std::size_t count);
// `value` in exactly `digits` upper-case digits.
std::string format(std::uint32_t value, int digits);
}  // namespace HexDigits
