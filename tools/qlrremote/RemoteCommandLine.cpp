#include "RemoteCommandLine.h"

#include "CheckCommand.h"
#include "HelpCommand.h"
#include "OriginalCommand.h"
#include "PressInput.h"
#include "RequestCommand.h"
#include "RoundTripCommand.h"
#include "SendCommand.h"
#include "ServeCommand.h"
#include "SocketPath.h"

RemoteCommandLine::RemoteCommandLine(std::istream &in, std::ostream &out, std::ostream &err)
    : m_console{in, out, err}
{ }

int RemoteCommandLine::run(const std::vector<std::string> &arguments)
{
    std::string socketPath;
    std::string imagePath;
    std::vector<std::string> words;
    // Press's options and their values, kept apart so that they may stand anywhere.
    std::vector<std::string> pressOptions;
    bool helpWanted = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            helpWanted = true;
            continue;
        }
        const std::string name = argument.substr(0, argument.find('='));
        std::string *value = name == "--socket" ? &socketPath : name == "--image" ? &imagePath : nullptr;
        if (value || PressInput::takesOption(name)) {
            const std::string given = argument.size() > name.size() ? argument.substr(name.size() + 1)
                                      : i + 1 < arguments.size()    ? arguments[++i]
                                                                    : std::string();
            if (given.empty())
                return m_console.fail(name + " needs a value");
            if (value)
                *value = given;
            else
                pressOptions.insert(pressOptions.end(), {name, given});
        } else if (argument.starts_with("--")) {
            return m_console.fail("unknown option " + argument + " (see qlr-remote --help)");
        } else {
            words.push_back(argument);
        }
    }
    if (helpWanted || (!words.empty() && words[0] == "help"))
        return HelpCommand::run(m_console, words, helpWanted);
    if (words.empty())
        return m_console.fail("no command given (see qlr-remote --help)");
    if (!pressOptions.empty() && words[0] != "press")
        return m_console.fail(pressOptions[0] + " belongs to press");
    words.insert(words.end(), pressOptions.begin(), pressOptions.end());
    if (words[0] == "roundtrip")
        return RoundTripCommand::run(m_console, {words.begin() + 1, words.end()});
    if (words[0] == "original")
        return OriginalCommand::run(m_console, socketPath, words);
    if (socketPath.empty())
        socketPath = SocketPath::defaultPath();
    if (words[0] == "serve")
        return ServeCommand::run(m_console, socketPath, imagePath, words);
    if (!imagePath.empty())
        return m_console.fail("--image belongs to serve");
    if (words[0] == "check")
        return CheckCommand::run(m_console, socketPath, words);
    if (words[0] == "send")
        return SendCommand::run(m_console, socketPath, words);
    return RequestCommand::run(m_console, socketPath, words);
}
