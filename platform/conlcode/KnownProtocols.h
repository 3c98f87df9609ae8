#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "IrSignal.h"
#include "KnownCode.h"
#include "ProtocolCodec.h"

// The protocols of KnownFormats.h, one codec each.
class KnownProtocols
{
public:
    // The first protocol that recognises the whole signal and whose timing,
    // with the remote's own stretches, copies it faithfully.
    static std::optional<KnownCode> decode(const IrSignal &signal);
    // The signal of a code, with its stretches.
    static std::optional<IrSignal> encode(const KnownCode &code);
    // The codec of a known format id; null when no protocol owns it.
    static const ProtocolCodec *codecFor(std::uint32_t formatId);
    // The code of IRP protocol `name`; nothing when no codec sends it.
    static std::optional<KnownCode> make(std::string_view name, const ProtocolCodec::Fields &fields, int repeats);
};
