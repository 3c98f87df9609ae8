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

    // Nothing when the recorder's protocol has no IRP counterpart here or its
    // address or command does not fit it; `why` then says which.
    static std::optional<Irp> irpOf(std::string_view protocol, long long address, long long command, std::string &why);
};
