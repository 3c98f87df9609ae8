#pragma once

#include "ProtocolCodec.h"

// Mitsubishi: no lead-in, D:8, F:8 LSB first in pulse distance of 300 us
// units (spaces of 3 or 7 units), a closing mark and a gap of 80 units;
// whole frames repeat; 32.6 kHz.
class MitsubishiCodec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
