#pragma once

#include "ProtocolCodec.h"

// NEC: 9024/4512 lead-in, 32 bits LSB first (D, S, F, ~F) in pulse distance,
// a closing mark, 108 ms from frame start to frame start. Repeats are either
// ditto frames (9024/2256/564) or the whole frame again. S = ~D is NEC1,
// any other S NECx.
class NecCodec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
};
