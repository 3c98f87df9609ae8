#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "InfraredSignal.h"
#include "ParsedSignal.h"
#include "ProtocolCodec.h"

// Codes in words and their signals: the signal of a code given as a protocol
// and its fields or as a recorder's parsed code, and what a key record holds
// in those words. qlr-remote's press uses these directly; the tool reaches
// them through the library's entry points (CodeTextEntries.cpp).
class CodeSignals
{
public:
    // The signal, or the one-line problem.
    struct Made
    {
        std::optional<InfraredSignal> signal;
        std::string error;
    };

    // `protocol` an IRP name, `fields` as ProtocolFields reads them ("D=4,F=8").
    static Made ofProtocol(std::string_view protocol, std::string_view fields);
    // A recorder's parsed code: its protocol name, address and command.
    static Made ofRecorderCode(std::string_view protocol, long long address, long long command);
    // The signal of one short press of a code the codecs send.
    static Made ofCode(const std::string &protocol, const ProtocolCodec::Fields &fields);

    struct Description
    {
        std::string protocol;  // "NEC1 D=4 F=8"; empty for a learned format
        std::optional<ParsedSignal::Recorder> recorder;
        InfraredSignal signal;  // what the remote sends for the key
    };
    // A key record (22 bytes as hex text, holding a code learned or downloaded)
    // and, for a learned format, its format data. Nothing when the record holds
    // no code or a code no protocol or format here reads.
    static std::optional<Description> describe(std::string_view recordHex, std::string_view formatDataHex);
};
