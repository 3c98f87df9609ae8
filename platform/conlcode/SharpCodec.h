#pragma once

#include "ProtocolCodec.h"

// Sharp and Denon: no lead-in, D:5, F:8 and two check bits LSB first in pulse
// distance of 264 us units (spaces of 3 or 7 units), a closing mark, 67 ms
// from half start to half start. A press sends the half with F, then pairs
// of the half with ~F and the half with F again; the check bits are 1 and 2
// for Sharp, 0 and 3 for Denon. Either half tells the code: captures that
// start with the ~F half, or hold one kind of half alone (Sharp{1} with F,
// Sharp{2} with ~F; Denon{1}, Denon{2}), are codes too (part A byte 7).
class SharpCodec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;
};
