#pragma once

#include <string>

#include "RemoteTables.h"

// How full the remote's storage is, from the working copies: key records
// holding a code (learned or downloaded) of all key records, allocation
// slots in use, and blocks of the code area marked in the block map.
struct MemoryGauge
{
    struct Count
    {
        int used = 0;
        int total = 0;

        bool full() const { return used >= total; }
        bool operator==(const Count &) const = default;
    };

    Count keys;
    Count formatSlots;
    Count blocks;

    static MemoryGauge of(const RemoteTables &tables);
    // "Keys 40/400 · Slots 12/32 · Blocks 118/1020", in UTF-8.
    std::string text() const;
};
