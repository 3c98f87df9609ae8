#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "AllocationRecord.h"
#include "RemoteTables.h"

// The allocation scheme of the code area on the working copies alone: free
// runs in blockmap, the slots of allocrecords, and which keystates entries
// refer to a slot. Nothing here talks to the remote.
class BlockAllocator
{
public:
    explicit BlockAllocator(RemoteTables &tables);

    // The first block of the first run of `blocks` free blocks. A run stays inside
    // the code area and never ends on the last character of blockmap. The blocks
    // of `freedSlot` count as free: where the run would be once that slot is freed.
    std::optional<int> findFreeRun(int blocks, std::optional<int> freedSlot = std::nullopt) const;
    // The blocks of the longest run findFreeRun can find, at most AllocationRecord::maxBlocks.
    int longestFreeRun() const;
    // The first slot not in use that no entry refers to (a record may name a slot
    // marked free); `freedSlot` counts as free.
    std::optional<int> firstFreeSlot(std::optional<int> freedSlot = std::nullopt) const;
    // The record of a slot; none when the slot does not exist or its text is not hex.
    std::optional<AllocationRecord> record(int slot) const;
    // Whether a keystates entry other than the one at `exceptIndex` refers to the
    // slot, or an unconfirmed key record may.
    bool slotReferenced(int slot, std::size_t exceptIndex) const;
    // Empties an in-use slot and frees its blocks; false (nothing changed) for a free
    // or unknown slot.
    bool freeSlot(int slot);
    // Fills a free slot with the format and marks its blocks in use; false (nothing
    // changed) when the slot is unknown or in use or the blocks are not a free run.
    bool claim(int slot, const std::string &formatid, int firstblock, int blocks);
    // blockmap as hex text, eight blocks to a byte, first block in the top bit.
    std::string packblockmap() const;

private:
    void setRecord(int slot, const std::string &text);
    bool isFreeRun(int first, int blocks) const;

    RemoteTables &m_tables;
};
