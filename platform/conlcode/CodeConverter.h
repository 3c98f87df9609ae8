#pragma once

#include <optional>
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
// whose parts are listed and no other, so a key that the format sends without
// its own timing may also get new data, the unlisted keys' timing dropped; a
// format listed without them never changes.
// An item "slotsfull" says that no slot is free for a format of the key's
// own: a capture that no stored format reads then gets, where one can take
// it, a stored format's id with new data, the format as a bundle that holds
// the capture's own timing too. An item "room:" and a count of bytes says
// how long a stored format's new data may be: they go beside the old ones.
// A last item "replaced:FFFFFF:PARTS" names the key record the capture will
// replace: its parts and its format's id. Where no stored format sends the
// capture without a timing of its own, those parts keep the key as it was
// if they, with their timing, still send it faithfully.
// A new format for a caller that offered what the remote holds, the list
// empty when it holds none, sends the remote's timing: the lengths and gaps
// in which the capture strays from it go with the key, as a bundle's key
// (LearnedFormatFit::withStraysOfItsKey). Without the list (nullopt) the
// format holds them, as formats did before: a caller that matches formats
// by id alone must not take a key for one of a bundle's keys.
class CodeConverter
{
public:
    static std::string convert(std::string_view durationText, int carrierHz = 0,
                               std::optional<std::string_view> storedFormats = std::nullopt);
};
