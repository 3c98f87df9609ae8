#pragma once

#include <QString>

// The fixed texts start-up shows about the attached remote.
namespace RemoteMessages
{
// Where users get a newer tool or firmware; M2 and M3 point there.
inline constexpr char downloadAddress[] = "https://www.qlr-remote.example/download";

inline QString noRemote()
{
    return QStringLiteral("No URC is found, please check USB Connection!");
}

// M2: the remote is of another kind or has a newer firmware.
inline QString unsupportedRemote()
{
    return QStringLiteral("This version of learning software does not support learning operation of "
                          "this kind of RC. Please download the latest version of learning software from ")
           + QLatin1String(downloadAddress) + QLatin1Char('!');
}

// M3: the remote's firmware is older than this tool supports.
inline QString lowFirmware()
{
    return QStringLiteral("Low version of RC firmware program! Please download the latest version from ")
           + QLatin1String(downloadAddress) + QLatin1Char('!');
}
}  // namespace RemoteMessages
