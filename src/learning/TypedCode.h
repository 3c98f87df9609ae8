#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "InfraredSignal.h"
#include "IrFile.h"

class ConverterLibrary;

// The signal of a code the user gives instead of pressing the original
// remote's key: a Pronto hex code, a protocol and its fields, or a button of
// an infrared signal file. Protocols are the conversion library's to know
// (SignalOfProtocol, SignalOfRecorderCode).
class TypedCode
{
public:
    struct Made
    {
        std::optional<InfraredSignal> signal;
        std::string error;  // one line, for the user, when there is no signal
    };

    // A learned Pronto code ("0000 006D 0022 0002 ...") or a protocol's name
    // and its fields ("NEC1 D=4 F=8", or "NEC1 D=4,F=8").
    static Made signalOf(std::string_view text, ConverterLibrary &library);
    static Made signalOf(const IrFile::Button &button, ConverterLibrary &library);
};
