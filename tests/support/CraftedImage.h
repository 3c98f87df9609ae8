#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A factory memory image with learned codes planted by hand, for tests that
// need a remote in a given state (or in a state our own code never makes).
class CraftedImage
{
public:
    CraftedImage();

    // Key record `index` holds a learned code of the format in `slot`.
    CraftedImage &learnedKey(int index, int slot);
    // Key record `index` holds a code of a format the remote knows.
    CraftedImage &knownKey(int index, std::uint32_t formatid);
    // Key record `index` with its code dropped: byte 0 cleared, the rest left.
    CraftedImage &clearedKey(int index, int slot);
    // Allocation record of `slot`; `mark` also sets its blocks in the block map.
    CraftedImage &slot(int slot, std::uint32_t formatid, int first, int blocks, bool inuse = true, bool mark = true);
    CraftedImage &markBlocks(int first, int blocks, bool inuse = true);
    CraftedImage &put(std::uint32_t address, const std::vector<std::uint8_t> &bytes);
    CraftedImage &putWord(std::uint32_t address, std::uint16_t value);

    static int keyIndex(int mode, int position);
    // Bytes as the remote's hex text.
    static std::string hex(const std::vector<std::uint8_t> &bytes);
    static std::uint16_t slotAddress(int slot);

    const std::vector<std::uint8_t> &bytes() const { return m_bytes; }
    std::vector<std::uint8_t> &bytes() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};
