#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "InfraredSignal.h"

// What the remote's infrared receiver stores for a signal in capture mode. It
// samples at 3 units per microsecond and sees marks 58 us longer and spaces
// 58 us shorter than sent. A capture is a run of 16-bit words in time order:
// a mark has bit 15 set, a space is the plain value; a duration too long for
// one word is split into "7FFF" words and a remainder. Twenty "7FFF" words
// mark the end, followed by two words that carry the carrier frequency. The
// remote delivers the words as hex text, four digits a word.
//
// The virtual remote's receiver captures with it, and the tool makes the
// capture a code typed in would have given.
namespace ReceiverCapture
{
constexpr std::uint16_t longestWord = 0x7FFF;
constexpr std::uint16_t markBit = 0x8000;
constexpr int unitsPerMicrosecond = 3;
constexpr double skewMicroseconds = 58;
constexpr std::size_t silenceWords = 20;
constexpr std::size_t closingWords = silenceWords + 2;
// The capture buffer holds 10240 characters, four per word.
constexpr std::size_t capacityWords = 2560;

// The words stored for `signal`; none for an unsound signal (no durations, or
// one that is not a positive finite number).
std::optional<std::vector<std::uint16_t>> words(const InfraredSignal &signal);
// The two closing words for a carrier: its period in three bytes.
std::array<std::uint16_t, 2> carrierWords(int carrierHz);
// The capture of `signal` as the remote hands it over: each word as four hex
// digits, most significant first; none for an unsound signal.
std::optional<std::string> text(const InfraredSignal &signal);
}  // namespace ReceiverCapture
