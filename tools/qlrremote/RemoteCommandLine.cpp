#include "RemoteCommandLine.h"

#include "CommandHelp.h"
#include "HexText.h"
#include "MemoryCheck.h"
#include "PressInput.h"
#include "RemoteClient.h"
#include "RemoteRequest.h"
#include "RemoteServer.h"
#include "RemoteService.h"
#include "RemoteTransmitter.h"
#include "RoundTrip.h"
#include "SignalFile.h"
#include "SocketPath.h"
#include "VirtualRemote.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include <pwd.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace
{
constexpr int exitError = 2;
constexpr int exitNotArmed = 1;
constexpr int exitNothingSent = 1;
constexpr std::size_t maxSignalFileSize = 1 << 20;
constexpr std::string_view detachDuringCapture = "detach-during-capture";

const std::array<std::string_view, 8> controlCommands{"status", "attach", "detach", "identity",
                                                      "press",  "dump",   "reset",  "fault"};

std::string homeDirectory()
{
    const char *home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    const passwd *entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "/";
}

std::string absolute(const std::string &path)
{
    if (path.empty() || path[0] == '/')
        return path;
    char here[4096];
    return getcwd(here, sizeof here) ? std::string(here) + "/" + path : path;
}

// Two digits 0 to 7: a key's row and column on the remote.
bool isKeyCode(const std::string &text)
{
    const auto digit = [](char c) { return c >= '0' && c <= '7'; };
    return text.size() == 2 && std::all_of(text.begin(), text.end(), digit);
}

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// SIGINT and SIGTERM, blocked in every thread and read from a descriptor, end
// the server's loop like any other stop request.
int stopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signalfd(-1, &signals, SFD_CLOEXEC);
}
}  // namespace

RemoteCommandLine::RemoteCommandLine(std::istream &in, std::ostream &out, std::ostream &err)
    : m_in(in)
    , m_out(out)
    , m_err(err)
{ }

std::string RemoteCommandLine::defaultImagePath()
{
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    const std::string base = dataHome && dataHome[0] == '/' ? dataHome : homeDirectory() + "/.local/share";
    return base + "/qlr-remote/remote.img";
}

int RemoteCommandLine::fail(const std::string &message)
{
    m_err << "qlr-remote: " << message << std::endl;
    return exitError;
}

int RemoteCommandLine::run(const std::vector<std::string> &arguments)
{
    std::string socketPath;
    std::string imagePath;
    std::vector<std::string> words;
    // Press's options and their values, kept apart so that they may stand anywhere.
    std::vector<std::string> pressOptions;
    bool helpWanted = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            helpWanted = true;
            continue;
        }
        const std::string name = argument.substr(0, argument.find('='));
        std::string *value = name == "--socket" ? &socketPath : name == "--image" ? &imagePath : nullptr;
        if (value || PressInput::takesOption(name)) {
            const std::string given = argument.size() > name.size() ? argument.substr(name.size() + 1)
                                      : i + 1 < arguments.size()    ? arguments[++i]
                                                                    : std::string();
            if (given.empty())
                return fail(name + " needs a value");
            if (value)
                *value = given;
            else
                pressOptions.insert(pressOptions.end(), {name, given});
        } else if (argument.starts_with("--")) {
            return fail("unknown option " + argument + " (see qlr-remote --help)");
        } else {
            words.push_back(argument);
        }
    }
    if (helpWanted || (!words.empty() && words[0] == "help"))
        return help(words, helpWanted);
    if (words.empty())
        return fail("no command given (see qlr-remote --help)");
    if (!pressOptions.empty() && words[0] != "press")
        return fail(pressOptions[0] + " belongs to press");
    words.insert(words.end(), pressOptions.begin(), pressOptions.end());
    if (words[0] == "roundtrip")
        return roundtrip({words.begin() + 1, words.end()});
    if (words[0] == "original")
        return words.size() == 1 ? original(socketPath) : fail("original takes no arguments besides --socket");
    if (socketPath.empty())
        socketPath = SocketPath::defaultPath();
    if (words[0] == "serve") {
        if (words.size() > 1)
            return fail("serve takes no arguments besides --socket and --image");
        return serve(socketPath, imagePath);
    }
    if (!imagePath.empty())
        return fail("--image belongs to serve");
    if (words[0] == "check")
        return words.size() == 1 ? check(socketPath) : fail("check takes no arguments");
    if (words[0] == "send")
        return words.size() == 3 ? send(socketPath, words[1], words[2])
                                 : fail("send takes a device mode and a key code");
    return request(socketPath, words);
}

