#include "BlockAllocator.h"

#include <algorithm>

#include "HexText.h"
#include "KeyStateEntry.h"

BlockAllocator::BlockAllocator(RemoteTables &tables)
    : m_tables(tables)
{ }

std::optional<int> BlockAllocator::findFreeRun(int blocks, std::optional<int> freedSlot) const
{
    if (blocks <= 0 || blocks > AllocationRecord::maxBlocks)
        return std::nullopt;
    if (freedSlot) {
        RemoteTables freed = m_tables;
        BlockAllocator(freed).freeSlot(*freedSlot);
        return BlockAllocator(freed).findFreeRun(blocks);
    }
    const std::string &map = m_tables.blockmap;
    const int mapSize = static_cast<int>(map.size());
    // A run must end before the map's last character and inside the code area.
    const int end = std::min(mapSize - 1, m_tables.blockcount);
    for (int b = 0; b < std::min(mapSize, m_tables.blockcount); ++b) {
        if (map[static_cast<std::size_t>(b)] != '0')
            continue;
        if (b + blocks > end)
            return std::nullopt;
        if (isFreeRun(b, blocks))
            return b;
    }
    return std::nullopt;
}

int BlockAllocator::longestFreeRun() const
{
    const std::string &map = m_tables.blockmap;
    const int end = std::min(static_cast<int>(map.size()) - 1, m_tables.blockcount);
    int longest = 0;
    int run = 0;
    for (int b = 0; b < end; ++b) {
        run = map[static_cast<std::size_t>(b)] == '0' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return std::min(longest, AllocationRecord::maxBlocks);
}

std::optional<int> BlockAllocator::firstFreeSlot(std::optional<int> freedSlot) const
{
    for (int slot = 0; slot < m_tables.allocrecordcount; ++slot) {
        const auto found = record(slot);
        if (found && (slot == freedSlot || (!found->inuse && !slotReferenced(slot, m_tables.keystates.size()))))
            return slot;
    }
    return std::nullopt;
}

bool BlockAllocator::isFreeRun(int first, int blocks) const
{
    const std::string &map = m_tables.blockmap;
    if (first < 0 || blocks <= 0 || first + blocks > m_tables.blockcount
        || static_cast<std::size_t>(first + blocks) > map.size())
        return false;
    return std::all_of(map.begin() + first, map.begin() + first + blocks, [](char c) { return c == '0'; });
}

std::optional<AllocationRecord> BlockAllocator::record(int slot) const
{
    if (slot >= m_tables.allocrecordcount)
        return std::nullopt;
    return AllocationRecord::inSlot(m_tables.allocrecords, slot);
}

bool BlockAllocator::slotReferenced(int slot, std::size_t exceptIndex) const
{
    if (m_tables.unconfirmedslots.count(slot) > 0)
        return true;
    for (std::size_t i = 0; i < m_tables.keystates.size(); ++i) {
        if (i != exceptIndex && KeyStateEntry::learnedSlot(m_tables.keystates[i]) == slot)
            return true;
    }
    return false;
}

bool BlockAllocator::freeSlot(int slot)
{
    const auto old = record(slot);
    if (!old || !old->inuse)
        return false;
    setRecord(slot, AllocationRecord().text());
    std::string &map = m_tables.blockmap;
    const auto first = std::min(map.size(), static_cast<std::size_t>(old->firstblock));
    const auto end = std::min(map.size(), first + static_cast<std::size_t>(old->blocks));
    std::fill(map.begin() + static_cast<std::ptrdiff_t>(first), map.begin() + static_cast<std::ptrdiff_t>(end), '0');
    return true;
}

bool BlockAllocator::claim(int slot, const std::string &formatid, int firstblock, int blocks)
{
    const auto old = record(slot);
    if (!old || old->inuse || formatid.size() != 6 || !HexText::parse(formatid) || blocks > AllocationRecord::maxBlocks
        || !isFreeRun(firstblock, blocks))
        return false;
    std::fill_n(m_tables.blockmap.begin() + firstblock, blocks, '1');
    AllocationRecord claimed;
    claimed.formatid = formatid;
    claimed.inuse = true;
    claimed.firstblock = firstblock;
    claimed.blocks = blocks;
    setRecord(slot, claimed.text());
    return true;
}

void BlockAllocator::setRecord(int slot, const std::string &text)
{
    m_tables.allocrecords.replace(static_cast<std::size_t>(slot) * AllocationRecord::digits, AllocationRecord::digits,
                                  text);
}

std::string BlockAllocator::packblockmap() const
{
    const std::string &map = m_tables.blockmap;
    std::string packed;
    packed.reserve(map.size() / 4);
    for (std::size_t i = 0; i + 8 <= map.size(); i += 8) {
        std::uint32_t byte = 0;
        for (std::size_t bit = 0; bit < 8; ++bit)
            byte = byte << 1 | (map[i + bit] == '1' ? 1u : 0u);
        packed += HexText::format(byte, 2);
    }
    return packed;
}
