#include "RemoteRequest.h"

#include "SignalFile.h"

#include <array>
#include <charconv>

namespace
{
using Op = RemoteRequest::Op;
using Operation = VirtualRemote::Operation;

// Argument kinds: c readdatav20 count, b a byte as two hex digits, h hex data,
// i identity, a hex address, n dump byte count, f fault, s signal (rest of line).
struct Form
{
    std::string_view name;
    Op op;
    std::string_view arguments;
};

constexpr std::array forms{
    Form{"link_state", Op::LinkState, ""},
    Form{"ReadVersion", Op::ReadVersion, ""},
    Form{"readdatav20", Op::ReadData, "cbbb"},
    Form{"writedatav20", Op::WriteData, "bbbh"},
    Form{"WCodeTypeData", Op::WriteCodeTypeData, "h"},
    Form{"SetCodeCarrierWave", Op::SetCodeCarrierWave, ""},
    Form{"RCollectCodeInfo", Op::CollectCodeInfo, ""},
    Form{"RBasicInfo", Op::BasicInfo, ""},
    Form{"status", Op::Status, ""},
    Form{"attach", Op::Attach, ""},
    Form{"detach", Op::Detach, ""},
    Form{"identity", Op::Identity, "i"},
    Form{"press", Op::Press, "s"},
    Form{"dump", Op::Dump, "an"},
    Form{"reset", Op::Reset, ""},
    Form{"fault", Op::Fault, "f"},
};

constexpr std::array<Operation, 8> deviceOperations{
    Operation::LinkState,         Operation::ReadVersion,        Operation::ReadData,        Operation::WriteData,
    Operation::WriteCodeTypeData, Operation::SetCodeCarrierWave, Operation::CollectCodeInfo, Operation::BasicInfo};

constexpr int memorySize = static_cast<int>(VirtualRemote::memorySize);
constexpr std::string_view detachDuringCapture = "detach-during-capture";

bool sameLetters(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool isHex(std::string_view text)
{
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// A decimal or hex number of at most `digits` digits within [low, high].
bool number(std::string_view text, int low, int high, int &value, int base = 10, std::size_t digits = 7)
{
    if (text.empty() || text.size() > digits || (base == 16 && !isHex(text)))
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

std::vector<std::string_view> splitArguments(std::string_view rest)
{
    std::vector<std::string_view> words;
    for (;;) {
        const auto space = rest.find(' ');
        words.push_back(rest.substr(0, space));
        if (space == std::string_view::npos)
            return words;
        rest.remove_prefix(space + 1);
    }
}

class Parser
{
public:
    Parser(RemoteRequest &request, std::string *error)
        : m_request(request)
        , m_error(*error)
    { }

    bool argument(char kind, std::string_view word)
    {
        switch (kind) {
        case 'c':
            return number(word, 1, RemoteRequest::maxReadCount, m_request.count)
                   || refuse("count must be 1 to " + std::to_string(RemoteRequest::maxReadCount));
        case 'b':
            return text(word.size() == 2 && isHex(word), word, "an address byte or selector is 2 hex digits");
        case 'h':
            return text(word.size() % 2 == 0 && isHex(word), word, "data must be hex digits, 2 per byte");
        case 'i':
            if (word == "original" || word == "other") {
                m_request.identity =
                    word == "other" ? VirtualRemote::Identity::Other : VirtualRemote::Identity::Original;
                return true;
            }
            return refuse("identity is original or other");
        case 'a': {
            int address = 0;
            if (!number(word, 0, 0xFFFF, address, 16, 4))
                return refuse("address must be 1 to 4 hex digits");
            m_request.address = static_cast<std::uint16_t>(address);
            return true;
        }
        case 'n':
            if (!number(word, 1, memorySize, m_request.count))
                return refuse("count must be 1 to " + std::to_string(memorySize));
            return m_request.address + m_request.count <= memorySize || refuse("the range runs past the end of memory");
        }
        return false;
    }

    bool fault(const std::vector<std::string_view> &words)
    {
        if (words.empty() || words.size() > 2)
            return refuse("fault takes an operation and a count");
        if (words.size() == 1 && sameLetters(words[0], detachDuringCapture)) {
            m_request.detachDuringCapture = true;
            return true;
        }
        const auto operation = RemoteRequest::operationNamed(words[0]);
        if (!operation)
            return refuse("no such operation to fault: " + std::string(words[0].substr(0, 40)));
        m_request.fault = *operation;
        if (words.size() != 2)
            return refuse("fault takes an operation and a count");
        return number(words[1], 0, RemoteRequest::maxFaultCount, m_request.count)
               || refuse("fault count must be 0 to " + std::to_string(RemoteRequest::maxFaultCount));
    }

    bool refuse(std::string message)
    {
        m_error = std::move(message);
        return false;
    }

private:
    bool text(bool valid, std::string_view word, const char *rule)
    {
        if (!valid)
            return refuse(rule);
        m_request.texts.emplace_back(word);
        return true;
    }

    RemoteRequest &m_request;
    std::string &m_error;
};
}  // namespace

std::optional<VirtualRemote::Operation> RemoteRequest::operationNamed(std::string_view name)
{
    for (std::size_t i = 0; i < deviceOperations.size(); ++i) {
        if (sameLetters(name, forms[i].name))
            return deviceOperations[i];
    }
    return std::nullopt;
}

std::optional<RemoteRequest> RemoteRequest::parse(std::string_view line, std::string *error)
{
    if (line.size() > maxLineLength) {
        *error = "request too long";
        return std::nullopt;
    }
    for (const char c : line) {
        if (c < 0x20 || c > 0x7E) {
            *error = "requests are printable ASCII";
            return std::nullopt;
        }
    }
    const auto space = line.find(' ');
    const std::string_view name = line.substr(0, space);
    const bool bare = space == std::string_view::npos;
    const std::string_view rest = bare ? std::string_view() : line.substr(space + 1);
    const Form *form = nullptr;
    for (const Form &candidate : forms) {
        if (candidate.name == name)
            form = &candidate;
    }
    if (!form) {
        *error = "unknown operation: " + std::string(name.substr(0, 40));
        return std::nullopt;
    }
    RemoteRequest request;
    request.op = form->op;
    Parser parser(request, error);
    if (form->arguments == "s") {
        if (!SignalFile::parseDurations(rest, request.signal, error))
            return std::nullopt;
        return request;
    }
    const auto words = bare ? std::vector<std::string_view>() : splitArguments(rest);
    if (form->arguments == "f") {
        if (!parser.fault(words))
            return std::nullopt;
        return request;
    }
    if (words.size() != form->arguments.size()) {
        *error = std::string(form->name) + " takes " + std::to_string(form->arguments.size()) + " argument"
                 + (form->arguments.size() == 1 ? "" : "s");
        return std::nullopt;
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (!parser.argument(form->arguments[i], words[i]))
            return std::nullopt;
    }
    return request;
}
