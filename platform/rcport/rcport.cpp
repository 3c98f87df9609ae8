// librcport: the device library, reaching the remote through the virtual
// remote's server. Every call is one request on its own connection, so calls
// from several threads at once need no lock; no server, or one that does not
// answer in time, reads as a detached remote.

#pragma GCC visibility push(default)
#include "rcport.h"
#pragma GCC visibility pop

#include "RemoteClient.h"
#include "SocketPath.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace
{
constexpr std::size_t versionSize = 250;
constexpr std::size_t basicInfoSize = 1024;
constexpr std::size_t captureSize = 10240;
// readdatav20 counts 8-byte units; the remote holds 64 KiB.
constexpr int maxReadCount = 8192;

// A text argument as the protocol carries it: printable, no spaces, bounded.
bool isWord(const char *text)
{
    if (!text)
        return false;
    const std::size_t length = strnlen(text, RemoteClient::maxRequestLength + 1);
    return length <= RemoteClient::maxRequestLength
           && std::all_of(text, text + length, [](char c) { return c > 0x20 && c < 0x7F; });
}

std::optional<std::string> ask(const std::string &request)
{
    auto reply = RemoteClient::call(SocketPath::defaultPath(), request);
    if (reply.status != RemoteClient::Status::Ok)
        return std::nullopt;
    return std::move(reply.data);
}

unsigned char succeeds(const std::string &request)
{
    return ask(request) ? 1 : 0;
}

// A reply into a buffer of `size` bytes, cut to fit. Texts keep room for their
// terminator; a capture may fill the whole buffer, as a full capture does.
unsigned char copyReply(char *buffer, std::size_t size, const std::optional<std::string> &reply, bool terminated)
{
    if (!reply)
        return 0;
    const std::size_t length = std::min(reply->size(), terminated ? size - 1 : size);
    std::memcpy(buffer, reply->data(), length);
    if (length < size)
        buffer[length] = '\0';
    return 1;
}
}  // namespace

unsigned char link_state(void)
{
    return succeeds("link_state");
}

unsigned char ReadVersion(char *buffer)
{
    return buffer ? copyReply(buffer, versionSize, ask("ReadVersion"), true) : 0;
}

unsigned char readdatav20(char *buffer, int count, const char *addrhigh, const char *addrlow, const char *selector)
{
    if (!buffer || count < 1 || count > maxReadCount || !isWord(addrhigh) || !isWord(addrlow) || !isWord(selector))
        return 0;
    const auto hex = ask("readdatav20 " + std::to_string(count) + " " + addrhigh + " " + addrlow + " " + selector);
    const std::size_t length = 16 * static_cast<std::size_t>(count);
    if (!hex || hex->size() < length)
        return 0;
    std::memcpy(buffer, hex->data(), length);
    return 1;
}

unsigned char writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data)
{
    if (!isWord(selector) || !isWord(addrhigh) || !isWord(addrlow) || !isWord(data))
        return 0;
    return succeeds(std::string("writedatav20 ") + selector + " " + addrhigh + " " + addrlow + " " + data);
}

unsigned char WCodeTypeData(const char *data)
{
    return isWord(data) ? succeeds(std::string("WCodeTypeData ") + data) : 0;
}

unsigned char SetCodeCarrierWave(void)
{
    return succeeds("SetCodeCarrierWave");
}

unsigned char RCollectCodeInfo(char *buffer)
{
    return buffer ? copyReply(buffer, captureSize, ask("RCollectCodeInfo"), false) : 0;
}

unsigned char RBasicInfo(char *buffer)
{
    return buffer ? copyReply(buffer, basicInfoSize, ask("RBasicInfo"), true) : 0;
}
