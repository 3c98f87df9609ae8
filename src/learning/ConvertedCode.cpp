#include "ConvertedCode.h"

#include "HexText.h"

namespace
{
bool isHexBytes(std::string_view text, std::size_t digits)
{
    return text.size() == digits && HexText::bytes(text).has_value();
}
}  // namespace

std::optional<ConvertedCode> ConvertedCode::parse(std::string_view text)
{
    const std::size_t idEnd = text.find("::");
    if (idEnd == std::string_view::npos)
        return std::nullopt;
    const std::size_t aBegin = idEnd + 2;
    const std::size_t aEnd = text.find(':', aBegin);
    if (aEnd == std::string_view::npos)
        return std::nullopt;
    const std::size_t bEnd = text.find(":::", aEnd + 1);
    if (bEnd == std::string_view::npos)
        return std::nullopt;
    ConvertedCode code{std::string(text.substr(0, idEnd)), std::string(text.substr(aBegin, aEnd - aBegin)),
                       std::string(text.substr(aEnd + 1, bEnd - aEnd - 1)), std::string(text.substr(bEnd + 3))};
    if (!isHexBytes(code.formatid, formatidDigits) || !isHexBytes(code.parta, partDigits)
        || !isHexBytes(code.partb, partDigits) || !HexText::bytes(code.formatdata))
        return std::nullopt;
    return code;
}
