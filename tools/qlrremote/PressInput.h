#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "InfraredSignal.h"

// What `qlr-remote press` sends, given in one of four ways:
//   FILE                            a signal file (durations or a Pronto code)
//   FILE.ir [--button NAME]         one button of an infrared signal file
//   --pronto "0000 006D ..."        a learned Pronto code
//   --protocol NAME [--fields D=4,F=8]
//                                   a code of a protocol the conversion library sends
class PressInput
{
public:
    struct Choice
    {
        std::string file;  // "-" for standard input
        std::string button;
        std::string pronto;
        std::string protocol;
        std::string fields;
        bool fromFile() const { return !file.empty(); }
    };

    struct Outcome
    {
        std::optional<InfraredSignal> signal;
        // Without the signal: the one-line problem, and for a file of several
        // buttons and no --button the buttons, one a line.
        std::string error;
        std::string listing;
    };

    // True for the options that belong to press; each takes a value.
    static bool takesOption(std::string_view name);
    // From press's words: files, and options as "--name" then value.
    static std::optional<Choice> choose(const std::vector<std::string> &words, std::string *error);
    // The signal chosen; `fileText` holds the file when the choice is a file.
    static Outcome signalOf(const Choice &choice, std::string_view fileText);
};
