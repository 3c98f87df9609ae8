#include "IrFile.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>

#include "SignalFile.h"

namespace
{
constexpr std::string_view fileTypeKey = "Filetype";
constexpr std::array<std::string_view, 2> fileTypes{"IR signals file", "IR library file"};
constexpr std::size_t maxValueBytes = 4;
constexpr std::size_t shownLength = 40;

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string quoted(std::string_view text)
{
    return "'" + std::string(text.substr(0, shownLength)) + (text.size() > shownLength ? "...'" : "'");
}

// Hex bytes, least significant first, such as "07 00 00 00".
std::optional<long long> littleEndian(std::string_view text)
{
    long long value = 0;
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == ' ' || text[at] == '\t') {
            ++at;
            continue;
        }
        unsigned byte = 0;
        const auto [end, problem] = std::from_chars(text.data() + at, text.data() + text.size(), byte, 16);
        if (problem != std::errc() || end - (text.data() + at) != 2 || count == maxValueBytes)
            return std::nullopt;
        value |= static_cast<long long>(byte) << (8 * count++);
        at += 2;
    }
    return count > 0 ? std::optional<long long>(value) : std::nullopt;
}

// The whole text as one number.
template <typename Number> bool wholeNumber(std::string_view text, Number &value)
{
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    return problem == std::errc() && end == text.data() + text.size();
}

// What the button being read has seen so far, to name what is missing or repeated.
class ButtonReader
{
public:
    explicit ButtonReader(std::string *error)
        : m_error(error)
    { }

    bool start(std::string_view name, int line)
    {
        if (name.empty())
            return fail(line, "a button without a name");
        m_button = IrFile::Button{};
        m_button.name = std::string(name);
        m_button.line = line;
        m_seen.clear();
        m_open = true;
        return true;
    }

    bool take(std::string_view key, std::string_view value, int line)
    {
        if (!m_open)
            return fail(line, quoted(key) + " before the first button's 'name:'");
        if (!m_seen.insert(std::string(key)).second && key != "data")
            return fail(line, "a second " + quoted(key) + " in button " + quoted(m_button.name));
        if (key == "type") {
            if (value != "parsed" && value != "raw")
                return fail(line, "type " + quoted(value) + " (expected parsed or raw)");
            m_button.raw = value == "raw";
            return true;
        }
        if (key == "protocol") {
            m_button.protocol = std::string(value);
            m_button.protocolLine = line;
            return !value.empty() || fail(line, "an empty protocol");
        }
        if (key == "address" || key == "command") {
            const auto number = littleEndian(value);
            if (!number)
                return fail(line, "malformed " + std::string(key) + " " + quoted(value)
                                      + " (expected up to 4 hex bytes, such as 07 00 00 00)");
            (key == "address" ? m_button.address : m_button.command) = *number;
            return true;
        }
        if (key == "frequency") {
            int hz = 0;
            if (!wholeNumber(value, hz) || hz < 0 || hz > SignalFile::maxCarrier)
                return fail(line, "malformed frequency " + quoted(value) + " (expected Hz, 0 to "
                                      + std::to_string(SignalFile::maxCarrier) + ")");
            m_button.signal.carrierHz = hz;
            return true;
        }
        if (key == "duty_cycle") {
            double duty = 0;
            return (wholeNumber(value, duty) && duty > 0 && duty <= 1)
                   || fail(line, "malformed duty_cycle " + quoted(value) + " (expected above 0, at most 1)");
        }
        if (key == "data")
            return takeData(value, line);
        return fail(line, "unknown key " + quoted(key));
    }

    // The button read, once its keys make one; nothing with the error otherwise.
    std::optional<IrFile::Button> finish()
    {
        if (!m_open)
            return std::nullopt;
        m_open = false;
        const auto has = [&](std::string_view key) { return m_seen.count(std::string(key)) > 0; };
        const std::array<std::string_view, 3> parsedKeys{"protocol", "address", "command"};
        const std::array<std::string_view, 3> rawKeys{"frequency", "data", "duty_cycle"};
        if (!has("type"))
            return missing("type");
        for (const auto key : m_button.raw ? rawKeys : parsedKeys) {
            if (key != "duty_cycle" && !has(key))
                return missing(key);
        }
        for (const auto key : m_button.raw ? parsedKeys : rawKeys) {
            if (has(key)) {
                fail(m_button.line, "button " + quoted(m_button.name) + " of type " + (m_button.raw ? "raw" : "parsed")
                                        + " has a " + std::string(key));
                return std::nullopt;
            }
        }
        return m_button;
    }

