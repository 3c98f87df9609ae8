#include "LineChannel.h"

#include <cerrno>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LineChannel::LineChannel(int fd, Clock::time_point deadline)
    : m_fd(fd)
    , m_deadline(deadline)
{ }

LineChannel::~LineChannel()
{
    if (m_fd >= 0)
        close(m_fd);
}

bool LineChannel::waitFor(short events)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd entry{m_fd, events, 0};
        const int ready = poll(&entry, 1, static_cast<int>(left.count()));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

bool LineChannel::write(std::string_view data)
{
    while (!data.empty()) {
        const ssize_t sent = send(m_fd, data.data(), data.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            data.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        if (!waitFor(POLLOUT))
            return false;
    }
    return true;
}

LineChannel::Result LineChannel::readLine(std::size_t limit, std::string &line)
{
    line.clear();
    char chunk[65536];
    for (;;) {
        const ssize_t got = recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (got == 0)
            return line.empty() ? Result::Closed : Result::Unterminated;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if ((errno != EAGAIN && errno != EWOULDBLOCK) || !waitFor(POLLIN))
                return Result::Failed;
            continue;
        }
        const std::string_view received(chunk, static_cast<std::size_t>(got));
        const auto newline = received.find('\n');
        const std::size_t take = newline == std::string_view::npos ? received.size() : newline;
        if (line.size() + take > limit)
            return Result::TooLong;
        line.append(received.substr(0, take));
        if (newline != std::string_view::npos)
            return Result::Line;
    }
}
