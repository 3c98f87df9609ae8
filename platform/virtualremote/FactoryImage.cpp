#include "FactoryImage.h"

#include <algorithm>

namespace
{
// Device address bytes of the downloaded codes, per mode (TV and DVD only).
std::uint8_t deviceAddress(int mode)
{
    return mode == 0 ? 0x04 : 0x2D;
}

// How a NEC1 code repeats while its key is held: short frames without data.
constexpr std::uint8_t dittoRepeat = 1;

void putWord(std::vector<std::uint8_t> &image, std::size_t at, std::uint16_t value)
{
    image[at] = static_cast<std::uint8_t>(value & 0xFF);
    image[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void putId(std::vector<std::uint8_t> &image, std::size_t at, std::uint32_t id)
{
    image[at] = static_cast<std::uint8_t>(id >> 16);
    image[at + 1] = static_cast<std::uint8_t>(id >> 8);
    image[at + 2] = static_cast<std::uint8_t>(id);
}

void putBasicBlock(std::vector<std::uint8_t> &image)
{
    using namespace FactoryImage;
    std::copy(identity.begin(), identity.end(), image.begin() + basicBlockAddress);
    std::copy(productName.begin(), productName.end(), image.begin() + basicBlockAddress + productNameOffset);
    image[basicBlockAddress + firmwareOffset] = firmwareMajor;
    image[basicBlockAddress + firmwareOffset + 1] = firmwareMinor;
    std::copy(modelCode.begin(), modelCode.end(), image.begin() + basicBlockAddress + modelCodeOffset);
}

void putParameters(std::vector<std::uint8_t> &image)
{
    using namespace FactoryImage;
    putWord(image, configBlockAddress + paramAddressOffset, paramAddress);
    putWord(image, configBlockAddress + pointerBaseOffset, pointerBase);
    image[configBlockAddress + writeSelectorOffset] = writeSelector;

    putWord(image, paramAddress + keyRecordCountOffset, keyRecordCount);
    image[paramAddress + allocRecordCountOffset] = allocRecordCount;
    putWord(image, paramAddress + blockCountOffset, blockCount);
    putWord(image, paramAddress + keyTablePointerOffset, keyTablePointer);
    putWord(image, paramAddress + formatTablePointerOffset, formatTablePointer);
    putWord(image, paramAddress + allocAreaPointerOffset, allocAreaPointer);
    putWord(image, paramAddress + codeAreaPointerOffset, codeAreaPointer);
    // Byte 32 of the parameter table is also byte 0 of the key-code list.
    image[paramAddress + keysPerModeOffset] = keysPerMode;
    std::copy(keyCodes.begin(), keyCodes.end(), image.begin() + keyCodeListAddress + 1);

    putWord(image, formatTableAddress, static_cast<std::uint16_t>(knownFormats.size()));
    for (std::size_t i = 0; i < knownFormats.size(); ++i) {
        putId(image, formatTableAddress + 2 + formatRecordSize * i, knownFormats[i]);
    }
}

void putKeyRecords(std::vector<std::uint8_t> &image)
{
    using namespace FactoryImage;
    for (const DownloadedKey &key : downloadedKeys) {
        const auto record = downloadedRecord(key.mode, key.keyCode);
        std::copy(record.begin(), record.end(), image.begin() + keyRecordAddress(keyIndex(key.mode, key.keyCode)));
    }
    const auto codeType = codeTypeBytes();
    std::copy(codeType.begin(), codeType.end(), image.begin() + keyRecordAddress(modeCount * keysPerMode));
}
}  // namespace

namespace FactoryImage
{
int keyIndex(int mode, std::uint8_t keyCode)
{
    const auto it = std::find(keyCodes.begin(), keyCodes.end(), keyCode);
    if (it == keyCodes.end() || mode < 0 || mode >= modeCount) {
        return -1;
    }
    return mode * keysPerMode + static_cast<int>(it - keyCodes.begin());
}

std::uint16_t keyRecordAddress(int index)
{
    return static_cast<std::uint16_t>(keyTableAddress + keyRecordSize * index);
}

std::array<std::uint8_t, keyRecordSize> downloadedRecord(int mode, std::uint8_t keyCode)
{
    // NEC1 fields as the converter lays them out: part A holds the device
    // address and the command, each with its complement; part B says that one
    // short repeat frame follows, as a brief press of the key sends.
    const std::uint8_t address = deviceAddress(mode);
    return {downloadedFlag,
            0x00,
            0x00,
            static_cast<std::uint8_t>(downloadedFormat >> 16),
            static_cast<std::uint8_t>(downloadedFormat >> 8),
            static_cast<std::uint8_t>(downloadedFormat),
            address,
            static_cast<std::uint8_t>(~address),
            keyCode,
            static_cast<std::uint8_t>(~keyCode),
            0,
            0,
            0,
            0,
            0,
            dittoRepeat,
            1,
            0,
            0,
            0,
            0,
            0};
}

std::vector<std::uint8_t> codeTypeBytes()
{
    std::vector<std::uint8_t> bytes(codeTypeRecords * keyRecordSize);
    bytes[0] = 0x5A;
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>((i - 1) % 255 + 1);
    }
    return bytes;
}

std::vector<std::uint8_t> build()
{
    std::vector<std::uint8_t> image(memorySize, 0);
    putBasicBlock(image);
    putParameters(image);
    putKeyRecords(image);
    return image;
}
}  // namespace FactoryImage
