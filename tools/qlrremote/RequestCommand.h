#pragma once

#include <string>
#include <vector>

#include "CommandConsole.h"

// The commands that are one request to a running server: status, attach,
// detach, identity, press, dump, reset and fault.
namespace RequestCommand
{
// `words` is the command and its arguments; an unknown command is refused.
int run(const CommandConsole &console, const std::string &socketPath, const std::vector<std::string> &words);
}  // namespace RequestCommand
