// The conversion library on any duration text. Its result is empty or a code
// "FFFFFF::A:B:::D" of hex digits (id 6, parts 16 each); a known format
// carries no data, a learned format's data must read back as that format.
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CodeConverter.h"
#include "FuzzRequire.h"
#include "KnownFormats.h"
#include "LearnedFormat.h"

namespace
{
bool isHex(std::string_view text)
{
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

std::vector<std::uint8_t> bytesOf(std::string_view hex)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

void checkCode(std::string_view code)
{
    // 6 + "::" + 16 + ":" + 16 + ":::" + data
    constexpr std::size_t dataAt = 6 + 2 + 16 + 1 + 16 + 3;
    require(code.size() >= dataAt);
    require(code.substr(6, 2) == "::" && code[24] == ':' && code.substr(41, 3) == ":::");
    const std::string_view id = code.substr(0, 6);
    const std::string_view data = code.substr(dataAt);
    require(isHex(id) && isHex(code.substr(8, 16)) && isHex(code.substr(25, 16)) && isHex(data));
    require(data.size() % 2 == 0);
    const auto formatId = static_cast<std::uint32_t>(std::stoul(std::string(id), nullptr, 16));
    if (KnownFormats::isKnownId(formatId)) {
        require(data.empty());
        return;
    }
    require((formatId >> 16) >= KnownFormats::firstLearnedByte);
    require(LearnedFormat::parse(bytesOf(data)).has_value());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string code = CodeConverter::convert(std::string_view(reinterpret_cast<const char *>(data), size));
    if (!code.empty())
        checkCode(code);
    return 0;
}
