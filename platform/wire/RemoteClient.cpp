#include "RemoteClient.h"

#include "LineChannel.h"
#include "SocketPath.h"

#include <cerrno>
#include <cstring>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
RemoteClient::Reply unreachable(std::string why)
{
    return {RemoteClient::Status::Unreachable, std::move(why)};
}

// A full backlog makes a non-blocking connect fail with EAGAIN; the server
// takes connections off it quickly, so trying again until the deadline is
// the way to wait for room.
bool connectBefore(int fd, const sockaddr_un &address, LineChannel::Clock::time_point deadline, std::string &why)
{
    for (;;) {
        if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
            return true;
        if (errno != EAGAIN && errno != EINTR) {
            why = std::strerror(errno);
            return false;
        }
        if (LineChannel::Clock::now() >= deadline) {
            why = "the server does not answer";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool servedByThisUser(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}
}  // namespace

RemoteClient::Reply RemoteClient::call(const std::string &socketPath, std::string_view request,
                                       std::chrono::milliseconds timeout)
{
    sockaddr_un address;
    std::string why;
    if (!SocketPath::address(socketPath, address, &why))
        return unreachable(why);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return unreachable(std::strerror(errno));
    const auto deadline = LineChannel::Clock::now() + timeout;
    LineChannel channel(fd, deadline);
    if (!connectBefore(fd, address, deadline, why))
        return unreachable("no server on " + socketPath + ": " + why);
    if (!servedByThisUser(fd))
        return unreachable("the server on " + socketPath + " belongs to another user");
    std::string line(request);
    line += '\n';
    // A server that refuses us answers and closes without reading, so the
    // write may fail while the refusal waits to be read: read it either way.
    const bool taken = channel.write(line);
    if (channel.readLine(maxReplyLength, line) != LineChannel::Result::Line)
        return unreachable("the server on " + socketPath + (taken ? " gave no reply" : " did not take the request"));
    return parseReply(line);
}

RemoteClient::Reply RemoteClient::parseReply(std::string_view line)
{
    if (line == "OK")
        return {Status::Ok, {}};
    if (line.starts_with("OK "))
        return {Status::Ok, std::string(line.substr(3))};
    if (line == "FAIL")
        return {Status::Fail, {}};
    if (line.starts_with("ERR "))
        return {Status::Error, std::string(line.substr(4))};
    return unreachable("the server's reply makes no sense");
}
