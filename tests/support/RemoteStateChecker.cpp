#include "RemoteStateChecker.h"

#include <algorithm>

#include "BlockAllocator.h"
#include "BlockLayout.h"
#include "FormatCodec.h"
#include "KeyStateEntry.h"
#include "MemoryCheck.h"
#include "MemoryImageDevice.h"
#include "RemoteTablesReader.h"
#include "StoredKeyCode.h"

namespace
{
void compareText(const char *what, const std::string &tool, const std::string &remote,
                 std::vector<std::string> &differences)
{
    if (tool == remote)
        return;
    std::size_t at = 0;
    while (at < tool.size() && at < remote.size() && tool[at] == remote[at])
        ++at;
    differences.push_back(std::string(what) + " differs from character " + std::to_string(at) + ": tool \""
                          + tool.substr(at, 24) + "\", remote \"" + remote.substr(at, 24) + "\"");
}
}  // namespace

std::vector<std::string> RemoteStateChecker::repointedKeys(const std::vector<std::uint8_t> &before,
                                                           const std::vector<std::uint8_t> &after,
                                                           const std::set<std::uint32_t> &written)
{
    std::vector<std::string> repointed;
    MemoryImageDevice device(after);
    RemoteTablesReader::Result read = RemoteTablesReader::read(device);
    MemoryImageDevice deviceBefore(before);
    RemoteTablesReader::Result readBefore = RemoteTablesReader::read(deviceBefore);
    if (read.outcome != RemoteTablesReader::Outcome::Ok || before.size() != after.size())
        return repointed;
    RemoteTables &tables = read.tables;
    // A slot's format may grow by another key's timing: what an unchanged key sends must not change.
    const auto sends = [](RemoteDevice &image, const RemoteTables &of, int index) -> std::optional<IrSignal> {
        const StoredKeyCode code = StoredKeyCode::read(image, of, index);
        return code.problem == StoredKeyCode::Problem::None ? FormatCodec::regenerate(code.record, code.formatdata)
                                                            : std::nullopt;
    };
    const auto same = [&](std::size_t address, std::size_t bytes) {
        return address + bytes <= after.size()
               && std::equal(after.begin() + std::ptrdiff_t(address), after.begin() + std::ptrdiff_t(address + bytes),
                             before.begin() + std::ptrdiff_t(address));
    };
    const std::size_t slots = tables.alloctableaddr + std::size_t(BlockLayout::blockMapBytes(tables.blockcount));
    for (std::size_t i = 0; i < tables.keystates.size(); ++i) {
        const auto slot = KeyStateEntry::learnedSlot(tables.keystates[i]);
        const auto record = BlockAllocator(tables).record(slot.value_or(-1));
        const std::size_t at = tables.keytableaddr + BlockLayout::keyRecordBytes * i;
        if (!record || written.count(static_cast<std::uint32_t>(at)) > 0 || !same(at, BlockLayout::keyRecordBytes))
            continue;
        const std::size_t data =
            tables.codeareaaddr + std::size_t(BlockLayout::unitBytes) * std::size_t(record->firstblock);
        const bool moved =
            !same(slots + BlockLayout::allocationRecordBytes * std::size_t(*slot), BlockLayout::allocationRecordBytes)
            || !same(data, std::size_t(BlockLayout::unitBytes) * std::size_t(record->blocks));
        const auto now = moved ? sends(device, tables, static_cast<int>(i)) : std::nullopt;
        const auto then = now && readBefore.outcome == RemoteTablesReader::Outcome::Ok
                              ? sends(deviceBefore, readBefore.tables, static_cast<int>(i))
                              : std::nullopt;
        const auto slotBefore = BlockAllocator(readBefore.tables).record(*slot);
        const bool grown = then && slotBefore && slotBefore->formatid == record->formatid && now->frames == then->frames
                           && now->carrierHz == then->carrierHz;
        if (moved && !grown)
            repointed.push_back("key record " + std::to_string(i) + " is unchanged, but its slot "
                                + std::to_string(*slot) + " changed under it: now format " + record->formatid
                                + (record->inuse ? "" : ", free"));
    }
    return repointed;
}

std::string RemoteStateChecker::essence(const std::string &entry)
{
    const std::string code = entry.substr(0, 2);
    const char kind = entry.size() > 3 ? entry[3] : '?';
    if (kind == '0')
        return code + "|0";
    const char flag = entry.size() > 5 ? entry[5] : '?';
    if (flag == '1')
        return code + "|" + kind + "|1|" + (entry.size() > 7 ? entry.substr(7, 2) : std::string());
    return code + "|" + kind + "|" + flag;
}

std::vector<std::string> RemoteStateChecker::compare(const RemoteTables &tool, const std::vector<std::uint8_t> &image)
{
    std::vector<std::string> differences;
    MemoryImageDevice device(image);
    const RemoteTablesReader::Result fresh = RemoteTablesReader::read(device);
    if (fresh.outcome != RemoteTablesReader::Outcome::Ok) {
        differences.push_back("the remote's memory cannot be read afresh: " + fresh.reason);
        return differences;
    }
    const RemoteTables &remote = fresh.tables;
    if (tool.keystates.size() != remote.keystates.size()) {
        differences.push_back("keystates has " + std::to_string(tool.keystates.size()) + " entries, the remote "
                              + std::to_string(remote.keystates.size()));
    } else {
        for (std::size_t i = 0; i < tool.keystates.size(); ++i) {
            const std::string ours = essence(tool.keystates[i]);
            const std::string theirs = essence(remote.keystates[i]);
            if (ours != theirs)
                differences.push_back("entry " + std::to_string(i) + " (mode "
                                      + std::to_string(i / std::size_t(std::max(remote.keyspermode, 1))) + "): tool \""
                                      + tool.keystates[i] + "\", remote \"" + remote.keystates[i] + "\"");
        }
    }
    compareText("block map", tool.blockmap, remote.blockmap, differences);
    compareText("allocation records", tool.allocrecords, remote.allocrecords, differences);
    for (const std::string &line : MemoryCheck::check(image).corruption)
        differences.push_back("corrupt: " + line);
    return differences;
}
