#pragma once

#include <string>
#include <vector>

#include "CommandConsole.h"

// `help [COMMAND]`, and `COMMAND --help`: the overview or one command's help.
namespace HelpCommand
{
// `words` is the command line's words; `optionGiven` when --help was among them.
int run(const CommandConsole &console, const std::vector<std::string> &words, bool optionGiven);
}  // namespace HelpCommand
