#include "RequestCommand.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <ostream>
#include <string_view>

#include "HexText.h"
#include "PressCommand.h"
#include "RemoteClient.h"
#include "RemoteRequest.h"

namespace
{
constexpr int exitNotArmed = 1;
constexpr std::string_view detachDuringCapture = "detach-during-capture";

const std::array<std::string_view, 8> requestCommands{"status", "attach", "detach", "identity",
                                                      "press",  "dump",   "reset",  "fault"};

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A command's request line, checked as the server will check it.
struct Prepared
{
    std::string line;
    RemoteRequest request;
};

std::optional<Prepared> prepare(const CommandConsole &console, const std::vector<std::string> &words)
{
    const std::string &command = words[0];
    if (std::find(requestCommands.begin(), requestCommands.end(), command) == requestCommands.end()) {
        console.fail("unknown command " + command + " (see qlr-remote --help)");
        return std::nullopt;
    }
    Prepared prepared;
    if (command == "press") {
        const auto press = PressCommand::requestLine(console, {words.begin() + 1, words.end()});
        if (!press)
            return std::nullopt;
        prepared.line = *press;
    } else if (command == "fault" && words.size() >= 2 && lowered(words[1]) == detachDuringCapture) {
        if (words.size() > 3 || (words.size() == 3 && words[2] != "1")) {
            console.fail("detach-during-capture happens once: its count can only be 1");
            return std::nullopt;
        }
        prepared.line = "fault " + std::string(detachDuringCapture);
    } else {
        for (std::size_t i = 0; i < words.size(); ++i) {
            const bool hexPrefix = command == "dump" && i == 1 && lowered(words[i]).starts_with("0x");
            prepared.line += (i ? " " : "") + words[i].substr(hexPrefix ? 2 : 0);
        }
    }
    // The server would refuse the same; checking here names the mistake even
    // when no server runs.
    std::string error;
    auto request = RemoteRequest::parse(prepared.line, &error);
    if (!request) {
        console.fail(command + ": " + error);
        return std::nullopt;
    }
    prepared.request = std::move(*request);
    return prepared;
}

void printStatus(std::ostream &out, const std::string &data)
{
    // "key=value ..." with the image path last, spaces and all.
    std::string_view rest = data;
    while (!rest.empty()) {
        const auto equals = rest.find('=');
        const std::string_view key = rest.substr(0, equals);
        rest = equals == std::string_view::npos ? std::string_view() : rest.substr(equals + 1);
        const auto space = key == "image" ? std::string_view::npos : rest.find(' ');
        out << key << ' ' << rest.substr(0, space) << '\n';
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    }
    out.flush();
}

bool printDump(std::ostream &out, const RemoteRequest &request, const std::string &data)
{
    constexpr std::size_t lineDigits = 32;
    if (data.size() != 2 * static_cast<std::size_t>(request.count))
        return false;
    unsigned address = request.address;
    for (std::size_t at = 0; at < data.size(); at += lineDigits, address += lineDigits / 2) {
        out << HexText::format(address, 4) << ' ';
        for (std::size_t byte = at; byte < std::min(at + lineDigits, data.size()); byte += 2)
            out << ' ' << data.substr(byte, 2);
        out << '\n';
    }
    out.flush();
    return true;
}
}  // namespace

int RequestCommand::run(const CommandConsole &console, const std::string &socketPath,
                        const std::vector<std::string> &words)
{
    using Op = RemoteRequest::Op;
    const auto prepared = prepare(console, words);
    if (!prepared)
        return CommandConsole::errorStatus;
    const RemoteRequest &request = prepared->request;
    const auto reply = RemoteClient::call(socketPath, prepared->line);
    switch (reply.status) {
    case RemoteClient::Status::Unreachable:
    case RemoteClient::Status::Error:
        return console.fail(reply.data);
    case RemoteClient::Status::Fail:
        if (request.op != Op::Press)
            return console.fail(words[0] + " failed");
        console.err << "qlr-remote: the remote is not waiting for a code; nothing was sent" << std::endl;
        return exitNotArmed;
    case RemoteClient::Status::Ok:
        break;
    }
    if (request.op == Op::Status)
        printStatus(console.out, reply.data);
    if (request.op == Op::Dump && !printDump(console.out, request, reply.data))
        return console.fail("the server's dump makes no sense");
    return 0;
}
