#pragma once

#include "ProtocolCodec.h"

// RCA: 3680/3680 lead-in, D:4, F:8, ~D:4, ~F:8 MSB first in pulse distance of
// 460 us units (spaces of 2 or 4 units), a closing mark and a gap of 16 units;
// whole frames repeat. RCA goes on 58 kHz and RCA-38 on 38.7 kHz with the same
// timing: without the carrier in the capture both are RCA.
class RcaCodec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
