#pragma once

#include <cstdint>
#include <set>
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

    // Keys whose record was not written from `before` to `after` (no write at its
    // address in `written`, its bytes the same) while the slot it refers to changed
    // (another format, other blocks or other data there): the key now sends what it
    // was never given. One line per key.
    static std::vector<std::string> repointedKeys(const std::vector<std::uint8_t> &before,
                                                  const std::vector<std::uint8_t> &after,
                                                  const std::set<std::uint32_t> &written);

    // The part of an entry a fresh read can confirm: "<code>|0" without a code,
    // "<code>|<kind>|0" for a known format, "<code>|<kind>|1|<slot>" for a learned one.
    static std::string essence(const std::string &entry);
};
