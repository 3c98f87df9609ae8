#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ProtocolCodec.h"

// A protocol and its fields in words, "NEC1 D=4 F=8": the protocols the
// codecs send, by their IRP names (any case), with each field's range and,
// where the protocol definition has one, its default (NEC1's S is 255-D
// unless given). Checked here so that a mistake is named before the codec,
// which only says yes or no, sees the fields. qlr-remote's press takes them
// (--protocol NAME --fields D=4,F=8), the tool's "learn from a code" too, and
// the tool shows what a key holds in the same words.
class ProtocolFields
{
public:
    struct Code
    {
        std::string protocol;  // as the conversion library names it
        ProtocolCodec::Fields fields;
    };

    // `fields` are NAME=VALUE items separated by commas or white space.
    // Nothing, with *error naming the first problem: an unknown protocol, a
    // malformed, unknown, repeated or missing field, a value out of range.
    static std::optional<Code> parse(std::string_view protocol, std::string_view fields, std::string *error);
    // "NEC1 D=4 F=8": the name and the fields that differ from their defaults,
    // which parse reads back as the same code.
    static std::string format(std::string_view protocol, const ProtocolCodec::Fields &fields);
    // Every protocol's name, in the order of the table.
    static std::vector<std::string> names();
    // "D=0..255 S=0..255 (255-D) F=0..255" for one protocol; empty when it has no such name.
    static std::string describe(std::string_view protocol);
};
