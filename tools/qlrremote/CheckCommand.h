#pragma once

#include <string>
#include <vector>

#include "CommandConsole.h"

// `check`: the served remote's whole memory: its basic and configuration
// blocks against the factory's, then the tool's own memory check. 0 sound,
// 1 corrupt, 2 error.
namespace CheckCommand
{
// `words` is the command and its arguments.
int run(const CommandConsole &console, const std::string &socketPath, const std::vector<std::string> &words);
}  // namespace CheckCommand
