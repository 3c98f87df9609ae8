#pragma once

#include <string>
#include <vector>

#include "CommandConsole.h"

// `send MODE KEYCODE`: the signal one press of a key of the served remote
// sends. 0 printed, 1 nothing to send, 2 error.
namespace SendCommand
{
// `words` is the command and its arguments.
int run(const CommandConsole &console, const std::string &socketPath, const std::vector<std::string> &words);
}  // namespace SendCommand
