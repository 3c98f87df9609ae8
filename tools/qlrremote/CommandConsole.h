#pragma once

#include <iosfwd>
#include <string>

// The streams a command of qlr-remote reads and writes. Exit status 0 on
// success, 1 when a press finds the remote not waiting for a code, a check
// finds its memory corrupt or a key to send holds nothing that can be sent,
// 2 for any error, with one line on the error stream.
struct CommandConsole
{
    static constexpr int errorStatus = 2;

    std::istream &in;
    std::ostream &out;
    std::ostream &err;

    // Tells `message` on the error stream; returns errorStatus.
    int fail(const std::string &message) const;
};
