#pragma once

#include "ProtocolCodec.h"

// RC6 mode 0: a 2664/888 lead-in, then biphase of 444 us half-bits (1 = mark
// then space, 0 = space then mark), MSB first: a start bit 1, the mode 000,
// the toggle T at double width, D:8, F:8; 36 kHz; 107 ms from frame start to
// frame start, repeats identical.
class Rc6Codec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
