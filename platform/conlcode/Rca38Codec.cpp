#include "Rca38Codec.h"

namespace
{
constexpr int carrierHz = 38700;
// Halfway between RCA-38's 38.7 kHz and RCA's 58 kHz.
constexpr int highestCarrier = 48000;

std::optional<KnownCode> renamed(std::optional<KnownCode> code, std::uint32_t formatId)
{
    if (code) {
        code->formatId = formatId;
    }
    return code;
}
}  // namespace

bool Rca38Codec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::rca38;
}

std::optional<KnownCode> Rca38Codec::decode(const IrSignal &signal) const
{
    if (signal.carrierHz <= 0 || signal.carrierHz >= highestCarrier) {
        return std::nullopt;
    }
    return renamed(m_rca.decode(signal), KnownFormats::rca38);
}

std::optional<IrSignal> Rca38Codec::encode(const KnownCode &code) const
{
    std::optional<IrSignal> signal =
        owns(code.formatId) ? m_rca.encode(*renamed(code, KnownFormats::rca)) : std::nullopt;
    if (signal) {
        signal->carrierHz = carrierHz;
    }
    return signal;
}

std::string Rca38Codec::name(const KnownCode &) const
{
    return "RCA-38";
}

ProtocolCodec::Fields Rca38Codec::fields(const KnownCode &code) const
{
    return m_rca.fields(code);
}

std::optional<KnownCode> Rca38Codec::make(std::string_view name, const Fields &fields, int repeats) const
{
    return name == "RCA-38" ? renamed(m_rca.make("RCA", fields, repeats), KnownFormats::rca38) : std::nullopt;
}
