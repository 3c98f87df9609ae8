#pragma once

#include <string>
#include <string_view>

// The conversion behind ConvertCode: a duration text in, the key's code out
// as "FFFFFF::A:B:::D" (format id, parts A and B of 16 digits each, format
// data; D empty for a format the remote knows), or empty text when the text
// holds no usable code. The carrier in Hz (0 when the capture gave none)
// tells apart protocols of the same timing and goes with the code, known or
// learned.
// `storedFormats` names the learned formats the remote already holds, as
// "FFFFFF:DATA" items divided by ";" (format id and format data in hex, the
// data as read from the code area, padding included), each optionally
// followed by ":" and the parts A and B (32 hex digits a key) of every key
// record that refers to it. A capture that one of them sends faithfully gets
// that format: its id and its data as given, the first that fits in the order
// given; the key then costs no new format. A capture that reads as one of them
// but strays further than its parts can carry gets that format's id with new
// data, the format as a bundle that holds the key's timing as well; the caller
// replaces the format's data with them. A bundle keeps the timing of the keys
// whose parts are listed and no other; a format listed without them never grows.
class CodeConverter
{
public:
    static std::string convert(std::string_view durationText, int carrierHz = 0, std::string_view storedFormats = {});
};
