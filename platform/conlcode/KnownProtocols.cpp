#include "KnownProtocols.h"

#include <array>

#include "KaseikyoCodec.h"
#include "NecCodec.h"
#include "RcaCodec.h"
#include "Rc5Codec.h"
#include "Rc6Codec.h"
#include "SonyCodec.h"
#include "TimingFit.h"

namespace
{
const NecCodec nec;
const Rc5Codec rc5;
const Rc6Codec rc6;
const SonyCodec sony;
const KaseikyoCodec kaseikyo;
const RcaCodec rca;
const std::array<const ProtocolCodec *, 6> codecs{&nec, &rc5, &rc6, &sony, &kaseikyo, &rca};
}  // namespace

std::optional<KnownCode> KnownProtocols::decode(const IrSignal &signal)
{
    for (const ProtocolCodec *codec : codecs) {
        std::optional<KnownCode> code = codec->decode(signal);
        const std::optional<IrSignal> nominal = code ? codec->encode(*code) : std::nullopt;
        const std::optional<TimingFit::Timing> timing = nominal ? TimingFit::fit(*nominal, signal) : std::nullopt;
        if (timing) {
            code->timing = *timing;
            return code;
        }
    }
    return std::nullopt;
}

std::optional<IrSignal> KnownProtocols::encode(const KnownCode &code)
{
    const ProtocolCodec *codec = codecFor(code.formatId);
    const std::optional<IrSignal> nominal = codec ? codec->encode(code) : std::nullopt;
    if (!nominal) {
        return std::nullopt;
    }
    return TimingFit::apply(*nominal, code.timing);
}

const ProtocolCodec *KnownProtocols::codecFor(std::uint32_t formatId)
{
    for (const ProtocolCodec *codec : codecs) {
        if (codec->owns(formatId)) {
            return codec;
        }
    }
    return nullptr;
}

std::optional<KnownCode> KnownProtocols::make(std::string_view name, const ProtocolCodec::Fields &fields, int repeats)
{
    for (const ProtocolCodec *codec : codecs) {
        if (std::optional<KnownCode> code = codec->make(name, fields, repeats)) {
            return code;
        }
    }
    return std::nullopt;
}
