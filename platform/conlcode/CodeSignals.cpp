#include "CodeSignals.h"

#include <array>

#include "FormatCodec.h"
#include "HexText.h"
#include "KnownProtocols.h"
#include "ProtocolFields.h"

namespace
{
// A short press: the first frame and one repeat, as a remote sends while the
// key is down for a moment.
constexpr int repeatsOfAPress = 1;

constexpr std::size_t recordBytes = 22;
// Byte 0: bit 7 set and bit 5 clear holds a code; the codec reads records as
// learning writes them, and a downloaded code sends the same way.
constexpr std::uint8_t holdsCodeBits = 0xA0;
constexpr std::uint8_t holdsCode = 0x80;
constexpr std::uint8_t storedCode = 0xC0;

CodeSignals::Made failed(std::string why)
{
    return {std::nullopt, std::move(why)};
}

InfraredSignal flat(const IrSignal &signal)
{
    const std::vector<int> durations = signal.flatDurations();
    return {signal.carrierHz, {durations.begin(), durations.end()}};
}
}  // namespace

CodeSignals::Made CodeSignals::ofProtocol(std::string_view protocol, std::string_view fields)
{
    std::string error;
    const auto code = ProtocolFields::parse(protocol, fields, &error);
    return code ? ofCode(code->protocol, code->fields) : failed(error);
}

CodeSignals::Made CodeSignals::ofRecorderCode(std::string_view protocol, long long address, long long command)
{
    std::string why;
    const auto irp = ParsedSignal::irpOf(protocol, address, command, why);
    return irp ? ofCode(irp->protocol, irp->fields) : failed(why);
}

CodeSignals::Made CodeSignals::ofCode(const std::string &protocol, const ProtocolCodec::Fields &fields)
{
    const std::optional<KnownCode> code = KnownProtocols::make(protocol, fields, repeatsOfAPress);
    const std::optional<IrSignal> signal = code ? KnownProtocols::encode(*code) : std::nullopt;
    if (!signal) {
        std::string given;
        for (const auto &[name, value] : fields)
            given += (given.empty() ? "" : ",") + name + "=" + std::to_string(value);
        return failed(protocol + " cannot send " + given);
    }
    return {flat(*signal), {}};
}

std::optional<CodeSignals::Description> CodeSignals::describe(std::string_view recordHex,
                                                              std::string_view formatDataHex)
{
    std::optional<std::vector<std::uint8_t>> record = HexText::bytes(recordHex);
    if (!record || record->size() != recordBytes || ((*record)[0] & holdsCodeBits) != holdsCode)
        return std::nullopt;
    (*record)[0] = storedCode;
    const std::string stored = HexText::formatBytes(record->data(), record->size());
    const std::optional<IrSignal> signal = FormatCodec::regenerate(stored, formatDataHex);
    if (!signal)
        return std::nullopt;
    Description description{{}, std::nullopt, flat(*signal)};
    if (const std::optional<KnownCode> code = FormatCodec::knownCode(stored)) {
        const ProtocolCodec *codec = KnownProtocols::codecFor(code->formatId);
        const std::string name = codec->name(*code);
        const ProtocolCodec::Fields fields = codec->fields(*code);
        description.protocol = ProtocolFields::format(name, fields);
        description.recorder = ParsedSignal::recorderOf(name, fields);
    }
    return description;
}
