#include "CraftedImage.h"

#include "FactoryImage.h"
#include "HexText.h"

CraftedImage::CraftedImage()
    : m_bytes(FactoryImage::build())
{ }

CraftedImage &CraftedImage::learnedKey(int index, int slot)
{
    return put(FactoryImage::keyRecordAddress(index),
               {0xC0, 0x00, 0x80, static_cast<std::uint8_t>(slot), 0xFF, 0xFF, 0x11, 0x22});
}

CraftedImage &CraftedImage::knownKey(int index, std::uint32_t formatid)
{
    return put(FactoryImage::keyRecordAddress(index),
               {0xC0, 0x00, 0x00, static_cast<std::uint8_t>(formatid >> 16), static_cast<std::uint8_t>(formatid >> 8),
                static_cast<std::uint8_t>(formatid)});
}

CraftedImage &CraftedImage::clearedKey(int index, int slot)
{
    learnedKey(index, slot);
    return put(FactoryImage::keyRecordAddress(index), {0x00});
}

CraftedImage &CraftedImage::slot(int slot, std::uint32_t formatid, int first, int blocks, bool inuse, bool mark)
{
    const auto word = static_cast<std::uint16_t>((inuse ? 0x8000 : 0) | first);
    put(slotAddress(slot), {static_cast<std::uint8_t>(formatid >> 16), static_cast<std::uint8_t>(formatid >> 8),
                            static_cast<std::uint8_t>(formatid), static_cast<std::uint8_t>(word & 0xFF),
                            static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(blocks)});
    return mark ? markBlocks(first, blocks) : *this;
}

CraftedImage &CraftedImage::markBlocks(int first, int blocks, bool inuse)
{
    for (int b = first; b < first + blocks; ++b) {
        std::uint8_t &byte = m_bytes[FactoryImage::allocAreaAddress + static_cast<std::size_t>(b) / 8];
        const auto bit = static_cast<std::uint8_t>(0x80 >> (b % 8));
        byte = inuse ? byte | bit : byte & ~bit;
    }
    return *this;
}

CraftedImage &CraftedImage::put(std::uint32_t address, const std::vector<std::uint8_t> &bytes)
{
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + address);
    return *this;
}

CraftedImage &CraftedImage::putWord(std::uint32_t address, std::uint16_t value)
{
    return put(address, {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)});
}

int CraftedImage::keyIndex(int mode, int position)
{
    return mode * FactoryImage::keysPerMode + position;
}

std::uint16_t CraftedImage::slotAddress(int slot)
{
    return static_cast<std::uint16_t>(FactoryImage::allocAreaAddress + FactoryImage::blockMapSize
                                      + FactoryImage::allocRecordSize * static_cast<std::size_t>(slot));
}

std::string CraftedImage::hex(const std::vector<std::uint8_t> &bytes)
{
    return HexText::formatBytes(bytes.data(), bytes.size());
}
