#pragma once

#include <string>

// Whether this tool may work with the attached remote: its device library's
// version record, its model code and its firmware version.
class RemoteAcceptance
{
public:
    enum class Support
    {
        Supported,
        Unsupported,
        FirmwareTooOld
    };

    // The version record starts with "1020", in any letter case.
    static bool isSupportedVersion(const std::string &versionText);
    // The model code is checked before the firmware: only model "1805" with
    // firmware 01.03 is supported; a newer firmware is unsupported, an older
    // one too old. Unreadable firmware digits count as unsupported.
    static Support checkBasicBlock(const std::string &basicBlock);
};
