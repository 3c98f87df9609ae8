#include "StoredKeyCode.h"

#include "BlockLayout.h"
#include "KeyStateEntry.h"
#include "RemoteWrite.h"

StoredKeyCode StoredKeyCode::read(RemoteDevice &device, const RemoteTables &tables, int index)
{
    StoredKeyCode code;
    const auto stop = [&code](Problem problem) {
        code.problem = problem;
        return code;
    };
    if (index < 0 || static_cast<std::size_t>(index) >= tables.keystates.size())
        return stop(Problem::Unreadable);
    code.record =
        RemoteWrite::read(device, tables.keytableaddr + static_cast<std::uint32_t>(BlockLayout::keyRecordBytes * index),
                          BlockLayout::keyRecordBytes)
            .value_or(std::string());
    // The record's bits read as the key-state table reads them.
    const auto entry = KeyStateEntry::fromRecord(
        std::string_view(tables.keystates[static_cast<std::size_t>(index)]).substr(0, 2), code.record);
    if (code.record.size() < KeyStateEntry::recordDigits || !entry)
        return stop(Problem::Unreadable);
    const auto kind = KeyStateEntry::kind(*entry);
    if (kind == KeyStateEntry::Kind::None)
        return stop(Problem::NoCode);
    code.learned = kind == KeyStateEntry::Kind::Learned;
    const auto slot = KeyStateEntry::learnedSlot(*entry);
    code.learnedFormat = slot.has_value();
    if (!slot)
        return code;

    code.slot = *slot;
    if (code.slot >= tables.allocrecordcount)
        return stop(Problem::SlotBeyond);
    code.allocation = AllocationRecord::inSlot(tables.allocrecords, code.slot);
    if (!code.allocation || !code.allocation->inuse)
        return stop(Problem::SlotFree);
    if (code.allocation->firstblock + code.allocation->blocks > tables.blockcount)
        return stop(Problem::BlocksOutside);
    if (code.allocation->blocks == 0)
        return code;
    code.formatdata =
        RemoteWrite::read(device,
                          tables.codeareaaddr
                              + static_cast<std::uint32_t>(BlockLayout::unitBytes * code.allocation->firstblock),
                          BlockLayout::unitBytes * code.allocation->blocks)
            .value_or(std::string());
    return code.formatdata.empty() ? stop(Problem::Unreadable) : code;
}

std::string StoredKeyCode::why() const
{
    switch (problem) {
    case Problem::None:
        break;
    case Problem::Unreadable:
        return "the remote's memory cannot be read";
    case Problem::NoCode:
        return "it holds no code";
    case Problem::SlotBeyond:
        return "it refers to slot " + std::to_string(slot) + ", beyond the allocation records";
    case Problem::SlotFree:
        return "it refers to slot " + std::to_string(slot) + ", which holds no format";
    case Problem::BlocksOutside:
        return "its format's blocks lie outside the code area";
    }
    return {};
}
