#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "RemoteRequest.h"

// The qlr-remote program: `serve` runs the virtual remote's server in the
// foreground; every other command sends one request to a running server.
// Exit status 0 on success, 1 when a press finds the remote not waiting for a
// code, a check finds its memory corrupt or a key to send holds nothing that
// can be sent, 2 for any error, with one line on the error stream.
class RemoteCommandLine
{
public:
    RemoteCommandLine(std::istream &in, std::ostream &out, std::ostream &err);

    // `arguments` without the program name.
    int run(const std::vector<std::string> &arguments);

    // $XDG_DATA_HOME/qlr-remote/remote.img, else ~/.local/share/qlr-remote/remote.img.
    static std::string defaultImagePath();

private:
    int serve(const std::string &socketPath, std::string imagePath);
    int request(const std::string &socketPath, const std::vector<std::string> &words);
    // Dumps the whole memory and checks it: 0 consistent, 1 corrupt, 2 error.
    int check(const std::string &socketPath);
    // Prints the signal of one press of a key: 0 sent, 1 nothing to send, 2 error.
    int send(const std::string &socketPath, const std::string &mode, const std::string &keycode);
    // Signals through the whole learning road, from `files` or standard input.
    int roundtrip(const std::vector<std::string> &files);
    // The whole memory of the served remote; nothing (the error told) when it cannot be had.
    std::optional<std::vector<std::uint8_t>> dumpMemory(const std::string &socketPath, const std::string &command);
    // A command's request line, checked as the server will check it.
    struct Prepared
    {
        std::string line;
        RemoteRequest request;
    };
    std::optional<Prepared> prepare(const std::vector<std::string> &words);
    // `help [COMMAND]`, and `COMMAND --help` when `optionGiven`.
    int help(const std::vector<std::string> &words, bool optionGiven);
    // Replaces this process with qlr-original beside it; returns only when that fails.
    int original(const std::string &socketOption);
    // The request line of a press of `words` (files and press's options).
    std::optional<std::string> pressLine(const std::vector<std::string> &words);
    std::optional<std::string> readFile(const std::string &file);
    void printStatus(const std::string &data);
    bool printDump(const RemoteRequest &request, const std::string &data);
    int fail(const std::string &message);

    std::istream &m_in;
    std::ostream &m_out;
    std::ostream &m_err;
};
