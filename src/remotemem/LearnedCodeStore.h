#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "BlockAllocator.h"
#include "RemoteTables.h"
#include "RemoteWrite.h"

class RemoteDevice;

// Key records and learned formats on the remote: dropping a key's code
// (freeing its learned format when no other key uses it), storing a learned
// format's data in free blocks, and writing the allocation area back. The
// working copies change first; the remote gets the change right after. A
// write that reports failure is read back: the copies follow what the remote
// holds, which a lost reply does not tell.
class LearnedCodeStore
{
public:
    LearnedCodeStore(RemoteTables &tables, RemoteDevice &device);

    bool isknownformat(std::string_view formatid) const;

    // Drops the code of the key record at `index` (whose entry must carry `keycode`)
    // and frees the learned format its entry names when no other entry refers to
    // the slot. A slot the caller's new key record will refer to is named in
    // `keptslot` and stays. Returns true when the remote still holds the code,
    // or may (its record could not be read back); nothing is freed then.
    bool releasekeycode(int index, std::string_view keycode, std::optional<int> keptslot = std::nullopt);

    // Where format data would go, without changing anything: the first block of
    // the first free run long enough for it, once `freedslot` is freed.
    std::optional<int> findfreerun(std::string_view formatdata, std::optional<int> freedslot = std::nullopt) const;
    // The learned formats the remote holds, for the converter: "FFFFFF:DATA"
    // items divided by ";", one per slot in use, in slot order, each followed by
    // ":" and the parts A and B of every key record that refers to the slot, as
    // read from the remote (none at all when the key table cannot be read),
    // but the one at `exceptindex`, whose code is about to be replaced. That
    // one's parts follow as a last item, "replaced:FFFFFF:PARTS", when it
    // refers to one of the slots.
    // Data the working copies lack are read from the code area once; a slot
    // whose blocks cannot be read is left out.
    std::string storedformats(std::optional<std::size_t> exceptindex = std::nullopt);
    // The data of an in-use slot, as storedformats gave them; none when unknown.
    std::optional<std::string> storeddata(int slot) const;
    // Puts the format in the slot named by the first two digits of `slotref`, marks
    // its blocks and writes the data to the code area. False, with nothing
    // changed, when there is no room, the slot is not free, the texts are not hex
    // or the remote refuses the data.
    // The caller writes the allocation area afterwards.
    bool storeformatblocks(const std::string &formatid, std::string_view formatdata, std::string_view slotref);
    // Gives the in-use `slot` new data for its format: written to free blocks
    // beside the old ones, which the old data keep until the caller's write of
    // the allocation area names the new blocks and frees the old. False, with
    // nothing changed, when there is no room or the remote refuses the data.
    bool replaceformatblocks(int slot, const std::string &formatid, std::string_view formatdata);

    // The block map and allocation records of the working copies.
    struct Allocation
    {
        std::string blockmap;
        std::string allocrecords;
    };
    Allocation allocation() const;

    std::string packblockmap() const;
    // The block map and all allocation records in one write; true when the remote
    // holds them. Otherwise the working copies take what it holds instead, read
    // back, or `before` (what it held) when that cannot be read.
    bool writeallocationarea(const Allocation &before);
    // Makes `wanted` the allocation area again, on the remote and in the copies.
    bool putallocation(const Allocation &wanted);
    // The allocation area as start-up would read it from `text`, its hex bytes.
    std::optional<Allocation> parseallocationarea(std::string_view text) const;

private:
    // The data of an in-use slot: from the working copies, or read from its blocks.
    std::optional<std::string> slotformatdata(int slot);
    // The parts of the record at `index` in `keytable` (the key table as hex
    // text) when it refers to `slot`; empty otherwise.
    std::string_view recordparts(std::string_view keytable, std::size_t index, int slot) const;
    // Claims `slot` (freed first when `replacing` its format) for the data in
    // the first free run, and writes them there; the copies stay as they were
    // unless the remote holds the data.
    bool putformatblocks(int slot, const std::string &formatid, std::string_view formatdata, bool replacing);
    void remember(int slot, std::string_view formatdata);
    void restore(const Allocation &before);
    RemoteWrite::Result write(std::uint32_t address, const std::string &data);

    RemoteTables &m_tables;
    RemoteDevice &m_device;
    BlockAllocator m_allocator;
};
