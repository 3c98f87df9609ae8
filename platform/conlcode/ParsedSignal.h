#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ProtocolCodec.h"

// A signal that a recorder decoded, named in the recorder's own words
// (protocol, address, command), and the same signal in IRP terms.
class ParsedSignal
{
public:
    struct Irp
    {
        std::string protocol;
        ProtocolCodec::Fields fields;
    };
    struct Recorder
    {
        std::string protocol;
        long long address = 0;
        long long command = 0;
    };

    // Nothing when the recorder's protocol has no IRP counterpart here or its
    // address or command does not fit it; `why` then says which.
    static std::optional<Irp> irpOf(std::string_view protocol, long long address, long long command, std::string &why);
    // The recorder's words for an IRP code; nothing when a recorder has none
    // that irpOf reads back as the same protocol and fields (a toggle of 1,
    // NECx1 with S other than D, the protocols recorders do not name).
    static std::optional<Recorder> recorderOf(std::string_view protocol, const ProtocolCodec::Fields &fields);
};
