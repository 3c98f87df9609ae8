#include "PressInput.h"

#include <algorithm>
#include <array>

#include "CodeSignals.h"
#include "IrFile.h"
#include "SignalFile.h"

namespace
{
// Names beyond these are left out of an error line.
constexpr std::size_t namesShown = 12;

constexpr std::array<std::string_view, 4> optionNames{"--button", "--pronto", "--protocol", "--fields"};

PressInput::Outcome failed(std::string error, std::string listing = {})
{
    return {std::nullopt, std::move(error), std::move(listing)};
}

std::string lowered(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// The buttons called `name`: those of exactly that name, else those of that name in any case.
std::vector<const IrFile::Button *> buttonsNamed(const std::vector<IrFile::Button> &buttons, const std::string &name)
{
    std::vector<const IrFile::Button *> exact;
    std::vector<const IrFile::Button *> anyCase;
    for (const IrFile::Button &button : buttons) {
        if (button.name == name)
            exact.push_back(&button);
        if (lowered(button.name) == lowered(name))
            anyCase.push_back(&button);
    }
    return exact.empty() ? anyCase : exact;
}

std::string namesOf(const std::vector<IrFile::Button> &buttons)
{
    std::string names;
    for (std::size_t i = 0; i < std::min(buttons.size(), namesShown); ++i)
        names += (i ? ", " : "") + buttons[i].name;
    return buttons.size() > namesShown ? names + ", ..." : names;
}

std::string listingOf(const std::vector<IrFile::Button> &buttons)
{
    std::string listing;
    for (const IrFile::Button &button : buttons)
        listing += IrFile::summary(button) + "\n";
    return listing;
}

PressInput::Outcome buttonSignal(const std::string &file, const IrFile::Button &button)
{
    if (button.raw)
        return {button.signal, {}, {}};
    CodeSignals::Made made = CodeSignals::ofRecorderCode(button.protocol, button.address, button.command);
    if (!made.signal)
        return failed(file + ": line " + std::to_string(button.protocolLine) + ": button '" + button.name
                      + "': " + made.error);
    return {std::move(made.signal), {}, {}};
}

PressInput::Outcome irFileSignal(const PressInput::Choice &choice, const std::string &file, std::string_view text)
{
    std::string error;
    const auto buttons = IrFile::parse(text, &error);
    if (!buttons)
        return failed(file + ": " + error);
    if (buttons->empty())
        return failed(file + " holds no buttons");
    if (choice.button.empty()) {
        if (buttons->size() == 1)
            return buttonSignal(file, buttons->front());
        return failed(file + " holds " + std::to_string(buttons->size())
                          + " buttons; nothing was pressed: choose one with --button NAME",
                      listingOf(*buttons));
    }
    const auto named = buttonsNamed(*buttons, choice.button);
    if (named.empty())
        return failed(file + " has no button '" + choice.button + "' (its buttons: " + namesOf(*buttons) + ")");
    if (named.size() > 1) {
        std::string lines;
        for (const IrFile::Button *button : named)
            lines += (lines.empty() ? "" : ", ") + std::to_string(button->line);
        return failed(file + " has " + std::to_string(named.size()) + " buttons named '" + choice.button + "' (lines "
                      + lines + "); nothing was pressed");
    }
    return buttonSignal(file, *named.front());
}
}  // namespace

bool PressInput::takesOption(std::string_view name)
{
    return std::find(optionNames.begin(), optionNames.end(), name) != optionNames.end();
}

std::optional<PressInput::Choice> PressInput::choose(const std::vector<std::string> &words, std::string *error)
{
    Choice choice;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (!takesOption(words[i])) {
            files.push_back(words[i]);
            continue;
        }
        std::string *value = words[i] == "--button"     ? &choice.button
                             : words[i] == "--pronto"   ? &choice.pronto
                             : words[i] == "--protocol" ? &choice.protocol
                                                        : &choice.fields;
        if (i + 1 == words.size() || words[i + 1].empty()) {
            *error = words[i] + " needs a value";
            return std::nullopt;
        }
        if (!value->empty()) {
            *error = words[i] + " given twice";
            return std::nullopt;
        }
        *value = words[++i];
    }
    const int signals = static_cast<int>(files.size()) + !choice.pronto.empty() + !choice.protocol.empty();
    if (signals != 1) {
        *error = "press takes one signal file, --pronto CODE or --protocol NAME (see qlr-remote press --help)";
        return std::nullopt;
    }
    if (!files.empty())
        choice.file = files.front();
    if (!choice.fields.empty() && choice.protocol.empty()) {
        *error = "--fields belongs to --protocol";
        return std::nullopt;
    }
    if (!choice.button.empty() && files.empty()) {
        *error = "--button needs an infrared signal file";
        return std::nullopt;
    }
    return choice;
}

PressInput::Outcome PressInput::signalOf(const Choice &choice, std::string_view fileText)
{
    std::string error;
    InfraredSignal signal;
    if (!choice.protocol.empty()) {
        CodeSignals::Made made = CodeSignals::ofProtocol(choice.protocol, choice.fields);
        if (!made.signal)
            return failed("--protocol " + choice.protocol + ": " + made.error);
        return {std::move(made.signal), {}, {}};
    }
    if (!choice.pronto.empty()) {
        if (!SignalFile::parsePronto(choice.pronto, signal, &error))
            return failed("--pronto: " + error);
        return {std::move(signal), {}, {}};
    }
    const std::string file = choice.file == "-" ? "standard input" : choice.file;
    if (IrFile::looksLike(fileText))
        return irFileSignal(choice, file, fileText);
    if (!choice.button.empty())
        return failed("--button needs an infrared signal file, and " + file + " has no 'Filetype:' header");
    if (!SignalFile::parse(fileText, signal, &error))
        return failed(file + ": " + error);
    return {std::move(signal), {}, {}};
}
