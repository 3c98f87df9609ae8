#pragma once

#include <string>
#include <string_view>

// The conversion behind ConvertCode: a duration text in, the key's code out
// as "FFFFFF::A:B:::D" (format id, parts A and B of 16 digits each, format
// data; D empty for a format the remote knows), or empty text when the text
// holds no usable code. The carrier in Hz (0 when the capture gave none)
// tells apart protocols of the same timing and goes with the code, known or
// learned.
class CodeConverter
{
public:
    static std::string convert(std::string_view durationText, int carrierHz = 0);
};
