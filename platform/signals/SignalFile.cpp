#include "SignalFile.h"

#include <charconv>
#include <cmath>

namespace
{
// The Pronto time base: one unit of the frequency word is this many microseconds.
constexpr double prontoUnit = 0.241246;
constexpr int defaultCarrier = 38000;

bool fail(std::string *error, std::string message)
{
    *error = std::move(message);
    return false;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The whole text as one number; `format` is the base or the floating-point form.
template <typename Number, typename... Format> bool wholeNumber(std::string_view text, Number &value, Format... format)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, format...);
    return error == std::errc() && end == text.data() + text.size();
}

std::string quoted(std::string_view word)
{
    constexpr std::size_t shown = 40;
    return "'" + std::string(word.substr(0, shown)) + (word.size() > shown ? "...'" : "'");
}
}  // namespace

std::vector<std::string_view> SignalFile::tokens(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '#') {
            const auto newline = text.find('\n', at);
            at = newline == std::string_view::npos ? text.size() : newline;
        } else if (isSpace(text[at])) {
            ++at;
        } else {
            std::size_t end = at;
            while (end < text.size() && !isSpace(text[end]) && text[end] != '#')
                ++end;
            words.push_back(text.substr(at, end - at));
            at = end;
        }
    }
    return words;
}

bool SignalFile::parse(std::string_view text, InfraredSignal &signal, std::string *error)
{
    const auto words = tokens(text);
    if (!words.empty() && words.front() == "0000")
        return parsePronto(words, signal, error);
    return parseDurationTokens(words, signal, error);
}

bool SignalFile::parseDurations(std::string_view text, InfraredSignal &signal, std::string *error)
{
    return parseDurationTokens(tokens(text), signal, error);
}

bool SignalFile::parsePronto(std::string_view text, InfraredSignal &signal, std::string *error)
{
    const auto words = tokens(text);
    if (words.empty())
        return fail(error, "no Pronto code");
    if (words.front() != "0000")
        return fail(error, "not a learned Pronto code: its first word is 0000, not " + quoted(words.front()));
    return parsePronto(words, signal, error);
}

bool SignalFile::parseDurationTokens(const std::vector<std::string_view> &words, InfraredSignal &signal,
                                     std::string *error)
{
    constexpr std::string_view carrierKey = "carrier=";
    InfraredSignal parsed;
    parsed.carrierHz = defaultCarrier;
    auto word = words.begin();
    if (word != words.end() && word->starts_with(carrierKey)) {
        if (!wholeNumber(word->substr(carrierKey.size()), parsed.carrierHz) || parsed.carrierHz < 0
            || parsed.carrierHz > maxCarrier)
            return fail(error, "malformed carrier " + quoted(*word)
                                   + " (expected carrier=0 to carrier=" + std::to_string(maxCarrier) + ")");
        ++word;
    }
    if (word == words.end())
        return fail(error, "no durations in the signal");
    if (static_cast<std::size_t>(words.end() - word) > maxDurations)
        return fail(error, "too many durations (at most " + std::to_string(maxDurations) + ")");
    for (; word != words.end(); ++word) {
        double duration = 0;
        if (!wholeNumber(*word, duration) || !std::isfinite(duration) || duration <= 0 || duration > maxDuration)
            return fail(error,
                        "malformed duration " + quoted(*word) + " (expected microseconds above 0, at most 10 s)");
        parsed.durations.push_back(duration);
    }
    signal = std::move(parsed);
    return true;
}

bool SignalFile::parsePronto(const std::vector<std::string_view> &words, InfraredSignal &signal, std::string *error)
{
    std::vector<unsigned> values;
    for (const auto word : words) {
        unsigned value = 0;
        if (word.size() != 4 || !wholeNumber(word, value, 16))
            return fail(error, "malformed Pronto word " + quoted(word) + " (expected 4 hex digits)");
        values.push_back(value);
    }
    if (values.size() < 4)
        return fail(error, "Pronto code too short: it needs 4 header words");
    const unsigned frequency = values[1];
    const std::size_t bursts = 2 * (static_cast<std::size_t>(values[2]) + values[3]);
    if (frequency == 0)
        return fail(error, "Pronto frequency word is 0000");
    if (bursts == 0)
        return fail(error, "Pronto code has no burst pairs");
    if (values.size() - 4 != bursts)
        return fail(error, "Pronto header announces " + std::to_string(bursts) + " burst words, found "
                               + std::to_string(values.size() - 4));
    if (bursts > maxDurations)
        return fail(error, "too many durations (at most " + std::to_string(maxDurations) + ")");
    const double period = frequency * prontoUnit;
    InfraredSignal parsed;
    parsed.carrierHz = static_cast<int>(std::lround(1e6 / period));
    if (parsed.carrierHz > maxCarrier)
        return fail(error, "Pronto frequency word " + quoted(words[1]) + " gives a carrier above "
                               + std::to_string(maxCarrier) + " Hz");
    for (std::size_t i = 4; i < values.size(); ++i) {
        parsed.durations.push_back(values[i] * period);
        if (values[i] == 0 || parsed.durations.back() > maxDuration)
            return fail(error, "Pronto burst " + quoted(words[i]) + " lasts 0 or more than 10 s");
    }
    signal = std::move(parsed);
    return true;
}

std::string SignalFile::format(const InfraredSignal &signal)
{
    std::string text = "carrier=" + std::to_string(signal.carrierHz);
    for (const double duration : signal.durations) {
        char number[32];
        const auto result = std::to_chars(number, number + sizeof number, duration);
        text += ' ';
        text.append(number, result.ptr);
    }
    return text;
}
