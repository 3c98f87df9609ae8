#include "SocketPath.h"

#include "FileIo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
bool isAbsolute(const char *path)
{
    return path && path[0] == '/';
}

std::string systemError(const std::string &what, int error)
{
    return what + ": " + std::strerror(error);
}
}  // namespace

std::string SocketPath::defaultPath()
{
    return resolve(std::getenv("QLR_REMOTE_SOCKET"), std::getenv("XDG_RUNTIME_DIR"), getuid());
}

std::string SocketPath::resolve(const char *socketOverride, const char *runtimeDir, uid_t uid)
{
    if (socketOverride && socketOverride[0])
        return socketOverride;
    if (isAbsolute(runtimeDir))
        return std::string(runtimeDir) + "/qlr-remote/socket";
    return "/tmp/qlr-remote-" + std::to_string(uid) + "/socket";
}

std::string SocketPath::directoryOf(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool SocketPath::prepareDirectory(const std::string &socketPath, std::string *error)
{
    return preparePrivateDirectory(directoryOf(socketPath), error);
}

bool SocketPath::preparePrivateDirectory(const std::string &directory, std::string *error)
{
    // Parents first; ones that exist already (/tmp, $HOME) are left as they are.
    for (std::size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string prefix = directory.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            *error = systemError("cannot create " + prefix, errno);
            return false;
        }
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    if (lstat(directory.c_str(), &info) != 0) {
        *error = systemError("cannot use " + directory, errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *error = directory + " is not a directory; refusing to use it";
        return false;
    }
    *error = FileIo::whyNotPrivate(directory, info);
    return error->empty();
}

bool SocketPath::address(const std::string &socketPath, sockaddr_un &address, std::string *error)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) {
        *error = "socket path must be 1 to " + std::to_string(sizeof address.sun_path - 1)
                 + " characters long: " + socketPath;
        return false;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size());
    return true;
}
