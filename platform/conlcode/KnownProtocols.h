#pragma once

#include <cstdint>
#include <optional>

#include "IrSignal.h"
#include "KnownCode.h"
#include "ProtocolCodec.h"

// The protocols of KnownFormats.h, one codec each.
class KnownProtocols
{
public:
    // The first protocol that recognises the whole signal.
    static std::optional<KnownCode> decode(const IrSignal &signal);
    // The codec of a known format id; null when no protocol owns it.
    static const ProtocolCodec *codecFor(std::uint32_t formatId);
};
