#pragma once

#include <string>
#include <vector>

#include "CommandConsole.h"

// `original`: replaces this process with qlr-original beside it, on the same
// socket; returns only when that fails.
namespace OriginalCommand
{
// `words` is the command and its arguments; `socketOption` the --socket given, if any.
int run(const CommandConsole &console, const std::string &socketOption, const std::vector<std::string> &words);
}  // namespace OriginalCommand