int RemoteCommandLine::help(const std::vector<std::string> &words, bool optionGiven)
{
    // `COMMAND ... --help` is about COMMAND, `help` itself too; `help COMMAND` about COMMAND.
    const bool helpCommand = !optionGiven && !words.empty();
    if (helpCommand && words.size() > 2)
        return fail("help takes one command");
    const std::size_t topic = helpCommand ? 1 : 0;
    if (words.size() <= topic) {
        m_out << CommandHelp::overview() << std::flush;
        return 0;
    }
    const auto page = CommandHelp::of(words[topic]);
    if (!page)
        return fail("unknown command " + words[topic] + " (see qlr-remote --help)");
    m_out << *page << std::flush;
    return 0;
}

int RemoteCommandLine::original(const std::string &socketOption)
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return fail("original: cannot find this program's directory: " + error.message());
    const std::string program = (self.parent_path() / "qlr-original").string();
    std::vector<std::string> arguments{program};
    if (!socketOption.empty())
        arguments.insert(arguments.end(), {"--socket", socketOption});
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    m_out.flush();
    execv(program.c_str(), argv.data());
    return fail("original: cannot start " + program + ": " + std::strerror(errno)
                + (errno == ENOENT ? " (qlr-original is installed beside qlr-remote)" : ""));
}

int RemoteCommandLine::serve(const std::string &socketPath, std::string imagePath)
{
    std::string error;
    if (imagePath.empty()) {
        imagePath = defaultImagePath();
        if (!SocketPath::preparePrivateDirectory(SocketPath::directoryOf(imagePath), &error))
            return fail(error);
    }
    imagePath = absolute(imagePath);
    const int signals = stopSignals();
    if (signals < 0)
        return fail(std::string("cannot watch for signals: ") + std::strerror(errno));
    VirtualRemote::Options options;
    options.imagePath = imagePath;
    const auto remote = VirtualRemote::open(options, &error);
    if (!remote) {
        close(signals);
        return fail(error);
    }
    RemoteService service(*remote, imagePath);
    RemoteServer::Options serverOptions;
    serverOptions.socketPath = socketPath;
    serverOptions.allowedUid = geteuid();
    RemoteServer server(service, serverOptions);
    if (!server.listen(&error)) {
        close(signals);
        return fail(error);
    }
    m_out << "qlr-remote: serving " << socketPath << " (image " << imagePath << ")" << std::endl;
    server.run(signals);
    close(signals);
    return 0;
}

std::optional<std::string> RemoteCommandLine::readFile(const std::string &file)
{
    std::ifstream stream;
    if (file != "-") {
        std::error_code ignored;
        if (std::filesystem::is_directory(file, ignored)) {
            fail("cannot read " + file + ": it is a directory");
            return std::nullopt;
        }
        stream.open(file, std::ios::binary);
        if (!stream) {
            fail("cannot read " + file + ": " + std::strerror(errno));
            return std::nullopt;
        }
    }
    std::istream &input = file == "-" ? m_in : stream;
    std::string text;
    char chunk[65536];
    while (text.size() <= maxSignalFileSize && input.read(chunk, sizeof chunk).gcount() > 0)
        text.append(chunk, static_cast<std::size_t>(input.gcount()));
    if (input.bad()) {
        fail("cannot read " + file);
        return std::nullopt;
    }
    if (text.size() > maxSignalFileSize) {
        fail(file + " is too large for a signal (at most 1 MiB)");
        return std::nullopt;
    }
    return text;
}

std::optional<std::string> RemoteCommandLine::pressLine(const std::vector<std::string> &words)
{
    std::string error;
    const auto choice = PressInput::choose(words, &error);
    if (!choice) {
        fail(error);
        return std::nullopt;
    }
    std::optional<std::string> text;
    if (choice->fromFile() && !(text = readFile(choice->file)))
        return std::nullopt;
    const PressInput::Outcome outcome = PressInput::signalOf(*choice, text.value_or(std::string()));
    if (!outcome.signal) {
        m_out << outcome.listing << std::flush;
        fail(outcome.error);
        return std::nullopt;
    }
    return "press " + SignalFile::format(*outcome.signal);
}

