#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "InfraredSignal.h"

// The remote's infrared receiver in capture mode. It samples at 3 units per
// microsecond and, like the real part, sees marks 58 us longer and spaces 58 us
// shorter than sent. A capture is a run of 16-bit words in time order: a mark
// has bit 15 set, a space is the plain value; a duration too long for one word
// is split into "7FFF" words and a remainder. Twenty "7FFF" words mark the end,
// followed by two words that carry the carrier frequency.
class InfraredReceiver
{
public:
    static constexpr std::uint16_t longestWord = 0x7FFF;
    static constexpr std::uint16_t markBit = 0x8000;
    static constexpr int unitsPerMicrosecond = 3;
    static constexpr double skewMicroseconds = 58;
    static constexpr std::size_t silenceWords = 20;
    static constexpr std::size_t closingWords = silenceWords + 2;
    // The capture buffer holds 10240 characters, four per word.
    static constexpr std::size_t capacityWords = 2560;

    // Capture mode on: a fresh capture, nothing heard yet.
    void arm();
    void disarm();
    bool armed() const { return m_armed; }
    // Armed and nothing captured yet: the next signal is taken.
    bool waiting() const { return m_armed && !m_capture; }
    // Takes the signal when waiting and the signal is sound.
    bool hear(const InfraredSignal &signal);
    // The capture as hex text, once; delivering it ends capture mode.
    std::optional<std::string> collect();

    // The words the receiver stores for `signal`; none for an unsound signal
    // (no durations, or one that is not a positive finite number).
    static std::optional<std::vector<std::uint16_t>> capture(const InfraredSignal &signal);
    // The capture of `signal` as the remote hands it over: each word as four
    // hex digits, most significant first.
    static std::optional<std::string> captureText(const InfraredSignal &signal);
    // The two closing words for a carrier: its period in three bytes.
    static std::array<std::uint16_t, 2> carrierWords(int carrierHz);

private:
    bool m_armed = false;
    std::optional<std::string> m_capture;
};
