#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CommandConsole.h"

// The whole memory of the remote a running server serves, for the commands
// that read it as the tool does.
namespace ServedMemory
{
// Nothing, the error told in `command`'s name, when it cannot be had.
std::optional<std::vector<std::uint8_t>> dump(const CommandConsole &console, const std::string &socketPath,
                                              const std::string &command);
}  // namespace ServedMemory
