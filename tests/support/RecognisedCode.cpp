#include "RecognisedCode.h"

#include <QByteArray>

#include <algorithm>

#include "KnownProtocols.h"

std::pair<std::string, ProtocolCodec::Fields> RecognisedCode::of(const ConverterResult &result)
{
    std::array<std::uint8_t, 16> parts{};
    const QByteArray bytes = QByteArray::fromHex((result.partA + result.partB).toLatin1());
    std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), 16), parts.begin());
    const std::uint32_t id = result.id.toUInt(nullptr, 16);
    const ProtocolCodec *codec = KnownProtocols::codecFor(id);
    const std::optional<KnownCode> code = KnownCode::fromParts(id, parts);
    if (!result.known() || !codec || !code) {
        return {};
    }
    return {codec->name(*code), codec->fields(*code)};
}
