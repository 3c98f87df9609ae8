#include "ServeCommand.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include <pwd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "RemoteServer.h"
#include "RemoteService.h"
#include "SocketPath.h"
#include "VirtualRemote.h"

namespace
{
std::string homeDirectory()
{
    const char *home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    const passwd *entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "/";
}

std::string absolute(const std::string &path)
{
    if (path.empty() || path[0] == '/')
        return path;
    char here[4096];
    return getcwd(here, sizeof here) ? std::string(here) + "/" + path : path;
}

// SIGINT and SIGTERM, blocked in every thread and read from a descriptor, end
// the server's loop like any other stop request.
int stopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signalfd(-1, &signals, SFD_CLOEXEC);
}
}  // namespace

std::string ServeCommand::defaultImagePath()
{
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    const std::string base = dataHome && dataHome[0] == '/' ? dataHome : homeDirectory() + "/.local/share";
    return base + "/qlr-remote/remote.img";
}

int ServeCommand::run(const CommandConsole &console, const std::string &socketPath, std::string imagePath,
                      const std::vector<std::string> &words)
{
    if (words.size() > 1)
        return console.fail("serve takes no arguments besides --socket and --image");
    std::string error;
    if (imagePath.empty()) {
        imagePath = defaultImagePath();
        if (!SocketPath::preparePrivateDirectory(SocketPath::directoryOf(imagePath), &error))
            return console.fail(error);
    }
    imagePath = absolute(imagePath);
    const int signals = stopSignals();
    if (signals < 0)
        return console.fail(std::string("cannot watch for signals: ") + std::strerror(errno));
    // The socket first: a second server on it must not make an image or journal it cannot serve.
    RemoteServer::Options serverOptions;
    serverOptions.socketPath = socketPath;
    serverOptions.allowedUid = geteuid();
    RemoteServer server(serverOptions);
    if (!server.listen(&error)) {
        close(signals);
        return console.fail(error);
    }
    VirtualRemote::Options options;
    options.imagePath = imagePath;
    options.log = [&console](const std::string &line) { console.err << "qlr-remote: " << line << std::endl; };
    const auto remote = VirtualRemote::open(options, &error);
    if (!remote) {
        close(signals);
        return console.fail(error);
    }
    RemoteService service(*remote, imagePath);
    console.out << "qlr-remote: serving " << socketPath << " (image " << imagePath << ")" << std::endl;
    server.run(service, signals);
    close(signals);
    return 0;
}
