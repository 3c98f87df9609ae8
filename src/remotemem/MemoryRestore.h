#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MemoryGauge.h"
#include "RemoteTables.h"

class RemoteDevice;

// Puts the learned tables of a memory image (a backup's) on a remote whose
// tables lie where the image's do: every mode's key records, the allocation
// area and the code area. The rest of the memory, the identity among it,
// stays the remote's own.
//
// The writes come in an order that never leaves a key record or an
// allocation record referring to data that is not written yet, whichever
// write the remote refuses:
//   1. the key records with their first byte cleared: no key holds a code,
//      none refers to a slot any more (a refused write leaves the records it
//      did not reach as they were, with their allocation intact);
//   2. empty allocation slots, then an empty block map: no slot refers to
//      blocks any more;
//   3. the code area;
//   4. the image's allocation area, whose slots now refer to written blocks;
//   5. the first byte of each key record of the image that holds a code: a
//      record comes alive only once everything it refers to is in place.
// The first refused write ends the restore; what was written by then is
// consistent. Each write is assumed to land whole or, when it fails, to land
// at most a part from its first byte on, as the remote's writes do.
class MemoryRestore
{
public:
    enum class Outcome
    {
        Restored,        // written and read back the same
        Differs,         // written, but the read back differs (see differences)
        TablesUnusable,  // the image's tables cannot be read, or lie elsewhere than the remote's
        WriteRefused,    // the remote refused a write (see step)
        ReadBackFailed,  // written, but the memory could not be read back
    };

    struct Result
    {
        Outcome outcome = Outcome::Restored;
        std::string detail;  // why the tables are unusable, or which write the remote refused
        std::vector<std::string> differences;
        // What the image holds: key records with a code, slots and blocks in use.
        MemoryGauge restored;
    };

    // `remote`: the remote's tables as start-up read them.
    static Result restore(RemoteDevice &device, const RemoteTables &remote, const std::vector<std::uint8_t> &image);
};
