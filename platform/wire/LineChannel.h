#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

// One end of a request/reply connection: newline-terminated lines over a
// stream socket, every transfer bounded by one deadline so that a peer that
// stalls or trickles cannot hold the other side longer than that.
class LineChannel
{
public:
    using Clock = std::chrono::steady_clock;
    // Unterminated: the peer closed after part of a line.
    enum class Result
    {
        Line,
        TooLong,
        Closed,
        Unterminated,
        Failed
    };

    // Takes ownership of `fd`.
    LineChannel(int fd, Clock::time_point deadline);
    ~LineChannel();
    LineChannel(const LineChannel &) = delete;
    LineChannel &operator=(const LineChannel &) = delete;

    int fd() const { return m_fd; }
    // For what follows: a reply may be given longer than its request.
    void setDeadline(Clock::time_point deadline) { m_deadline = deadline; }
    // Sends all of `data`; false on error or when the deadline passes.
    bool write(std::string_view data);
    // Reads up to the next newline (not kept in `line`). A line longer than
    // `limit` is refused as soon as that is clear, without buffering more.
    Result readLine(std::size_t limit, std::string &line);

private:
    bool waitFor(short events);

    int m_fd;
    Clock::time_point m_deadline;
};
