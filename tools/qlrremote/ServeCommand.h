#pragma once

#include <string>
#include <vector>

#include "CommandConsole.h"

// `serve`: the virtual remote's server in the foreground until SIGINT or SIGTERM.
namespace ServeCommand
{
// `words` is the command and its arguments.
int run(const CommandConsole &console, const std::string &socketPath, std::string imagePath,
        const std::vector<std::string> &words);
// $XDG_DATA_HOME/qlr-remote/remote.img, else ~/.local/share/qlr-remote/remote.img.
std::string defaultImagePath();
}  // namespace ServeCommand
