#pragma once

#include <cstddef>
#include <cstdint>

// Where the remote's blocks lie and how much of each start-up reads: counts
// in units of 8 bytes, buffers in bytes, both computed from the parameters.
namespace BlockLayout
{
constexpr std::uint32_t memorySize = 0x10000;
constexpr int unitBytes = 8;  // one count unit of a read, one block of the code area
constexpr int keyRecordBytes = 22;
constexpr int allocationRecordBytes = 6;
constexpr int knownFormatRecordBytes = 6;

// Limits of what the single read of each table can cover.
constexpr int maxKeyCodes = 399;
constexpr int maxKnownFormats = 160;
constexpr int maxAllocationUnits = 192;

// A configuration block reply shorter than this means no remote answered.
constexpr std::size_t configurationMinimumChars = 68;

struct Read
{
    std::uint32_t address;  // may lie beyond 16 bits when a parameter is corrupt
    int count;
    std::size_t bufferSize;

    // True when the whole range read lies inside the remote's memory.
    bool fits() const;
};

Read basicBlock();
Read configurationBlock();
Read parameterTable(std::uint16_t paramaddr);
Read keyCodeList(std::uint16_t paramaddr);
Read keyStateTable(std::uint16_t keytableaddr, int keyrecordcount);
Read allocationArea(std::uint16_t alloctableaddr, int allocrecordcount, int blockcount);
Read knownFormatTable(std::uint16_t formattableaddr);

// Bytes of the block map for `blockcount` blocks.
int blockMapBytes(int blockcount);
// Blocks that format data of `digits` hex digits take.
int blocksFor(std::size_t digits);
}  // namespace BlockLayout
