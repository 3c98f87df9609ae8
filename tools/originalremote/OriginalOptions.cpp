#include "OriginalOptions.h"

#include <algorithm>

#include "SocketPath.h"

bool OriginalOptions::asksForHelp(const std::vector<std::string> &arguments)
{
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const std::string &a) { return a == "--help" || a == "-h"; });
}

OriginalOptions OriginalOptions::parse(const std::vector<std::string> &arguments, bool skipToolkit)
{
    OriginalOptions options;
    for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--socket" || argument.starts_with("--socket=")) {
            options.socketPath = argument.size() > 8        ? argument.substr(9)
                                 : i + 1 < arguments.size() ? arguments[++i]
                                                            : std::string();
            if (options.socketPath.empty())
                options.error = "--socket needs a value";
        } else if (skipToolkit && argument.size() > 1 && argument[0] == '-' && argument[1] != '-') {
            if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("-"))
                ++i;
        } else {
            options.error = "unknown argument " + argument + " (see qlr-original --help)";
        }
    }
    if (options.socketPath.empty())
        options.socketPath = SocketPath::defaultPath();
    return options;
}

std::string OriginalOptions::usage()
{
    return "Usage: qlr-original [--socket PATH]\n"
           "\n"
           "A window with an ordinary remote control, pointed at the virtual QLR-815's receiver:\n"
           "clicking a key sends its code as `qlr-remote press` would. Pick which device the\n"
           "remote belongs to; the window also shows whether the virtual remote is attached\n"
           "and can pull or plug its USB link and swap its identity.\n"
           "\n"
           "The socket is $QLR_REMOTE_SOCKET, else $XDG_RUNTIME_DIR/qlr-remote/socket, else\n"
           "/tmp/qlr-remote-UID/socket (now "
           + SocketPath::defaultPath() + ").\n";
}
