#include "KnownProtocols.h"

#include <array>

#include "NecCodec.h"
#include "Rc5Codec.h"

namespace
{
const NecCodec nec;
const Rc5Codec rc5;
const std::array<const ProtocolCodec *, 2> codecs{&nec, &rc5};
}  // namespace

std::optional<KnownCode> KnownProtocols::decode(const IrSignal &signal)
{
    for (const ProtocolCodec *codec : codecs) {
        if (std::optional<KnownCode> code = codec->decode(signal)) {
            return code;
        }
    }
    return std::nullopt;
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
