#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// All data exchanged with the remote is hex text, two digits per byte, most
// significant digit first, upper case out and either case in; 16-bit words in
// its memory are little-endian. Character positions in the system's texts are
// 1-based where the remote's layouts are described; these helpers take 0-based
// offsets.
namespace HexText
{
// Value of one hex digit, or -1.
int digitValue(char c);
// The value of exactly `text.size()` digits, as "$" + text would parse: empty
// text, more than eight digits or a non-digit fails.
std::optional<std::uint32_t> parse(std::string_view text);
// The little-endian word whose four digits start at `offset`: its two digit
// pairs swapped, then parsed. Fails when the text is short or not hex.
std::optional<std::uint16_t> wordAt(std::string_view text, std::size_t offset);
// The byte whose two digits start at `offset`.
std::optional<std::uint8_t> byteAt(std::string_view text, std::size_t offset);
// Upper-case hex with at least `digits` digits.
std::string format(std::uint32_t value, int digits);
// The bytes of hex text, two digits each; fails on odd length or a non-digit.
std::optional<std::vector<std::uint8_t>> bytes(std::string_view text);
// Bytes as upper-case hex text, two digits each.
std::string formatBytes(const std::uint8_t *bytes, std::size_t count);
// A word written as it lies in memory: low byte first.
std::string wordLE(std::uint16_t value);
// Whether two texts are equal, letter case ignored (hex digits come in either case).
bool sameDigits(std::string_view a, std::string_view b);

// A remote address as the device library takes it: exactly four upper-case
// digits, passed as two 2-digit texts, high byte first.
struct Address
{
    std::string high;
    std::string low;
};
Address address(std::uint16_t value);
}  // namespace HexText
