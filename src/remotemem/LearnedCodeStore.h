#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "BlockAllocator.h"
#include "RemoteTables.h"

class RemoteDevice;

// Key records and learned formats on the remote: dropping a key's code
// (freeing its learned format when no other key uses it), storing a learned
// format's data in free blocks, and writing the allocation area back. The
// working copies change first; the remote gets the change right after.
class LearnedCodeStore
{
public:
    LearnedCodeStore(RemoteTables &tables, RemoteDevice &device);

    bool isknownformat(std::string_view formatid) const;

    // Drops the code of the key record at `index` (whose entry must carry `keycode`)
    // and frees the learned format its entry names when no other entry refers to
    // the slot. A slot the caller's new key record will refer to is named in
    // `keptslot` and stays. Returns true when the code could not be cleared on
    // the remote; nothing is freed then.
    bool releasekeycode(int index, std::string_view keycode, std::optional<int> keptslot = std::nullopt);

    // Where format data would go, without changing anything: the first block of
    // the first free run long enough for it, once `freedslot` is freed.
    std::optional<int> findfreerun(std::string_view formatdata, std::optional<int> freedslot = std::nullopt) const;
    // The learned formats the remote holds, for the converter: "FFFFFF:DATA"
    // items divided by ";", one per slot in use, in slot order. Data the working
    // copies lack are read from the code area once; a slot whose blocks cannot
    // be read is left out.
    std::string storedformats();
    // Puts the format in the slot named by the first two digits of `slotref`, marks
    // its blocks and writes the data to the code area. False, with nothing
    // changed, when there is no room, the slot is not free, the texts are not hex
    // or the remote refuses the data.
    // The caller writes the allocation area afterwards.
    bool storeformatblocks(const std::string &formatid, std::string_view formatdata, std::string_view slotref);

    // The block map and allocation records of the working copies.
    struct Allocation
    {
        std::string blockmap;
        std::string allocrecords;
    };
    Allocation allocation() const;

    std::string packblockmap() const;
    // The block map and all allocation records in one write. When the remote
    // refuses it, the working copies go back to `before`, what the remote holds.
    bool writeallocationarea(const Allocation &before);

private:
    // The data of an in-use slot: from the working copies, or read from its blocks.
    std::optional<std::string> slotformatdata(int slot);
    void remember(int slot, std::string_view formatdata);
    void restore(const Allocation &before);
    bool write(std::uint32_t address, const std::string &data);

    RemoteTables &m_tables;
    RemoteDevice &m_device;
    BlockAllocator m_allocator;
};
