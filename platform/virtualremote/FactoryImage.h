#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The memory of a QLR-815 as it leaves the factory: where each block lies and
// what it holds. Words are 16-bit little-endian. Tests and tools that craft a
// remote use these constants rather than repeating the numbers.
namespace FactoryImage
{
constexpr std::size_t memorySize = 65536;

// Version record, returned by ReadVersion as raw characters.
constexpr std::string_view versionText = "1020 QLR-815 USB V1.03";

// Basic block: identity, product name, firmware version and model code.
constexpr std::uint16_t basicBlockAddress = 0xB000;
constexpr std::size_t basicBlockSize = 48;
constexpr std::size_t identitySize = 15;
constexpr std::string_view identity = "QLR815-00A1B2C3";
// Another remote of the same model, for tests of a swapped remote.
constexpr std::string_view otherIdentity = "QLR815-00D4E5F6";
constexpr std::size_t productNameOffset = 15;
constexpr std::size_t productNameSize = 17;
constexpr std::string_view productName = "USB LEARNING RC";
constexpr std::size_t firmwareOffset = 32;
constexpr std::uint8_t firmwareMajor = 0x01;
constexpr std::uint8_t firmwareMinor = 0x03;
constexpr std::size_t modelCodeOffset = 35;
constexpr std::array<std::uint8_t, 2> modelCode = {0x18, 0x05};

// Configuration block: where the parameter table is and how pointers translate.
constexpr std::uint16_t configBlockAddress = 0xB03C;
constexpr std::size_t configBlockSize = 16;
constexpr std::size_t paramAddressOffset = 0;
constexpr std::size_t pointerBaseOffset = 6;
constexpr std::size_t writeSelectorOffset = 8;
constexpr std::uint16_t paramAddress = 0x1000;
constexpr std::uint16_t pointerBase = 0x8000;
constexpr std::uint8_t writeSelector = 0x0A;
// The only selector readData accepts.
constexpr std::string_view readSelector = "08";

// Parameter table at paramAddress: counts and stored pointers.
constexpr std::size_t paramTableSize = 40;
constexpr std::size_t keyRecordCountOffset = 0;
constexpr std::size_t allocRecordCountOffset = 7;
constexpr std::size_t blockCountOffset = 8;
constexpr std::size_t keyTablePointerOffset = 16;
constexpr std::size_t formatTablePointerOffset = 24;
constexpr std::size_t allocAreaPointerOffset = 26;
constexpr std::size_t codeAreaPointerOffset = 28;
constexpr std::size_t keysPerModeOffset = 32;
constexpr std::uint16_t keyRecordCount = 400;
constexpr std::uint8_t allocRecordCount = 32;
constexpr std::uint16_t blockCount = 1020;
constexpr std::uint8_t keysPerMode = 48;
constexpr int modeCount = 8;
// Stored pointers and the addresses they translate to: at or above
// pointerBase a pointer is relative to 0, below it relative to paramAddress.
constexpr std::uint16_t keyTablePointer = 0xA000;
constexpr std::uint16_t formatTablePointer = 0x0100;
constexpr std::uint16_t allocAreaPointer = 0xC800;
constexpr std::uint16_t codeAreaPointer = 0xD000;
constexpr std::uint16_t keyTableAddress = 0x2000;
constexpr std::uint16_t formatTableAddress = 0x1100;
constexpr std::uint16_t allocAreaAddress = 0x4800;
constexpr std::uint16_t codeAreaAddress = 0x5000;

// Key-code list at paramAddress + 32: a repeat of keysPerMode, then the codes.
constexpr std::uint16_t keyCodeListAddress = paramAddress + 32;
constexpr std::array<std::uint8_t, keysPerMode> keyCodes = {
    0x10, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x30,
    0x31, 0x32, 0x33, 0x34, 0x36, 0x37, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x50, 0x51,
    0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x70, 0x71};

// Known-format table: a word n, then n records of 6 bytes (3-byte id, 3 zero bytes).
constexpr std::size_t formatRecordSize = 6;
constexpr std::array<std::uint32_t, 8> knownFormats = {0x010000, 0x020000, 0x030000, 0x050000,
                                                       0x0C0000, 0x220155, 0x2301A0, 0x2402B7};

// Key-state table: one record per key of each mode, index = mode * keysPerMode
// + position in the key-code list; records past the modes hold code-type data.
constexpr std::size_t keyRecordSize = 22;
constexpr std::uint8_t downloadedFlag = 0x80;
constexpr std::uint32_t downloadedFormat = 0x010000;
struct DownloadedKey
{
    int mode;
    std::uint8_t keyCode;
};
// The codes a new remote holds: the TV set's and the DVD player's common keys.
constexpr std::array<DownloadedKey, 20> downloadedKeys = {
    {{0, 0x10}, {0, 0x12}, {0, 0x13}, {0, 0x14}, {0, 0x15}, {0, 0x16}, {0, 0x17}, {0, 0x20}, {0, 0x21}, {0, 0x22},
     {0, 0x24}, {0, 0x26}, {0, 0x27}, {0, 0x30}, {0, 0x31}, {0, 0x33}, {3, 0x10}, {3, 0x53}, {3, 0x54}, {3, 0x61}}};
constexpr std::size_t codeTypeRecords = keyRecordCount - modeCount * keysPerMode;

// Allocation area: block map, then the allocation records; code area of 8-byte blocks.
constexpr std::size_t blockMapSize = (blockCount + 7) / 8;
constexpr std::size_t allocRecordSize = 6;
constexpr std::size_t blockSize = 8;

// Index of a key's record, or -1 for a code that is not in the key-code list.
int keyIndex(int mode, std::uint8_t keyCode);
std::uint16_t keyRecordAddress(int index);
// The record of a downloaded code as the factory stores it.
std::array<std::uint8_t, keyRecordSize> downloadedRecord(int mode, std::uint8_t keyCode);
// The code-type bytes after the modes' key records.
std::vector<std::uint8_t> codeTypeBytes();
// The whole 64 KiB image.
std::vector<std::uint8_t> build();
}  // namespace FactoryImage
