#pragma once

#include <optional>
#include <string>
#include <string_view>

// The fields of the basic block (at B000) that identify a remote. Start-up
// compares them; these only take them out of the block's text.
class BasicBlock
{
public:
    // The first 30 characters (fewer when the text is shorter).
    static std::string identity(std::string_view text);
    // Firmware version bytes, characters 65-66 and 67-68; none when short or not hex.
    static std::optional<int> firmwareMajor(std::string_view text);
    static std::optional<int> firmwareMinor(std::string_view text);
    // Characters 71-74 as text ("1805" for this model); empty when the text is shorter.
    static std::string modelCode(std::string_view text);
};
