#pragma once

#include <cstdint>
#include <optional>

#include "IrSignal.h"
#include "KnownCode.h"

// One protocol the remote knows: recognises its signals and sends its codes.
class ProtocolCodec
{
public:
    virtual ~ProtocolCodec() = default;

    virtual bool owns(std::uint32_t formatId) const = 0;
    // The code when every frame of `signal` belongs to this protocol.
    virtual std::optional<KnownCode> decode(const IrSignal &signal) const = 0;
    // The signal of `code`; nothing when its fields are not valid for the protocol.
    virtual std::optional<IrSignal> encode(const KnownCode &code) const = 0;
};
