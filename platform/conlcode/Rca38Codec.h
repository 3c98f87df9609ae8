#pragma once

#include "ProtocolCodec.h"
#include "RcaCodec.h"

// RCA-38: RCA's frames on 38.7 kHz instead of 58 kHz. The timing is RCA's own,
// so only the capture's carrier tells them apart: one nearer to 38.7 kHz than
// to 58 kHz. Without a carrier the signal stays RCA.
class Rca38Codec : public ProtocolCodec
{
public:
    bool owns(std::uint32_t formatId) const override;
    std::optional<KnownCode> decode(const IrSignal &signal) const override;
    std::optional<IrSignal> encode(const KnownCode &code) const override;
    std::string name(const KnownCode &code) const override;
    Fields fields(const KnownCode &code) const override;
    std::optional<KnownCode> make(std::string_view name, const Fields &fields, int repeats) const override;

private:
    RcaCodec m_rca;
};