    bool open() const { return m_open; }

private:
    bool takeData(std::string_view value, int line)
    {
        std::size_t at = 0;
        while (at < value.size()) {
            const auto start = value.find_first_not_of(" \t", at);
            if (start == std::string_view::npos)
                break;
            const auto end = std::min(value.find_first_of(" \t", start), value.size());
            const std::string_view word = value.substr(start, end - start);
            double duration = 0;
            if (!wholeNumber(word, duration) || !std::isfinite(duration) || duration <= 0
                || duration > SignalFile::maxDuration)
                return fail(line,
                            "malformed duration " + quoted(word) + " (expected microseconds above 0, at most 10 s)");
            if (m_button.signal.durations.size() == SignalFile::maxDurations)
                return fail(line, "too many durations (at most " + std::to_string(SignalFile::maxDurations) + ")");
            m_button.signal.durations.push_back(duration);
            at = end;
        }
        return true;
    }

    std::optional<IrFile::Button> missing(std::string_view key)
    {
        fail(m_button.line, "button " + quoted(m_button.name) + " has no '" + std::string(key) + ":'");
        return std::nullopt;
    }

    bool fail(int line, const std::string &problem)
    {
        *m_error = "line " + std::to_string(line) + ": " + problem;
        return false;
    }

    std::string *m_error;
    IrFile::Button m_button;
    std::set<std::string> m_seen;
    bool m_open = false;
};
}  // namespace

bool IrFile::looksLike(std::string_view text)
{
    return trimmed(text.substr(0, text.find('\n'))).starts_with(std::string(fileTypeKey) + ":");
}

std::optional<std::vector<IrFile::Button>> IrFile::parse(std::string_view text, std::string *error)
{
    std::vector<Button> buttons;
    ButtonReader reader(error);
    int line = 0;
    int headerLines = 0;
    for (std::size_t at = 0; at <= text.size(); ++line) {
        const std::size_t newline = std::min(text.find('\n', at), text.size());
        const std::string_view content = trimmed(text.substr(at, newline - at));
        at = newline + 1;
        if (content.empty() || content.starts_with('#'))
            continue;
        const std::size_t colon = content.find(':');
        if (colon == std::string_view::npos) {
            *error = "line " + std::to_string(line + 1) + ": " + quoted(content) + " is no 'key: value' line";
            return std::nullopt;
        }
        const std::string_view key = trimmed(content.substr(0, colon));
        const std::string_view value = trimmed(content.substr(colon + 1));
        if (headerLines < 2) {
            const bool fileType = headerLines == 0;
            if (fileType ? key != fileTypeKey || (value != fileTypes[0] && value != fileTypes[1])
                         : key != "Version" || value != "1") {
                *error = "line " + std::to_string(line + 1) + ": "
                         + (fileType ? "not an infrared signal file (expected 'Filetype: IR signals file')"
                                     : "expected 'Version: 1', found " + quoted(content));
                return std::nullopt;
            }
            ++headerLines;
            continue;
        }
        if (key == "name") {
            if (reader.open()) {
                auto button = reader.finish();
                if (!button)
                    return std::nullopt;
                buttons.push_back(std::move(*button));
            }
            if (!reader.start(value, line + 1))
                return std::nullopt;
        } else if (!reader.take(key, value, line + 1)) {
            return std::nullopt;
        }
    }
    if (headerLines < 2) {
        *error = headerLines == 0 ? "line 1: not an infrared signal file (expected 'Filetype: IR signals file')"
                                  : "no 'Version: 1' line";
        return std::nullopt;
    }
    if (reader.open()) {
        auto button = reader.finish();
        if (!button)
            return std::nullopt;
        buttons.push_back(std::move(*button));
    }
    return buttons;
}

std::string IrFile::summary(const Button &button)
{
    if (button.raw)
        return button.name + "  raw, " + std::to_string(button.signal.carrierHz) + " Hz, "
               + std::to_string(button.signal.durations.size()) + " durations";
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " address 0x%llX command 0x%llX", button.address, button.command);
    return button.name + "  " + button.protocol + numbers;
}

std::string IrFile::write(const std::vector<Button> &buttons)
{
    const auto bytes = [](long long value) {
        char text[16];
        std::snprintf(text, sizeof text, "%02llX %02llX %02llX %02llX", value & 0xFF, value >> 8 & 0xFF,
                      value >> 16 & 0xFF, value >> 24 & 0xFF);
        return std::string(text);
    };
    std::string text = std::string(fileTypeKey) + ": " + std::string(fileTypes[0]) + "\nVersion: 1\n";
    for (const Button &button : buttons) {
        text += "#\nname: " + button.name + "\n";
        if (!button.raw) {
            text += "type: parsed\nprotocol: " + button.protocol + "\naddress: " + bytes(button.address)
                    + "\ncommand: " + bytes(button.command) + "\n";
            continue;
        }
        text += "type: raw\nfrequency: " + std::to_string(button.signal.carrierHz) + "\nduty_cycle: 0.330000\ndata:";
        for (const double duration : button.signal.durations)
            text += " " + std::to_string(std::lround(duration));
        text += "\n";
    }
    return text;
}