std::optional<RemoteCommandLine::Prepared> RemoteCommandLine::prepare(const std::vector<std::string> &words)
{
    const std::string &command = words[0];
    if (std::find(controlCommands.begin(), controlCommands.end(), command) == controlCommands.end()) {
        fail("unknown command " + command + " (see qlr-remote --help)");
        return std::nullopt;
    }
    Prepared prepared;
    if (command == "press") {
        const auto press = pressLine({words.begin() + 1, words.end()});
        if (!press)
            return std::nullopt;
        prepared.line = *press;
    } else if (command == "fault" && words.size() >= 2 && lowered(words[1]) == detachDuringCapture) {
        if (words.size() > 3 || (words.size() == 3 && words[2] != "1")) {
            fail("detach-during-capture happens once: its count can only be 1");
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
        fail(command + ": " + error);
        return std::nullopt;
    }
    prepared.request = std::move(*request);
    return prepared;
}

int RemoteCommandLine::request(const std::string &socketPath, const std::vector<std::string> &words)
{
    using Op = RemoteRequest::Op;
    const auto prepared = prepare(words);
    if (!prepared)
        return exitError;
    const RemoteRequest &request = prepared->request;
    const auto reply = RemoteClient::call(socketPath, prepared->line);
    switch (reply.status) {
    case RemoteClient::Status::Unreachable:
    case RemoteClient::Status::Error:
        return fail(reply.data);
    case RemoteClient::Status::Fail:
        if (request.op != Op::Press)
            return fail(words[0] + " failed");
        m_err << "qlr-remote: the remote is not waiting for a code; nothing was sent" << std::endl;
        return exitNotArmed;
    case RemoteClient::Status::Ok:
        break;
    }
    if (request.op == Op::Status)
        printStatus(reply.data);
    if (request.op == Op::Dump && !printDump(request, reply.data))
        return fail("the server's dump makes no sense");
    return 0;
}

std::optional<std::vector<std::uint8_t>> RemoteCommandLine::dumpMemory(const std::string &socketPath,
                                                                       const std::string &command)
{
    const auto reply = RemoteClient::call(socketPath, "dump 0 " + std::to_string(VirtualRemote::memorySize));
    if (reply.status != RemoteClient::Status::Ok) {
        fail(reply.status == RemoteClient::Status::Fail ? command + ": the remote's memory cannot be read"
                                                        : reply.data);
        return std::nullopt;
    }
    auto image = HexText::bytes(reply.data);
    if (!image || image->size() != VirtualRemote::memorySize) {
        fail("the server's dump makes no sense");
        return std::nullopt;
    }
    return image;
}

int RemoteCommandLine::check(const std::string &socketPath)
{
    const auto image = dumpMemory(socketPath, "check");
    return image ? runMemoryCheck(*image, m_out) : exitError;
}

int RemoteCommandLine::send(const std::string &socketPath, const std::string &mode, const std::string &keycode)
{
    const auto modeNumber = RemoteTransmitter::modeNamed(mode);
    if (!modeNumber)
        return fail("send: no device mode " + mode + " (TV CBL SAT DVD VCR CD AMP AUX or 0 to 7)");
    if (!isKeyCode(keycode))
        return fail("send: no key code " + keycode + " (two digits 0 to 7, such as 45)");
    const auto image = dumpMemory(socketPath, "send");
    if (!image)
        return exitError;
    const RemoteTransmitter::Result sent = RemoteTransmitter::send(*image, *modeNumber, keycode);
    if (!sent.sent()) {
        m_err << "qlr-remote: " << sent.reason << std::endl;
        return exitNothingSent;
    }
    m_out << RemoteTransmitter::signalText(sent.signal) << std::flush;
    return 0;
}

void RemoteCommandLine::printStatus(const std::string &data)
{
    // "key=value ..." with the image path last, spaces and all.
    std::string_view rest = data;
    while (!rest.empty()) {
        const auto equals = rest.find('=');
        const std::string_view key = rest.substr(0, equals);
        rest = equals == std::string_view::npos ? std::string_view() : rest.substr(equals + 1);
        const auto space = key == "image" ? std::string_view::npos : rest.find(' ');
        m_out << key << ' ' << rest.substr(0, space) << '\n';
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    }
    m_out.flush();
}

bool RemoteCommandLine::printDump(const RemoteRequest &request, const std::string &data)
{
    constexpr std::size_t lineDigits = 32;
    if (data.size() != 2 * static_cast<std::size_t>(request.count))
        return false;
    unsigned address = request.address;
    for (std::size_t at = 0; at < data.size(); at += lineDigits, address += lineDigits / 2) {
        m_out << HexText::format(address, 4) << ' ';
        for (std::size_t byte = at; byte < std::min(at + lineDigits, data.size()); byte += 2)
            m_out << ' ' << data.substr(byte, 2);
        m_out << '\n';
    }
    m_out.flush();
    return true;
}

int RemoteCommandLine::roundtrip(const std::vector<std::string> &files)
{
    RoundTrip::Totals totals;
    const auto runLines = [&](std::istream &in) {
        std::string line;
        while (std::getline(in, line)) {
            if (line.find_first_not_of(" \t\r") != std::string::npos)
                m_out << RoundTrip::run(line, totals) << '\n';
        }
    };
    if (files.empty())
        runLines(m_in);
    for (const std::string &file : files) {
        std::ifstream in(file);
        if (!in)
            return fail("roundtrip: cannot read " + file);
        runLines(in);
    }
    m_out.flush();
    m_err << RoundTrip::summary(totals) << std::endl;
    return 0;
}
