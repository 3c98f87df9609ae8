#include "LearnedCodeStore.h"

#include <algorithm>

#include "BlockLayout.h"
#include "BlockParser.h"
#include "BlockReader.h"
#include "HexText.h"
#include "KeyStateEntry.h"
#include "RemoteDevice.h"

LearnedCodeStore::LearnedCodeStore(RemoteTables &tables, RemoteDevice &device)
    : m_tables(tables)
    , m_device(device)
    , m_allocator(tables)
{ }

bool LearnedCodeStore::isknownformat(std::string_view formatid) const
{
    return std::any_of(m_tables.knownformats.begin(), m_tables.knownformats.end(),
                       [&](const std::string &known) { return HexText::sameDigits(known, formatid); });
}

bool LearnedCodeStore::releasekeycode(int index, std::string_view keycode, std::optional<int> keptslot)
{
    // A wrong index would clear another key's record.
    if (index < 0 || static_cast<std::size_t>(index) >= m_tables.keystates.size()
        || !KeyStateEntry::hasKeyCode(m_tables.keystates[static_cast<std::size_t>(index)], keycode,
                                      KeyStateEntry::CodeMatch::IgnoringCase))
        return true;
    const std::uint32_t address =
        m_tables.keytableaddr + std::uint32_t{BlockLayout::keyRecordBytes} * static_cast<std::uint32_t>(index);
    if (address + BlockLayout::keyRecordBytes > BlockLayout::memorySize)
        return true;
    // The old record is read first, as the remote's delete sequence has it, but
    // what the key held is what its entry says: an old record that cannot be
    // read must not keep its format for good, nor free another on its word.
    BlockReader::read(m_device, static_cast<std::uint16_t>(address), 5, 512);
    const bool failed = !write(address, "00").written();

    // Only a cleared code frees anything: a record still on the remote would refer to a free slot.
    const auto slot = KeyStateEntry::learnedSlot(m_tables.keystates[static_cast<std::size_t>(index)]);
    if (failed || !slot || keptslot == *slot || m_allocator.slotReferenced(*slot, static_cast<std::size_t>(index)))
        return failed;
    const Allocation before = allocation();
    if (m_allocator.freeSlot(*slot))
        writeallocationarea(before);
    return failed;
}

std::optional<int> LearnedCodeStore::findfreerun(std::string_view formatdata, std::optional<int> freedslot) const
{
    return m_allocator.findFreeRun(BlockLayout::blocksFor(formatdata.size()), freedslot);
}

std::string LearnedCodeStore::storedformats(std::optional<std::size_t> exceptindex)
{
    std::string items;
    std::string replaced;
    std::optional<std::string> keytable;
    for (int slot = 0; slot < m_tables.allocrecordcount; ++slot) {
        const auto record = m_allocator.record(slot);
        const auto data = slotformatdata(slot);
        if (!data)
            continue;
        items += (items.empty() ? "" : ";") + record->formatid + ":" + *data;
        // The converter keeps a key's own timing in a format's data while a record names it.
        if (!keytable)
            keytable = RemoteWrite::read(m_device, m_tables.keytableaddr,
                                         m_tables.keystates.size() * BlockLayout::keyRecordBytes)
                           .value_or(std::string());
        if (keytable->empty())
            continue;
        items += ":";
        for (std::size_t index = 0; index < m_tables.keystates.size(); ++index) {
            if (index != exceptindex)
                items += recordparts(*keytable, index, slot);
        }
        // The key about to be replaced may keep its code when a new capture of it still fits.
        if (const std::string_view parts =
                exceptindex ? recordparts(*keytable, *exceptindex, slot) : std::string_view();
            !parts.empty())
            replaced = ";replaced:" + record->formatid + ":" + std::string(parts);
    }
    return items + replaced;
}

std::string_view LearnedCodeStore::recordparts(std::string_view keytable, std::size_t index, int slot) const
{
    if (index >= m_tables.keystates.size())
        return {};
    const std::string_view record = keytable.substr(index * KeyStateEntry::recordDigits, KeyStateEntry::recordDigits);
    const auto entry = KeyStateEntry::fromRecord(std::string_view(m_tables.keystates[index]).substr(0, 2), record);
    return entry && KeyStateEntry::learnedSlot(*entry) == slot ? record.substr(KeyStateEntry::headerDigits)
                                                               : std::string_view();
}

