#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "CommandConsole.h"

// The qlr-remote program: `serve` runs the virtual remote's server in the
// foreground; `roundtrip`, `original` and `help` need no server; every other
// command reads or asks a running server. Reads the options, which may stand
// anywhere, and hands the words to their command.
class RemoteCommandLine
{
public:
    RemoteCommandLine(std::istream &in, std::ostream &out, std::ostream &err);

    // `arguments` without the program name.
    int run(const std::vector<std::string> &arguments);

private:
    CommandConsole m_console;
};
