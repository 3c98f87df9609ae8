#pragma once

#include "ProtocolCodec.h"

// NEC42: NEC's 9024/4512 lead-in and 564 us pulse distance with 42 bits LSB
// first (D:13, ~D:13, F:8, ~F:8), a closing mark and a gap of 78 units; ditto
// repeats (9024/2256/564) 173 units apart. D lies in bytes 0 and 1 of part A.
class Nec42Codec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
