#pragma once

#include "ProtocolCodec.h"

// The NEC family: a lead-in, 32 bits LSB first (D, S, F, E) in pulse
// distance of 564 us units, a closing mark, 108 ms from frame start to frame
// start. A 9024/4512 lead-in is NEC1 (ditto repeats 9024/2256/564) or NEC2
// (whole frames again); 4512/4512 is NECx1 (repeat frames of one bit, ~D bit
// 0) or NECx2. E = ~F but in the 16-bit-command forms (-f16). Pioneer is NEC2
// on 40 kHz: told by the carrier, or by its device numbers 160 to 175 when
// the capture gave no carrier.
class NecCodec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
