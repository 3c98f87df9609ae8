#include "HelpCommand.h"

#include <ostream>

#include "CommandHelp.h"

int HelpCommand::run(const CommandConsole &console, const std::vector<std::string> &words, bool optionGiven)
{
    // `COMMAND ... --help` is about COMMAND, `help` itself too; `help COMMAND` about COMMAND.
    const bool helpCommand = !optionGiven && !words.empty();
    if (helpCommand && words.size() > 2)
        return console.fail("help takes one command");
    const std::size_t topic = helpCommand ? 1 : 0;
    if (words.size() <= topic) {
        console.out << CommandHelp::overview() << std::flush;
        return 0;
    }
    const auto page = CommandHelp::of(words[topic]);
    if (!page)
        return console.fail("unknown command " + words[topic] + " (see qlr-remote --help)");
    console.out << *page << std::flush;
    return 0;
}
