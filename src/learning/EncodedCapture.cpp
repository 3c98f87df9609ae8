#include "EncodedCapture.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "HexText.h"

namespace
{
constexpr std::size_t wordLength = 4;
constexpr std::string_view separator = "FEFE";
constexpr std::string_view carrierTag = "12";
constexpr std::string_view noCarrier = "0000";
// Frames a capture buffer can hold, with room to spare: 10240 digits.
constexpr std::size_t maxCountDigits = 4;
// The carrier header is its kHz in two digits or more, then "12"; a carrier of
// 256 kHz or more takes a third digit.
constexpr std::size_t minHeader = 4;
constexpr std::size_t maxHeader = 6;

bool isDecimalCount(std::string_view text)
{
    return !text.empty() && text.front() != '0' && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

bool isHeader(std::string_view text)
{
    if (text == noCarrier)
        return true;
    const std::string_view kilohertz = text.substr(0, text.size() - carrierTag.size());
    return text.ends_with(carrierTag) && HexText::parse(kilohertz).has_value()
           && (kilohertz.size() == 2 || kilohertz.front() != '0');
}

// Durations come in words of four digits; a silence between frames is one
// "FEFE" word, its length and "EDED". A single frame is closed by a separator
// of its own, further frames are not.
bool matchesFrames(std::string_view durations, std::string_view count)
{
    if (durations.size() % wordLength != 0 || !HexText::bytes(durations))
        return false;
    std::size_t separators = 0;
    for (std::size_t pos = 0; pos < durations.size(); pos += wordLength)
        separators += durations.substr(pos, wordLength) == separator;
    if (separators == 0)
        return false;
    return count == std::to_string(separators + 1) || (separators == 1 && count == "1");
}
// Where the header and the durations lie in an encoded capture.
struct Split
{
    std::string_view header;
    std::string_view durations;
};

std::optional<Split> split(std::string_view encoded)
{
    for (std::size_t digits = 1; digits <= maxCountDigits && digits < encoded.size(); ++digits) {
        const std::string_view count = encoded.substr(0, digits);
        if (!isDecimalCount(count))
            break;
        for (std::size_t header = minHeader; header <= maxHeader; ++header) {
            if (digits + header > encoded.size())
                break;
            const std::string_view durations = encoded.substr(digits + header);
            if (isHeader(encoded.substr(digits, header)) && matchesFrames(durations, count))
                return Split{encoded.substr(digits, header), durations};
        }
    }
    return std::nullopt;
}
}  // namespace

std::string EncodedCapture::converterinput(std::string_view encoded)
{
    const std::optional<Split> parts = split(encoded);
    return parts ? std::string(parts->durations) : std::string();
}

int EncodedCapture::carrierHz(std::string_view encoded)
{
    const std::optional<Split> parts = split(encoded);
    if (!parts || parts->header == noCarrier)
        return 0;
    const std::optional<std::uint32_t> kilohertz =
        HexText::parse(parts->header.substr(0, parts->header.size() - carrierTag.size()));
    return kilohertz ? static_cast<int>(*kilohertz) * 1000 : 0;
}
