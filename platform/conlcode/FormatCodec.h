#pragma once

#include <optional>
#include <string_view>

#include "IrSignal.h"
#include "KnownCode.h"

// What the remote's transmitter sends for a key: the signal of its key record
// (22 bytes as hex text) and, for a learned format, the format data read from
// the code area (hex text; padding after the data is ignored).
class FormatCodec
{
public:
    // Nothing when the record holds no code, names a format no protocol owns,
    // or does not fit its format data.
    static std::optional<IrSignal> regenerate(std::string_view recordHex, std::string_view formatDataHex);
    // The code of a record that names a known format; nothing for any other record.
    static std::optional<KnownCode> knownCode(std::string_view recordHex);
};
