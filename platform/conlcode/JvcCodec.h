#pragma once

#include "ProtocolCodec.h"

// JVC: an 8432/4216 lead-in on the first frame only, D:8, F:8 LSB first in
// pulse distance of 527 us units, a closing mark; 59.08 ms from the first
// frame's start to the next, 46.42 ms between the repeats, which are D, F and
// the mark without the lead-in. A learned signal often misses the lead-in:
// all its frames are repeats (IRP name JVC{2}).
class JvcCodec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
