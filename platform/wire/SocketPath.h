#pragma once

#include <string>

#include <sys/types.h>

struct sockaddr_un;

// Where the virtual remote's server listens, for the server, the command line
// and the device library alike, and the checks that keep the socket private:
// anyone who can write to its directory can put their own server in its place.
class SocketPath
{
public:
    // $QLR_REMOTE_SOCKET, else $XDG_RUNTIME_DIR/qlr-remote/socket, else
    // /tmp/qlr-remote-<uid>/socket.
    static std::string defaultPath();
    // The same from explicit values; empty or relative directories count as unset.
    static std::string resolve(const char *socketOverride, const char *runtimeDir, uid_t uid);

    // Creates the socket's directory (and missing parents) 0700, then makes
    // sure it is a real directory of the current user that nobody else may
    // write to. False with *error otherwise.
    static bool prepareDirectory(const std::string &socketPath, std::string *error);
    // Creates `directory` and its missing parents 0700 and checks it as above.
    static bool preparePrivateDirectory(const std::string &directory, std::string *error);

    // Fills a socket address; false when the path does not fit.
    static bool address(const std::string &socketPath, sockaddr_un &address, std::string *error);

    static std::string directoryOf(const std::string &path);
};
