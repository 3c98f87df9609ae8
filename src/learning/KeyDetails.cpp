#include "KeyDetails.h"

#include <charconv>
#include <cmath>
#include <sstream>

#include "ConverterLibrary.h"
#include "SignalFile.h"
#include "StoredKeyCode.h"

namespace
{
std::string_view valueOf(std::string_view line, std::string_view key)
{
    return line.starts_with(key) ? line.substr(key.size()) : std::string_view();
}

std::optional<KeyDetails::Recorder> recorderOf(std::string_view text)
{
    std::istringstream words{std::string(text)};
    KeyDetails::Recorder recorder;
    if (!(words >> recorder.protocol >> recorder.address >> recorder.command) || !(words >> std::ws).eof())
        return std::nullopt;
    return recorder;
}

std::string carrierOf(const InfraredSignal &signal)
{
    if (signal.carrierHz == 0)
        return "no carrier";
    const double kHz = signal.carrierHz / 1000.0;
    char text[16];
    const auto end = std::to_chars(text, text + sizeof text, std::round(kHz * 10) / 10).ptr;
    return std::string(text, end) + " kHz";
}
}  // namespace

std::optional<KeyDetails> KeyDetails::read(RemoteDevice &device, const RemoteTables &tables, ConverterLibrary &library,
                                           int index, std::string *why)
{
    const StoredKeyCode stored = StoredKeyCode::read(device, tables, index);
    if (stored.problem != StoredKeyCode::Problem::None) {
        *why = stored.why();
        return std::nullopt;
    }
    const Conversion described = library.describeKeyCode(stored.record, stored.formatdata);
    if (described.status != Conversion::Status::Converted) {
        *why = described.error;
        return std::nullopt;
    }
    std::optional<KeyDetails> details = parse(described.text);
    if (!details) {
        *why = "the conversion library cannot read its code";
        return std::nullopt;
    }
    details->learned = stored.learned;
    details->slot = stored.slot;
    details->blocks = stored.blocks();
    return details;
}

std::optional<KeyDetails> KeyDetails::parse(std::string_view description)
{
    KeyDetails details;
    bool signal = false;
    std::string_view rest = description;
    while (!rest.empty()) {
        const std::size_t newline = std::min(rest.find('\n'), rest.size());
        const std::string_view line = rest.substr(0, newline);
        rest.remove_prefix(std::min(newline + 1, rest.size()));
        if (const auto protocol = valueOf(line, "protocol: "); !protocol.empty()) {
            details.protocol = std::string(protocol);
        } else if (const auto recorder = valueOf(line, "recorder: "); !recorder.empty()) {
            details.recorder = recorderOf(recorder);
            if (!details.recorder)
                return std::nullopt;
        } else if (const auto durations = valueOf(line, "signal: "); !durations.empty()) {
            std::string error;
            signal = SignalFile::parseDurations(durations, details.signal, &error);
            if (!signal)
                return std::nullopt;
        }
    }
    return signal ? std::optional<KeyDetails>(std::move(details)) : std::nullopt;
}

std::string KeyDetails::holds() const
{
    if (!protocol.empty())
        return protocol;
    return "learned format, slot " + std::to_string(slot) + ", " + std::to_string(blocks)
           + (blocks == 1 ? " block, " : " blocks, ") + carrierOf(signal);
}

IrFile::Button KeyDetails::button(const std::string &name) const
{
    IrFile::Button button;
    button.name = name;
    button.raw = !recorder;
    if (recorder) {
        button.protocol = recorder->protocol;
        button.address = recorder->address;
        button.command = recorder->command;
    } else {
        button.signal = signal;
    }
    return button;
}
