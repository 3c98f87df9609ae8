#pragma once

#include <optional>
#include <string>
#include <string_view>

// The converter's result split into its fields: "FFFFFF::A:B:::D", the
// 6-digit format id, the two halves of the key's own code bits (16 digits
// each, filling the key record to 22 bytes) and the format's timing data,
// stored only for a learned format.
struct ConvertedCode
{
    static constexpr std::size_t formatidDigits = 6;
    static constexpr std::size_t partDigits = 16;

    std::string formatid;
    std::string parta;
    std::string partb;
    std::string formatdata;

    // Fails for anything but that form: a missing delimiter, fields of the
    // wrong length, or digits that are not whole hex bytes.
    static std::optional<ConvertedCode> parse(std::string_view text);
};
