#pragma once

#include <QByteArray>
#include <QDateTime>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A backup of a remote's whole memory as a file: a short text header, an
// empty line, then the 65,536 bytes of the memory image.
//
//   QLR-815 memory backup
//   version: 1
//   model: 1805
//   identity: 4F52494749...       the identity text of the basic block
//   firmware: 01.03
//   date: 2024-05-01T12:00:00Z
//   sha256: 3A7F...               of the lines above and the image
//
// Model, identity and firmware repeat what the image's basic block says, so
// that a file can be judged before its image is read.
struct MemoryBackup
{
    static constexpr int version = 1;
    static constexpr const char *supportedModel = "1805";

    std::string model;
    std::string identity;
    std::string firmware;
    QDateTime date;
    std::vector<std::uint8_t> image;

    // Why a file is not taken.
    enum class Problem
    {
        None,
        NotABackup,      // no header of a backup
        NewerVersion,    // written by a later version of the tool
        Damaged,         // a header line missing or malformed, the image cut short or too long
        ChecksumFailed,  // the header or the image changed since it was written
        OtherModel,      // a backup of another kind of remote
    };
    struct Read;

    // The backup of a 65,536-byte image, its header taken from the image's basic block.
    static MemoryBackup of(std::vector<std::uint8_t> image, const QDateTime &date);
    QByteArray file() const;
    static Read read(const QByteArray &file);
};

struct MemoryBackup::Read
{
    std::optional<MemoryBackup> backup;
    Problem problem = Problem::None;
    std::string detail;  // what exactly, for the message
};
