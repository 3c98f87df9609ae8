#include "TypedCode.h"

#include <algorithm>
#include <cctype>

#include "ConverterLibrary.h"
#include "SignalFile.h"

namespace
{
constexpr std::string_view errorPrefix = "error: ";
constexpr std::size_t prontoWordDigits = 4;

TypedCode::Made failed(std::string why)
{
    return {std::nullopt, std::move(why)};
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The library's answer: a signal in the durations form, or its problem.
TypedCode::Made signalOfAnswer(const Conversion &answer, const char *entry)
{
    if (answer.status != Conversion::Status::Converted)
        return failed(answer.error.empty() ? std::string("the conversion library offers no ") + entry : answer.error);
    if (answer.text.starts_with(errorPrefix))
        return failed(answer.text.substr(errorPrefix.size()));
    InfraredSignal signal;
    std::string error;
    if (!SignalFile::parseDurations(answer.text, signal, &error))
        return failed("the conversion library made no signal of it: " + error);
    return {std::move(signal), {}};
}
}  // namespace

TypedCode::Made TypedCode::signalOf(std::string_view text, ConverterLibrary &library)
{
    const std::string_view code = trimmed(text);
    if (code.empty())
        return failed("no code was given");
    const std::size_t nameEnd = std::min(code.find_first_of(" \t\r\n"), code.size());
    const std::string_view name = code.substr(0, nameEnd);
    // Protocols have names of letters; a Pronto code starts with a word of four hex digits.
    if (name.size() == prontoWordDigits
        && std::all_of(name.begin(), name.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); })) {
        InfraredSignal signal;
        std::string error;
        if (!SignalFile::parsePronto(code, signal, &error))
            return failed("Pronto code: " + error);
        return {std::move(signal), {}};
    }
    return signalOfAnswer(library.signalOfProtocol(std::string(name), std::string(trimmed(code.substr(nameEnd)))),
                          "SignalOfProtocol");
}

TypedCode::Made TypedCode::signalOf(const IrFile::Button &button, ConverterLibrary &library)
{
    if (button.raw)
        return {button.signal, {}};
    const Made made = signalOfAnswer(library.signalOfRecorderCode(button.protocol, button.address, button.command),
                                     "SignalOfRecorderCode");
    if (!made.signal)
        return failed("button '" + button.name + "': " + made.error);
    return made;
}
