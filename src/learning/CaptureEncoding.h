#pragma once

#include <string>

// Reshapes the remote's raw capture into the duration text the code converter
// takes. The raw capture is hex text, one 16-bit word per four digits: bit 15
// set is a mark of the low 15 bits' length, clear a space of the word's value,
// in units of a third of a microsecond; twenty "7FFF" words end the capture,
// and two closing words carrying the carrier follow. Zero bytes (the unused
// part of the capture buffer) read as zero digits.
class CaptureEncoding
{
public:
    // Cuts the capture after its first run of twenty "7FFF" and the two words
    // after it; the head loses a trailing space word. "0000" when there is no
    // such run.
    static std::string trimcapture(const std::string &capture);
    // The frame count in decimal, a 4-digit carrier header, then one 4-digit
    // length in microseconds per mark and space, frames divided by "FEFE" +
    // 4-digit gap in milliseconds + "EDED". Empty when the text holds no
    // complete code or a character that is neither a hex digit nor zero.
    static std::string encodecapture(const std::string &trimmed);
};
