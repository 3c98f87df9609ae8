#pragma once

#include "ProtocolCodec.h"

// Kaseikyo: 3456/1728 lead-in, 48 bits LSB first in pulse distance of 432 us
// units (M:8, N:8 the maker, X:4 its parity, D:4, S:8, F:8, E:4, C:4 the
// checksum), a closing mark and a gap of 173 units; whole frames repeat;
// 37 kHz. Panasonic is the maker M = 2, N = 32 with D:8, S:8, F:8 and
// D ^ S ^ F as the last byte.
class KaseikyoCodec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
