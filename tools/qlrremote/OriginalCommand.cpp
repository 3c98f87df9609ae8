#include "OriginalCommand.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

#include <unistd.h>

int OriginalCommand::run(const CommandConsole &console, const std::string &socketOption,
                         const std::vector<std::string> &words)
{
    if (words.size() != 1)
        return console.fail("original takes no arguments besides --socket");
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return console.fail("original: cannot find this program's directory: " + error.message());
    const std::string program = (self.parent_path() / "qlr-original").string();
    std::vector<std::string> arguments{program};
    if (!socketOption.empty())
        arguments.insert(arguments.end(), {"--socket", socketOption});
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    console.out.flush();
    execv(program.c_str(), argv.data());
    return console.fail("original: cannot start " + program + ": " + std::strerror(errno)
                        + (errno == ENOENT ? " (qlr-original is installed beside qlr-remote)" : ""));
}
