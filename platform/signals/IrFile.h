#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "InfraredSignal.h"

// An infrared signal file in the common text format of recorders:
//
//   Filetype: IR signals file
//   Version: 1
//   #
//   name: Power
//   type: parsed
//   protocol: NEC
//   address: 07 00 00 00
//   command: 02 00 00 00
//   #
//   name: Vol_up
//   type: raw
//   frequency: 38000
//   duty_cycle: 0.330000
//   data: 9024 4512 579 552 ...
//
// Lines starting with "#" separate buttons or comment; every "name:" starts a
// button. Address and command are hex bytes, least significant first; raw data
// are microseconds, mark first, and may go on over several "data:" lines.
class IrFile
{
public:
    struct Button
    {
        std::string name;
        int line = 0;  // of its "name:"
        bool raw = false;
        // A parsed button, in the recorder's words.
        std::string protocol;
        int protocolLine = 0;
        long long address = 0;
        long long command = 0;
        // A raw button.
        InfraredSignal signal;
    };

    // True when the text's first line is a "Filetype:" header.
    static bool looksLike(std::string_view text);
    // Every button; nothing, with *error "line N: problem", when the file is malformed.
    static std::optional<std::vector<Button>> parse(std::string_view text, std::string *error);
    // One line about a button: its name and what it sends.
    static std::string summary(const Button &button);
    // The file of these buttons, which parse reads back as them: raw durations
    // in whole microseconds, address and command in four bytes. Names are
    // written as given and must be one line each.
    static std::string write(const std::vector<Button> &buttons);
};
