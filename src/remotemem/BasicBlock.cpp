#include "BasicBlock.h"

#include "HexText.h"

std::string BasicBlock::identity(std::string_view text)
{
    return std::string(text.substr(0, 30));
}

std::optional<int> BasicBlock::firmwareMajor(std::string_view text)
{
    return HexText::byteAt(text, 64);
}

std::optional<int> BasicBlock::firmwareMinor(std::string_view text)
{
    return HexText::byteAt(text, 66);
}

std::string BasicBlock::modelCode(std::string_view text)
{
    return text.size() < 74 ? std::string() : std::string(text.substr(70, 4));
}
