#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "OriginalKeys.h"
#include "ProtocolCodec.h"

// A real device whose remote the window imitates: the protocol its remote
// speaks, the fields that name the device, and each key's function code F.
struct OriginalDevice
{
    std::string name;
    std::string protocol;          // IRP name, as KnownProtocols::make takes it
    ProtocolCodec::Fields fields;  // all but F (and what the protocol derives from F)
    std::vector<std::pair<OriginalKey, int>> functions;

    std::optional<int> function(OriginalKey key) const;
};

class OriginalDevices
{
public:
    static const std::vector<OriginalDevice> &all();
};
