#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RemoteTables.h"

// Compares the tool's working copies with what a fresh start-up would read
// from the remote's memory right now: every key's entry (kind, format flag and
// slot), the block map and the allocation records. Adds what MemoryCheck calls
// corruption. One line of text per difference; none when all agree.
class RemoteStateChecker
{
public:
    // `image` is the whole memory (65,536 bytes).
    static std::vector<std::string> compare(const RemoteTables &tool, const std::vector<std::uint8_t> &image);

    // The part of an entry a fresh read can confirm: "<code>|0" without a code,
    // "<code>|<kind>|0" for a known format, "<code>|<kind>|1|<slot>" for a learned one.
    static std::string essence(const std::string &entry);
};
