#include "PressCommand.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "PressInput.h"
#include "SignalFile.h"

namespace
{
constexpr std::size_t maxSignalFileSize = 1 << 20;

std::optional<std::string> readFile(const CommandConsole &console, const std::string &file)
{
    std::ifstream stream;
    if (file != "-") {
        std::error_code ignored;
        if (std::filesystem::is_directory(file, ignored)) {
            console.fail("cannot read " + file + ": it is a directory");
            return std::nullopt;
        }
        stream.open(file, std::ios::binary);
        if (!stream) {
            console.fail("cannot read " + file + ": " + std::strerror(errno));
            return std::nullopt;
        }
    }
    std::istream &input = file == "-" ? console.in : stream;
    std::string text;
    char chunk[65536];
    while (text.size() <= maxSignalFileSize && input.read(chunk, sizeof chunk).gcount() > 0)
        text.append(chunk, static_cast<std::size_t>(input.gcount()));
    if (input.bad()) {
        console.fail("cannot read " + file);
        return std::nullopt;
    }
    if (text.size() > maxSignalFileSize) {
        console.fail(file + " is too large for a signal (at most 1 MiB)");
        return std::nullopt;
    }
    return text;
}
}  // namespace

std::optional<std::string> PressCommand::requestLine(const CommandConsole &console,
                                                     const std::vector<std::string> &arguments)
{
    std::string error;
    const auto choice = PressInput::choose(arguments, &error);
    if (!choice) {
        console.fail(error);
        return std::nullopt;
    }
    std::optional<std::string> text;
    if (choice->fromFile() && !(text = readFile(console, choice->file)))
        return std::nullopt;
    const PressInput::Outcome outcome = PressInput::signalOf(*choice, text.value_or(std::string()));
    if (!outcome.signal) {
        console.out << outcome.listing << std::flush;
        console.fail(outcome.error);
        return std::nullopt;
    }
    return "press " + SignalFile::format(*outcome.signal);
}
