// The virtual remote's server on any request lines: each input is a session
// of lines (split at newlines) against a fresh remote, so that requests that
// need an earlier one (a press after SetCodeCarrierWave) are reached. Every
// reply is one printable line: "OK ...", "FAIL" or "ERR message".
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzRequire.h"
#include "RemoteService.h"
#include "VirtualRemote.h"

namespace
{
bool wellFormed(std::string_view reply)
{
    for (const char c : reply) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return reply == "OK" || reply.starts_with("OK ") || reply == "FAIL"
           || (reply.starts_with("ERR ") && reply.size() > 4);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string error;
    // Memory only: a file would be synced on every write, and a session must not see the last one's.
    const auto remote = VirtualRemote::open({.imagePath = {}, .transferTime = std::chrono::microseconds(0)}, &error);
    require(remote != nullptr);
    RemoteService service(*remote, "/tmp/fuzz-remote.img");

    std::string_view lines(reinterpret_cast<const char *>(data), size);
    while (!lines.empty()) {
        const std::size_t end = lines.find('\n');
        const std::string_view line = lines.substr(0, end);
        require(wellFormed(service.handle(line)));
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
    }
    return 0;
}
