#pragma once

#include "ProtocolCodec.h"

// MCE, RC6 mode 6 with 32 data bits (IRP alias RC6-6-32): RC6's 2664/888
// lead-in and biphase of 444 us half-bits, MSB first: a start bit 1, the mode
// 110, a double-width trailer bit that stays 0, then OEM1 = 128:8, S:8, T:1,
// D:7, F:8. The toggle sits in the data, not in the trailer. 36 kHz; 107 ms
// from frame start to frame start, repeats identical.
class Rc6MceCodec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
