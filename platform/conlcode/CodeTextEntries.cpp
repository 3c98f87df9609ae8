// libConLCode.so's entry points for codes in words, beside ConvertCode. Like
// it they take and return 8-bit NUL-terminated texts; the caller copies the
// result at once and never frees it.
//
//   DescribeKeyCode(record, formatData)   what a key record (44 hex digits,
//       a code learned or downloaded) holds, with the format data of a learned
//       format (hex; empty for a known one), as lines:
//         protocol: NEC1 D=4 F=8          a known protocol and its fields
//         recorder: NEC 4 8               the same as a recorder names it:
//                                         protocol, address, command
//         signal: carrier=38000 9024 ...  what the remote sends, in microseconds
//       The first two only where they apply; empty text when the record holds
//       no code this library reads.
//   SignalOfProtocol(protocol, fields)    the signal of one short press of a
//       protocol's code, fields as "D=4,F=8" or "D=4 F=8":
//       "carrier=38000 9024 4512 ...", or "error: " and the problem.
//   SignalOfRecorderCode(protocol, address, command)   the same for a
//       recorder's parsed code, address and command in decimal.
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>

#include "CodeSignals.h"
#include "SignalFile.h"

namespace
{
const char *answer(std::string text)
{
    thread_local std::string kept;
    kept = std::move(text);
    return kept.c_str();
}

std::string signalText(const CodeSignals::Made &made)
{
    return made.signal ? SignalFile::format(*made.signal) : "error: " + made.error;
}

std::optional<long long> number(const char *text)
{
    const std::string_view digits = text != nullptr ? text : "";
    long long value = 0;
    const auto [end, problem] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || problem != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

// Nothing may cross the C boundary.
template <typename Answer> const char *guarded(Answer make, std::string onFailure)
{
    try {
        return answer(make());
    } catch (...) {
        return answer(std::move(onFailure));
    }
}
}  // namespace

extern "C" __attribute__((visibility("default"))) const char *DescribeKeyCode(const char *record,
                                                                              const char *formatData)
{
    return guarded(
        [&]() -> std::string {
            const auto description = record != nullptr
                                         ? CodeSignals::describe(record, formatData != nullptr ? formatData : "")
                                         : std::nullopt;
            if (!description)
                return {};
            std::string text;
            if (!description->protocol.empty())
                text += "protocol: " + description->protocol + "\n";
            if (const auto &recorder = description->recorder)
                text += "recorder: " + recorder->protocol + " " + std::to_string(recorder->address) + " "
                        + std::to_string(recorder->command) + "\n";
            return text + "signal: " + SignalFile::format(description->signal) + "\n";
        },
        {});
}

extern "C" __attribute__((visibility("default"))) const char *SignalOfProtocol(const char *protocol, const char *fields)
{
    return guarded(
        [&] {
            return signalText(
                CodeSignals::ofProtocol(protocol != nullptr ? protocol : "", fields != nullptr ? fields : ""));
        },
        "error: the code could not be made");
}

extern "C" __attribute__((visibility("default"))) const char *SignalOfRecorderCode(const char *protocol,
                                                                                   const char *address,
                                                                                   const char *command)
{
    return guarded(
        [&] {
            const auto a = number(address);
            const auto c = number(command);
            if (!a || !c)
                return std::string("error: address and command must be whole numbers");
            return signalText(CodeSignals::ofRecorderCode(protocol != nullptr ? protocol : "", *a, *c));
        },
        "error: the code could not be made");
}
