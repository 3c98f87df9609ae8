#pragma once

#include <optional>
#include <string_view>

#include "IrSignal.h"

// The duration text the tool hands to the converter: one 4-digit length in
// microseconds per mark and space, mark first, frames divided by "FEFE" +
// 4-digit gap in milliseconds + "EDED", closed by "EDED" ("FEFE0014EDED" after
// a lone frame). The carrier is not part of it.
class DurationText
{
public:
    // The frames of `text`; nothing when the text is not such a duration text
    // (a non-hex digit, a broken separator, a frame ending on a space, no closing).
    // A gap of m milliseconds reads as the middle of that millisecond. What a
    // fixed five-character cut leaves of the header (ten frames or more) is skipped.
    static std::optional<IrSignal> parse(std::string_view text);
};
