#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <string>

#include "VirtualRemote.h"

// Small helpers the virtual remote's tests share: a memory-only remote without
// transfer time, and reads as the tool makes them.
namespace RemoteText
{
inline std::unique_ptr<VirtualRemote> memoryOnly()
{
    std::string error;
    return VirtualRemote::open({std::string(), std::chrono::microseconds(0)}, &error);
}

inline std::string high(std::uint16_t address)
{
    return QString::asprintf("%02X", address >> 8).toStdString();
}

inline std::string low(std::uint16_t address)
{
    return QString::asprintf("%02X", address & 0xFF).toStdString();
}

// Hex text of `count` 8-byte units from `address`, empty when the read fails.
inline QString read(VirtualRemote &remote, std::uint16_t address, int count)
{
    std::string hex;
    remote.readData(count, high(address), low(address), "08", hex);
    return QString::fromStdString(hex);
}

// The little-endian word whose four digits start at 0-based `offset`.
inline int word(const QString &hex, int offset)
{
    return (hex.mid(offset + 2, 2) + hex.mid(offset, 2)).toInt(nullptr, 16);
}

inline int byte(const QString &hex, int offset)
{
    return hex.mid(offset, 2).toInt(nullptr, 16);
}

inline QString ascii(const char *text)
{
    return QString::fromLatin1(QByteArray(text).toHex().toUpper());
}
}  // namespace RemoteText
