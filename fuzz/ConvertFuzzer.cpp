// The conversion library on any duration text, offered the formats of a
// remote that holds none, as the tool converts. Its result is empty or a code
// "FFFFFF::A:B:::D" of hex digits (id 6, parts 16 each); a known format
// carries no data, a learned format's data must read back as that format.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CodeConverter.h"
#include "FuzzRequire.h"
#include "HexText.h"
#include "KnownFormats.h"
#include "LearnedFormat.h"

namespace
{
void checkCode(std::string_view code)
{
    // 6 + "::" + 16 + ":" + 16 + ":::" + data
    constexpr std::size_t dataAt = 6 + 2 + 16 + 1 + 16 + 3;
    require(code.size() >= dataAt);
    require(code.substr(6, 2) == "::" && code[24] == ':' && code.substr(41, 3) == ":::");
    const std::optional<std::uint32_t> formatId = HexText::parse(code.substr(0, 6));
    const auto data = HexText::bytes(code.substr(dataAt));
    require(formatId && HexText::bytes(code.substr(8, 16)) && HexText::bytes(code.substr(25, 16)) && data);
    if (KnownFormats::isKnownId(*formatId)) {
        require(data->empty());
        return;
    }
    require((*formatId >> 16) >= KnownFormats::firstLearnedByte);
    require(LearnedFormat::parse(*data).has_value());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string code =
        CodeConverter::convert(std::string_view(reinterpret_cast<const char *>(data), size), 0, std::string_view());
    if (!code.empty())
        checkCode(code);
    return 0;
}
