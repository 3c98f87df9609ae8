#pragma once

#include "ProtocolCodec.h"

// Samsung36: 4500/4500 lead-in, D:8, S:8 LSB first in pulse distance of
// 560 us units, a 560 mark and a 5040 space, then E:4, F:8, ~F:8, a closing
// mark, 108 ms from frame start to frame start; whole frames repeat.
class Samsung36Codec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
