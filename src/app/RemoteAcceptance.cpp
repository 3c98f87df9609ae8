#include "RemoteAcceptance.h"

#include <cctype>

#include "BasicBlock.h"

bool RemoteAcceptance::isSupportedVersion(const std::string &versionText)
{
    static constexpr char expected[] = "1020";
    if (versionText.size() < 4)
        return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (std::tolower(static_cast<unsigned char>(versionText[i])) != expected[i])
            return false;
    }
    return true;
}

RemoteAcceptance::Support RemoteAcceptance::checkBasicBlock(const std::string &basicBlock)
{
    if (BasicBlock::modelCode(basicBlock) != "1805")
        return Support::Unsupported;
    const auto major = BasicBlock::firmwareMajor(basicBlock);
    const auto minor = BasicBlock::firmwareMinor(basicBlock);
    if (!major || !minor)
        return Support::Unsupported;
    if (*major > 1)
        return Support::Unsupported;
    if (*major < 1)
        return Support::FirmwareTooOld;
    if (*minor > 3)
        return Support::Unsupported;
    if (*minor < 3)
        return Support::FirmwareTooOld;
    return Support::Supported;
}
