#pragma once

#include <string>
#include <string_view>

class RemoteRequest;
class VirtualRemote;

// Carries out requests on one virtual remote and words the replies: "OK" with
// the operation's data, "FAIL" when the remote refused (for link_state: it is
// detached; for press: it is not waiting for a code) and "ERR message" for a
// request that is not valid. Safe to use from several threads at once.
class RemoteService
{
public:
    RemoteService(VirtualRemote &remote, std::string imagePath);

    // One request line, without its newline, to its reply line.
    std::string handle(std::string_view line);
    std::string execute(const RemoteRequest &request);

private:
    VirtualRemote &m_remote;
    const std::string m_imagePath;
};
