#pragma once

#include <string>
#include <vector>

// The command line of qlr-original: the same socket option and environment
// as qlr-remote, so that `qlr-remote original` can pass its own along.
struct OriginalOptions
{
    std::string socketPath;  // the default one unless --socket names another
    bool help = false;
    std::string error;  // empty when the arguments are sound

    // `arguments` without the program name. The toolkit takes its own options
    // (single dash, such as -platform offscreen) out of the command line only
    // once it runs; before that `skipToolkit` passes over them and their value.
    static OriginalOptions parse(const std::vector<std::string> &arguments, bool skipToolkit = false);
    // True when --help or -h is among `arguments`: answered before any window
    // system is needed.
    static bool asksForHelp(const std::vector<std::string> &arguments);
    static std::string usage();
};
