#include "CaptureEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "HexText.h"

namespace
{
constexpr std::string_view longest = "7FFF";
constexpr std::int64_t longestValue = 0x7FFF;
constexpr std::size_t silenceWords = 20;
constexpr std::size_t wordLength = 4;
// The receiver lengthens marks and shortens spaces by this many microseconds.
constexpr std::int64_t receiverSkew = 58;
constexpr std::int64_t unitsPerMicrosecond = 3;
// Twenty "7FFF" in a row end a capture.
const std::string silence = [] {
    std::string text;
    for (std::size_t i = 0; i < silenceWords; ++i)
        text += longest;
    return text;
}();
// Position of the silence beyond which a head is cut to whole words.
constexpr std::size_t longHead = 3000;

// Digit values of the capture's characters: zero bytes count as 0, anything
// that is not a hex digit as -1. A table, since every character is read.
const std::array<std::int8_t, 256> digitValues = [] {
    std::array<std::int8_t, 256> table{};
    for (std::size_t c = 0; c < table.size(); ++c)
        table[c] = static_cast<std::int8_t>(HexText::digitValue(static_cast<char>(c)));
    table[0] = 0;
    return table;
}();

int captureDigit(char c)
{
    return digitValues[static_cast<unsigned char>(c)];
}

// Callers have checked every character.
std::int64_t valueOf(std::string_view text)
{
    std::int64_t value = 0;
    for (char c : text)
        value = value * 16 + captureDigit(c);
    return value;
}

bool isMark(std::int64_t value)
{
    return (value & 0x8000) != 0;
}

// Four upper-case digits. Every length fits: words carry 15 bits, a merged
// mark two words' worth, divided by three. A mark shorter than the receiver's
// skew has no length left; it still takes four digits, or every later word of
// the text would shift.
void appendLength(std::string &text, std::int64_t length)
{
    text += HexText::format(static_cast<std::uint32_t>(std::max<std::int64_t>(length, 0)), 4);
}

// Carrier in kHz from the first three bytes of the closing words, as
// 2 digits + "12"; "0000" when the capture carries none.
std::string header(std::string_view first, std::string_view second)
{
    const std::int64_t sum = valueOf(first.substr(0, 2)) + valueOf(first.substr(2, 2)) + valueOf(second.substr(0, 2));
    if (sum == 0)
        return "0000";
    const auto kilohertz = static_cast<std::uint32_t>(1000.0 / (static_cast<double>(sum) / 9.0));
    return HexText::format(kilohertz, 2) + "12";
}

class Encoder
{
public:
    explicit Encoder(std::string_view text)
        : text_(text)
    {
        durations_.reserve(text.size() + 16);
    }

    std::string run();

private:
    std::size_t remaining() const { return text_.size() - pos_; }
    // The word after the current one: four characters or fewer at the end.
    std::string_view next() const { return text_.substr(pos_ + wordLength, wordLength); }
    void advance() { pos_ += wordLength; }
    std::string finish() const;
    // A silence of fewer than twenty "7FFF" between frames, ended by the space `word`.
    void separate(std::string_view word, std::int64_t value);

    std::string_view text_;
    std::size_t pos_ = 0;
    int wordCount_ = 0;
    int frames_ = 0;
    std::string durations_;
    std::vector<std::string_view> listed_;
    std::string_view previous_;
    bool tail_ = false;
    bool merged_ = false;
};

std::string Encoder::run()
{
    while (pos_ < text_.size()) {
        const bool lastWord = remaining() <= wordLength;
        if (lastWord && !tail_)
            return {};
        std::string_view word;
        if (tail_ && lastWord) {
            word = text_.substr(pos_);
        } else {
            word = text_.substr(pos_, wordLength);
            ++wordCount_;
        }
        const bool isLongest = word == longest;
        // "7FFF" in a mark position: the first part of a long mark when a mark
        // follows, otherwise a mark of that length.
        if (isLongest && wordCount_ % 2 == 1 && !lastWord) {
            if (isMark(valueOf(next()))) {
                --wordCount_;
                merged_ = true;
                advance();
                continue;
            }
            if (!tail_) {
                appendLength(durations_, longestValue / unitsPerMicrosecond - receiverSkew);
                advance();
                continue;
            }
        }
        if (isLongest || tail_)
            listed_.push_back(word);
        // Runs of "7FFF" are collected, not encoded; they keep the word counter still.
        if (isLongest && !lastWord) {
            if (next() == longest)
                --wordCount_;
            previous_ = word;
            advance();
            continue;
        }
        if (tail_ && listed_.size() == 2)
            return finish();
        const bool afterLongest = previous_ == longest && !isLongest;
        if (afterLongest && listed_.size() >= silenceWords) {
            listed_.assign(1, word);
            ++frames_;
            if (frames_ == 1)
                durations_ += "FEFE0014";
            durations_ += "EDED";
            tail_ = true;
        }
        const std::int64_t value = valueOf(word);
        if (afterLongest && !listed_.empty() && listed_.size() < silenceWords && !tail_ && !isMark(value)) {
            separate(word, value);
            continue;
        }
        if (!tail_) {
            if (isMark(value))
                appendLength(durations_,
                             ((value & 0x7FFF) + (merged_ ? longestValue : 0)) / unitsPerMicrosecond - receiverSkew);
            else
                appendLength(durations_, value / unitsPerMicrosecond + receiverSkew);
        }
        previous_ = word;
        advance();
        merged_ = false;
    }
    return {};
}

void Encoder::separate(std::string_view word, std::int64_t value)
{
    const std::int64_t gap = static_cast<std::int64_t>(listed_.size()) * longestValue + value;
    const std::int64_t corrected = gap / unitsPerMicrosecond + receiverSkew;
    durations_ += "FEFE";
    appendLength(durations_, corrected / 1000);
    durations_ += "EDED";
    ++frames_;
    listed_.clear();
    previous_ = word;
    --wordCount_;
    advance();
}

std::string Encoder::finish() const
{
    return std::to_string(std::max(frames_, 1)) + header(listed_[0], listed_[1]) + durations_;
}
}  // namespace

std::string CaptureEncoding::trimcapture(const std::string &capture)
{
    const std::size_t at = capture.find(silence);  // 0-based: the head is `at` characters
    if (at == std::string::npos)
        return "0000";
    const std::string tail = capture.substr(at, silence.size() + 2 * wordLength);
    std::size_t headLength = at;
    if (at + 1 > longHead) {
        // Long captures keep an odd number of whole words, ending on a mark.
        std::size_t words = at / wordLength;
        if (words % 2 == 0)
            --words;
        headLength = words * wordLength;
    }
    // A head ending in a space loses that whole word, so word boundaries stay.
    if (headLength >= wordLength) {
        const int digit = captureDigit(capture[headLength - wordLength]);
        if (digit >= 0 && digit < 8)
            headLength -= wordLength;
    }
    return capture.substr(0, headLength) + tail;
}

std::string CaptureEncoding::encodecapture(const std::string &trimmed)
{
    const bool readable = std::all_of(trimmed.begin(), trimmed.end(), [](char c) { return captureDigit(c) >= 0; });
    return readable ? Encoder(trimmed).run() : std::string();
}