std::optional<std::string> LearnedCodeStore::storeddata(int slot) const
{
    const auto record = m_allocator.record(slot);
    const auto index = static_cast<std::size_t>(slot);
    if (!record || !record->inuse || index >= m_tables.slotformats.size()
        || m_tables.slotformats[index].record != record->text())
        return std::nullopt;
    return m_tables.slotformats[index].data;
}

std::optional<std::string> LearnedCodeStore::slotformatdata(int slot)
{
    const auto record = m_allocator.record(slot);
    if (!record || !record->inuse)
        return std::nullopt;
    if (const auto stored = storeddata(slot))
        return stored;
    // Blocks outside the code area hold no format of ours.
    if (record->blocks == 0 || record->firstblock + record->blocks > m_tables.blockcount)
        return std::nullopt;
    const auto data = RemoteWrite::read(
        m_device,
        m_tables.codeareaaddr + std::uint32_t{BlockLayout::unitBytes} * static_cast<std::uint32_t>(record->firstblock),
        static_cast<std::size_t>(BlockLayout::unitBytes * record->blocks));
    if (data)
        remember(slot, *data);
    return data;
}

void LearnedCodeStore::remember(int slot, std::string_view formatdata)
{
    const auto record = m_allocator.record(slot);
    const auto index = static_cast<std::size_t>(slot);
    if (!record)
        return;
    if (m_tables.slotformats.size() <= index)
        m_tables.slotformats.resize(index + 1);
    m_tables.slotformats[index] = {record->text(), std::string(formatdata)};
}

bool LearnedCodeStore::storeformatblocks(const std::string &formatid, std::string_view formatdata,
                                         std::string_view slotref)
{
    const auto slot = HexText::parse(slotref.substr(0, 2));
    return slotref.size() >= 2 && slot && putformatblocks(static_cast<int>(*slot), formatid, formatdata, false);
}

bool LearnedCodeStore::replaceformatblocks(int slot, const std::string &formatid, std::string_view formatdata)
{
    return putformatblocks(slot, formatid, formatdata, true);
}

bool LearnedCodeStore::putformatblocks(int slot, const std::string &formatid, std::string_view formatdata,
                                       bool replacing)
{
    // Data go to the remote whole bytes at a time. The run is found while a
    // replaced format's blocks are taken: the new data never overwrite the old.
    const auto first = formatdata.empty() || !HexText::bytes(formatdata) ? std::nullopt : findfreerun(formatdata);
    if (!first)
        return false;
    // Claimed first, so that nothing goes to the remote for a slot or id that cannot be
    // used; the blocks stay claimed only for data the remote holds.
    const Allocation before = allocation();
    if ((replacing && !m_allocator.freeSlot(slot))
        || !m_allocator.claim(slot, formatid, *first, BlockLayout::blocksFor(formatdata.size()))) {
        restore(before);
        return false;
    }
    const auto offset = std::uint32_t{BlockLayout::unitBytes} * static_cast<std::uint32_t>(*first);
    if (write(m_tables.codeareaaddr + offset, std::string(formatdata)).written()) {
        remember(slot, formatdata);
        return true;
    }
    restore(before);
    return false;
}

std::string LearnedCodeStore::packblockmap() const
{
    return m_allocator.packblockmap();
}

LearnedCodeStore::Allocation LearnedCodeStore::allocation() const
{
    return {m_tables.blockmap, m_tables.allocrecords};
}

bool LearnedCodeStore::writeallocationarea(const Allocation &before)
{
    const RemoteWrite::Result result = write(m_tables.alloctableaddr, packblockmap() + m_tables.allocrecords);
    if (result.written())
        return true;
    // Copies that differ from the remote would free or claim the wrong blocks later.
    restore(parseallocationarea(result.held).value_or(before));
    return false;
}

bool LearnedCodeStore::putallocation(const Allocation &wanted)
{
    const Allocation current = allocation();
    restore(wanted);
    return writeallocationarea(current);
}

std::optional<LearnedCodeStore::Allocation> LearnedCodeStore::parseallocationarea(std::string_view text) const
{
    RemoteTables read;
    read.blockcount = m_tables.blockcount;
    read.allocrecordcount = m_tables.allocrecordcount;
    if (!BlockParser::parseAllocationArea(text, read).empty())
        return std::nullopt;
    return Allocation{read.blockmap, read.allocrecords};
}

void LearnedCodeStore::restore(const Allocation &before)
{
    m_tables.blockmap = before.blockmap;
    m_tables.allocrecords = before.allocrecords;
}

RemoteWrite::Result LearnedCodeStore::write(std::uint32_t address, const std::string &data)
{
    return RemoteWrite::write(m_device, m_tables.writeselector, address, data);
}
