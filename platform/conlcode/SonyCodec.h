#pragma once

#include "ProtocolCodec.h"

// Sony12, Sony15, Sony20: 2400/600 lead-in, F:7 then D (and S in Sony20) LSB
// first in pulse width (600 or 1200 us marks, 600 us spaces), the last bit's
// space running into the silence, 45 ms from frame start to frame start,
// 40 kHz; whole frames repeat.
class SonyCodec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
