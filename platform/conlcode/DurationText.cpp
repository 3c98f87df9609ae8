#include "DurationText.h"

#include "HexText.h"

namespace
{
constexpr std::string_view frameBreak = "FEFE";
constexpr std::string_view closing = "EDED";
// A negative length (a mark shorter than the receiver's skew) is written as
// eight digits, its 32-bit two's complement.
constexpr std::string_view negativeHigh = "FFFF";
constexpr std::size_t word = 4;

bool same(std::string_view token, std::string_view marker)
{
    for (std::size_t i = 0; i < word; ++i) {
        const char c = token[i];
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper != marker[i]) {
            return false;
        }
    }
    return true;
}

// The tool cuts a fixed five characters off the encoded capture: one digit of
// frame count and the 4-digit header ("XX12", or "0000" without carrier). With
// ten frames or more the rest of the header is left in front of the durations.
std::string_view withoutHeaderRest(std::string_view text)
{
    const std::size_t rest = text.size() % word;
    const std::string_view head = text.substr(0, rest);
    const bool headerEnd = std::string_view("0000").ends_with(head)
                           || (rest <= 2 && std::string_view("12").ends_with(head))
                           || (rest == 3 && HexText::digitValue(head[0]) >= 0 && head.substr(1) == "12");
    return headerEnd ? text.substr(rest) : text;
}

bool complete(const IrFrame &frame)
{
    return frame.durations.size() % 2 == 1;
}
}  // namespace

std::optional<IrSignal> DurationText::parse(std::string_view whole)
{
    const std::string_view text = withoutHeaderRest(whole);
    if (text.size() % word != 0) {
        return std::nullopt;
    }
    IrSignal signal;
    signal.frames.emplace_back();
    std::size_t pos = 0;
    const auto next = [&]() {
        const std::string_view token = text.substr(pos, word);
        pos += word;
        return token;
    };
    while (pos < text.size()) {
        const std::string_view token = next();
        IrFrame &frame = signal.frames.back();
        if (same(token, closing)) {
            // The closing ends the text.
            if (pos != text.size() || !complete(frame)) {
                return std::nullopt;
            }
            return signal;
        }
        if (same(token, frameBreak)) {
            if (text.size() - pos < 2 * word || !complete(frame)) {
                return std::nullopt;
            }
            const std::optional<std::uint32_t> gapMs = HexText::parse(next());
            if (!gapMs || !same(next(), closing)) {
                return std::nullopt;
            }
            if (pos == text.size()) {
                // "FEFE0014EDED" closes a lone frame; its number is no gap.
                return signal.frames.size() == 1 ? std::optional<IrSignal>(signal) : std::nullopt;
            }
            frame.gapAfterUs = static_cast<int>(*gapMs) * 1000 + 500;
            signal.frames.emplace_back();
            continue;
        }
        if (same(token, negativeHigh)) {
            if (pos == text.size() || !HexText::parse(next())) {
                return std::nullopt;
            }
            frame.durations.push_back(0);
            continue;
        }
        const std::optional<std::uint32_t> length = HexText::parse(token);
        if (!length) {
            return std::nullopt;
        }
        frame.durations.push_back(static_cast<int>(*length));
    }
    return std::nullopt;
}
