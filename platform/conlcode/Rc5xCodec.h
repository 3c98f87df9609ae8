#pragma once

#include "ProtocolCodec.h"

// RC5x: RC5's biphase of 889 us half-bits (0 = mark then space, 1 = space
// then mark), MSB first: a start bit 1, the inverted bit 6 of S, the toggle T,
// D:5, a space of four half-bits, S:6, F:6; 36 kHz; 114 ms from frame start
// to frame start, repeats identical.
class Rc5xCodec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
