#include "RemoteServer.h"

#include "LineChannel.h"
#include "RemoteRequest.h"
#include "RemoteService.h"
#include "SocketPath.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
constexpr int backlog = 64;

bool systemFailure(std::string *error, const std::string &what)
{
    *error = what + ": " + std::strerror(errno);
    return false;
}

bool someoneAnswers(const sockaddr_un &address)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answered = connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return answered;
}

// A client that has closed its end cannot hear the reply; one that only
// finished writing (a half close) still can.
bool hungUp(int fd)
{
    pollfd entry{fd, 0, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLERR)) != 0;
}

uid_t peerUid(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return static_cast<uid_t>(-1);
    return peer.uid;
}
}  // namespace

RemoteServer::RemoteServer(Options options)
    : m_options(std::move(options))
{
    if (pipe2(m_wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wakeFds[0] = m_wakeFds[1] = -1;
}

RemoteServer::~RemoteServer()
{
    stop();
    reapFinished(true);
    if (m_listenFd >= 0) {
        close(m_listenFd);
        removeSocketFile();
    }
    for (const int fd : m_wakeFds) {
        if (fd >= 0)
            close(fd);
    }
}

bool RemoteServer::listen(std::string *error)
{
    const std::string &path = m_options.socketPath;
    sockaddr_un address;
    if (m_wakeFds[0] < 0)
        return systemFailure(error, "cannot create the server's wake-up pipe");
    if (!SocketPath::address(path, address, error) || !SocketPath::prepareDirectory(path, error))
        return false;
    struct stat info;
    if (lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) {
            *error = path + " exists and is not a socket; refusing to replace it";
            return false;
        }
        if (someoneAnswers(address)) {
            *error = "a server is already running on " + path;
            return false;
        }
        // Left behind by a server that was killed.
        if (unlink(path.c_str()) != 0)
            return systemFailure(error, "cannot remove the stale socket " + path);
    }
    m_listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        return systemFailure(error, "cannot create a socket");
    if (bind(m_listenFd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || chmod(path.c_str(), 0600) != 0 || ::listen(m_listenFd, backlog) != 0 || lstat(path.c_str(), &info) != 0) {
        systemFailure(error, "cannot listen on " + path);
        close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    m_socketDevice = info.st_dev;
    m_socketInode = info.st_ino;
    return true;
}

void RemoteServer::run(RemoteService &service, int stopFd)
{
    m_service = &service;
    for (;;) {
        reapFinished(false);
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping)
                break;
        }
        pollfd fds[3] = {{m_listenFd, POLLIN, 0}, {m_wakeFds[0], POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int ready = poll(fds, stopFd >= 0 ? 3 : 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || fds[1].revents != 0 || (stopFd >= 0 && fds[2].revents != 0))
            break;
        if (fds[0].revents != 0)
            accept();
    }
    stop();
    close(m_listenFd);
    m_listenFd = -1;
    removeSocketFile();
    reapFinished(true);
}

void RemoteServer::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_wakeFds[1] >= 0) {
        const char wake = 1;
        [[maybe_unused]] const auto written = write(m_wakeFds[1], &wake, 1);
    }
}

void RemoteServer::accept()
{
    const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    if (peerUid(fd) != m_options.allowedUid) {
        static constexpr std::string_view refusal = "ERR permission denied\n";
        [[maybe_unused]] const auto sent = send(fd, refusal.data(), refusal.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        close(fd);
        return;
    }
    std::unique_lock lock(m_mutex);
    if (!makeRoom(lock)) {
        close(fd);
        return;
    }
    Connection &connection = m_connections.emplace_back();
    connection.fd = fd;
    connection.accepted = Clock::now();
    try {
        connection.thread = std::thread(&RemoteServer::serve, this, fd, std::ref(connection));
        ++m_running;
    } catch (const std::system_error &) {
        // Out of threads: this client hears nothing and times out; the server goes on.
        m_connections.pop_back();
        close(fd);
    }
}

// A free place, or the place of the connection idle longest once it has been
// idle for half its timeout: a client that is about to send is not cut off,
// one that holds a place without a word does not keep the new one out. False
// when the server stops meanwhile.
bool RemoteServer::makeRoom(std::unique_lock<std::mutex> &lock)
{
    for (;;) {
        if (m_stopping)
            return false;
        const auto isIdle = [](const Connection &c) { return c.idle; };
        const auto evicted = std::count_if(m_connections.begin(), m_connections.end(),
                                           [](const Connection &c) { return c.evicted && !c.done; });
        if (m_running - static_cast<std::size_t>(evicted) < m_options.maxConnections)
            return true;
        const auto oldest = std::find_if(m_connections.begin(), m_connections.end(), isIdle);
        if (oldest == m_connections.end()) {
            m_changed.wait(lock);
            continue;
        }
        const auto evictable = oldest->accepted + m_options.idleTimeout / 2;
        if (Clock::now() < evictable) {
            m_changed.wait_until(lock, evictable);
            continue;
        }
        // Its thread finds it evicted and ends; the descriptor stays open until then.
        oldest->idle = false;
        oldest->evicted = true;
        shutdown(oldest->fd, SHUT_RDWR);
    }
}

void RemoteServer::serve(int fd, Connection &connection)
{
    {
        LineChannel channel(fd, connection.accepted + std::min(m_options.idleTimeout, m_options.requestTimeout));
        std::string line;
        const LineChannel::Result result = channel.readLine(RemoteRequest::maxLineLength, line);
        bool evicted = false;
        {
            std::lock_guard lock(m_mutex);
            evicted = connection.evicted;
            connection.idle = false;
        }
        channel.setDeadline(connection.accepted + m_options.requestTimeout);
        switch (evicted ? LineChannel::Result::Closed : result) {
        case LineChannel::Result::Line:
            // The client takes a request it hears nothing of for failed:
            // carried out, a write would be there all the same.
            if (!hungUp(fd))
                channel.write(m_service->handle(line) + '\n');
            break;
        case LineChannel::Result::TooLong:
            channel.write("ERR request too long\n");
            break;
        case LineChannel::Result::Unterminated:
            channel.write("ERR request without a newline\n");
            break;
        case LineChannel::Result::Closed:
        case LineChannel::Result::Failed:
            break;
        }
    }
    {
        std::lock_guard lock(m_mutex);
        connection.done = true;
        --m_running;
    }
    m_changed.notify_all();
}

void RemoteServer::reapFinished(bool all)
{
    std::list<Connection> finished;
    {
        std::unique_lock lock(m_mutex);
        if (all)
            m_changed.wait(lock, [this] { return m_running == 0; });
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            const auto next = std::next(it);
            if (it->done)
                finished.splice(finished.end(), m_connections, it);
            it = next;
        }
    }
    for (Connection &connection : finished)
        connection.thread.join();
}

void RemoteServer::removeSocketFile()
{
    // Only our own socket: a server started on the same path since then keeps its.
    struct stat info;
    if (lstat(m_options.socketPath.c_str(), &info) == 0 && info.st_dev == m_socketDevice
        && info.st_ino == m_socketInode)
        unlink(m_options.socketPath.c_str());
}
