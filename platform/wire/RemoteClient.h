#pragma once

#include <chrono>
#include <string>
#include <string_view>

// The client side of the server's protocol: one connection per request, one
// request line out, one reply line back ("OK [data]", "FAIL" or
// "ERR message"), all within one timeout.
class RemoteClient
{
public:
    // Unreachable: no server, a server of another user, or a broken or
    // stalled connection; `data` then says what went wrong.
    enum class Status
    {
        Ok,
        Fail,
        Error,
        Unreachable
    };
    struct Reply
    {
        Status status = Status::Unreachable;
        std::string data;  // OK's data, ERR's message or the transport problem
    };

    static constexpr std::chrono::milliseconds defaultTimeout{2000};
    static constexpr std::size_t maxRequestLength = 1 << 20;
    static constexpr std::size_t maxReplyLength = 1 << 20;

    // `request` without its newline.
    static Reply call(const std::string &socketPath, std::string_view request,
                      std::chrono::milliseconds timeout = defaultTimeout);
    static Reply parseReply(std::string_view line);
};
