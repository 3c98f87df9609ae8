#include "ServedMemory.h"

#include "HexText.h"
#include "RemoteClient.h"
#include "VirtualRemote.h"

std::optional<std::vector<std::uint8_t>> ServedMemory::dump(const CommandConsole &console,
                                                            const std::string &socketPath, const std::string &command)
{
    const auto reply = RemoteClient::call(socketPath, "dump 0 " + std::to_string(VirtualRemote::memorySize));
    if (reply.status != RemoteClient::Status::Ok) {
        console.fail(reply.status == RemoteClient::Status::Fail ? command + ": the remote's memory cannot be read"
                                                                : reply.data);
        return std::nullopt;
    }
    auto image = HexText::bytes(reply.data);
    if (!image || image->size() != VirtualRemote::memorySize) {
        console.fail("the server's dump makes no sense");
        return std::nullopt;
    }
    return image;
}
