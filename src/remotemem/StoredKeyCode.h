#pragma once

#include <optional>
#include <string>

#include "RemoteTables.h"

class RemoteDevice;

// A key's code as the remote holds it, read afresh: its 22-byte key record
// and, for a learned format, the format's data from the code area and where
// they lie. What the code means is the conversion library's to say.
struct StoredKeyCode
{
    std::string record;      // 44 hex digits
    bool learned = false;    // learned (red) rather than downloaded (green)
    int slot = -1;           // the learned format's allocation slot, or -1
    int blocks = 0;          // blocks its data take
    std::string formatdata;  // hex, empty for a format the remote knows

    // The code of key record `index`; nothing, with *why, when the record
    // cannot be read, holds no code, or refers to a slot that is not in use.
    static std::optional<StoredKeyCode> read(RemoteDevice &device, const RemoteTables &tables, int index,
                                             std::string *why);
};
