#include "ReceiverCapture.h"

#include <algorithm>
#include <cmath>

#include "HexText.h"

namespace
{
using Words = std::vector<std::uint16_t>;
constexpr double longest = ReceiverCapture::longestWord;

// The carrier travels as 9000 / kHz split into three bytes; the tool reads it
// back as 1000 / (sum / 9). Below 12 kHz the sum does not fit three bytes, and
// the tool has two hex digits for the kHz.
constexpr long lowestCarrierKHz = 12;
constexpr long highestCarrierKHz = 255;
constexpr int carrierScale = 9000;

Words markWords(double microseconds)
{
    const double raw =
        std::min(std::round(ReceiverCapture::unitsPerMicrosecond * (microseconds + ReceiverCapture::skewMicroseconds)),
                 2 * longest);
    const auto units = static_cast<std::uint16_t>(raw);
    if (units > ReceiverCapture::longestWord) {
        // A long mark: "7FFF" in the mark's place, then a mark of the rest.
        return {ReceiverCapture::longestWord,
                static_cast<std::uint16_t>(ReceiverCapture::markBit | (units - ReceiverCapture::longestWord))};
    }
    return {static_cast<std::uint16_t>(ReceiverCapture::markBit | units)};
}

// None when the space is so long that the receiver stops listening.
std::optional<Words> spaceWords(double microseconds)
{
    const double raw = std::max(
        0.0, std::round(ReceiverCapture::unitsPerMicrosecond * (microseconds - ReceiverCapture::skewMicroseconds)));
    if (raw >= ReceiverCapture::silenceWords * longest) {
        return std::nullopt;
    }
    const auto units = static_cast<std::uint32_t>(raw);
    // The remainder word always follows, even "0000", so that a long space
    // never reads as part of the closing silence.
    Words words(units / ReceiverCapture::longestWord, ReceiverCapture::longestWord);
    words.push_back(static_cast<std::uint16_t>(units % ReceiverCapture::longestWord));
    return words;
}

bool sound(const InfraredSignal &signal)
{
    return signal.carrierHz >= 0 && !signal.durations.empty()
           && std::all_of(signal.durations.begin(), signal.durations.end(),
                          [](double d) { return std::isfinite(d) && d > 0; });
}
}  // namespace

std::optional<std::vector<std::uint16_t>> ReceiverCapture::words(const InfraredSignal &signal)
{
    if (!sound(signal)) {
        return std::nullopt;
    }
    Words words;
    std::size_t lastMarkEnd = 0;
    const std::size_t room = capacityWords - closingWords;
    for (std::size_t i = 0; i < signal.durations.size(); ++i) {
        const bool mark = i % 2 == 0;
        const std::optional<Words> next = mark ? markWords(signal.durations[i]) : spaceWords(signal.durations[i]);
        if (!next || words.size() + next->size() > room) {
            break;
        }
        words.insert(words.end(), next->begin(), next->end());
        if (mark) {
            lastMarkEnd = words.size();
        }
    }
    // The capture ends on a mark: a space after it is the closing silence.
    words.resize(lastMarkEnd);
    words.insert(words.end(), silenceWords, longestWord);
    const auto carrier = carrierWords(signal.carrierHz);
    words.insert(words.end(), carrier.begin(), carrier.end());
    return words;
}

std::array<std::uint16_t, 2> ReceiverCapture::carrierWords(int carrierHz)
{
    const long kHz = std::lround(carrierHz / 1000.0);
    if (kHz < lowestCarrierKHz || kHz > highestCarrierKHz) {
        return {0, 0};
    }
    // The reader works in floating point, where 1000 / (600 / 9) is just below
    // 15: take one less then, which still reads as the same kHz.
    int sum = carrierScale / static_cast<int>(kHz);
    if (static_cast<long>(1000 / (sum / 9.0)) < kHz) {
        --sum;
    }
    const int third = sum / 3;
    const int p1 = third + (sum % 3 > 0 ? 1 : 0);
    const int p2 = third + (sum % 3 > 1 ? 1 : 0);
    return {static_cast<std::uint16_t>(p1 << 8 | p2), static_cast<std::uint16_t>(third << 8)};
}

std::optional<std::string> ReceiverCapture::text(const InfraredSignal &signal)
{
    const auto captured = words(signal);
    if (!captured) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 * captured->size());
    for (std::uint16_t word : *captured) {
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
        bytes.push_back(static_cast<std::uint8_t>(word));
    }
    return HexText::formatBytes(bytes.data(), bytes.size());
}
