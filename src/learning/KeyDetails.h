#pragma once

#include <optional>
#include <string>

#include "InfraredSignal.h"
#include "IrFile.h"
#include "RemoteTables.h"

class ConverterLibrary;
class RemoteDevice;

// What a key holds, in words: its code read afresh from the remote and
// described by the conversion library (DescribeKeyCode).
struct KeyDetails
{
    // A code as a recorder names it in an infrared signal file.
    struct Recorder
    {
        std::string protocol;
        long long address = 0;
        long long command = 0;
    };

    bool learned = false;  // learned (red) rather than downloaded (green)
    int slot = -1;         // a learned format's allocation slot, or -1
    int blocks = 0;
    std::string protocol;  // "NEC1 D=4 F=8"; empty for a learned format
    std::optional<Recorder> recorder;
    InfraredSignal signal;  // what the remote sends for the key

    // Key record `index`; nothing, with *why, when the remote cannot say what
    // it holds or the library cannot describe it.
    static std::optional<KeyDetails> read(RemoteDevice &device, const RemoteTables &tables, ConverterLibrary &library,
                                          int index, std::string *why);
    // The library's description of a key record; nothing when the text is not one.
    static std::optional<KeyDetails> parse(std::string_view description);

    // "NEC1 D=4 F=8", or "learned format, slot 3, 5 blocks, 38 kHz".
    std::string holds() const;
    // The key as a button of an infrared signal file: parsed in the
    // recorder's words where it has them, otherwise the raw signal.
    IrFile::Button button(const std::string &name) const;
};
