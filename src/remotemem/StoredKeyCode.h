#pragma once

#include <optional>
#include <string>

#include "AllocationRecord.h"
#include "RemoteTables.h"

class RemoteDevice;

// A key's code as the remote holds it, read afresh: its 22-byte key record
// and, for a learned format, the format's allocation slot and its data from
// the code area. What the code means is the conversion library's to say; the
// remote's transmitter and the tool's key details read codes through here.
struct StoredKeyCode
{
    enum class Problem
    {
        None,
        Unreadable,     // a read failed
        NoCode,         // the record holds no code
        SlotBeyond,     // a learned record's slot is past the allocation records
        SlotFree,       // a learned record's slot is not in use
        BlocksOutside,  // the slot's blocks lie outside the code area
    };

    Problem problem = Problem::None;
    std::string record;    // 44 hex digits, once read
    bool learned = false;  // learned (red) rather than downloaded (green)
    bool learnedFormat = false;
    int slot = -1;                               // a learned format's slot
    std::optional<AllocationRecord> allocation;  // that slot's record, when there is one
    std::string formatdata;                      // hex, read when the slot is in use and its blocks fit

    // Key record `index`, read as far as it can be.
    static StoredKeyCode read(RemoteDevice &device, const RemoteTables &tables, int index);
    // What stands in the way, in a few words ("it holds no code"); empty without a problem.
    std::string why() const;
    int blocks() const { return allocation ? allocation->blocks : 0; }
};
