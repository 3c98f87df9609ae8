#include "MemoryRestore.h"

#include <algorithm>
#include <functional>

#include "BlockLayout.h"
#include "BlockWriter.h"
#include "HexText.h"
#include "MemoryCheck.h"
#include "MemoryGauge.h"
#include "MemoryImageDevice.h"
#include "RemoteImage.h"
#include "RemoteTablesReader.h"

namespace
{
// Writes of at most 256 bytes, as large as the remote's other writes; key
// records go eleven at a time.
constexpr std::size_t pieceBytes = 256;
constexpr std::size_t recordsAWrite = pieceBytes / BlockLayout::keyRecordBytes;

struct Area
{
    std::uint32_t address = 0;
    std::size_t bytes = 0;
};

Area keyRecords(const RemoteTables &tables)
{
    return {tables.keytableaddr, tables.keystates.size() * BlockLayout::keyRecordBytes};
}

Area allocationArea(const RemoteTables &tables)
{
    return {tables.alloctableaddr,
            static_cast<std::size_t>(BlockLayout::blockMapBytes(tables.blockcount)
                                     + tables.allocrecordcount * BlockLayout::allocationRecordBytes)};
}

Area codeArea(const RemoteTables &tables)
{
    return {tables.codeareaaddr, static_cast<std::size_t>(tables.blockcount) * BlockLayout::unitBytes};
}

std::vector<std::uint8_t> bytesOf(const std::vector<std::uint8_t> &image, std::uint32_t address, std::size_t count)
{
    return {image.begin() + address, image.begin() + static_cast<std::ptrdiff_t>(address + count)};
}

std::string hexOf(const std::vector<std::uint8_t> &bytes)
{
    return HexText::formatBytes(bytes.data(), bytes.size());
}

// What must agree between the remote's tables and the image's for the
// image's records to land in the right place under the right key.
struct Placement
{
    const char *what;
    long (*of)(const RemoteTables &);
};
const Placement placements[] = {
    {"the number of keys a mode", [](const RemoteTables &t) { return long{t.keyspermode}; }},
    {"the key table's address", [](const RemoteTables &t) { return long{t.keytableaddr}; }},
    {"the allocation area's address", [](const RemoteTables &t) { return long{t.alloctableaddr}; }},
    {"the number of allocation slots", [](const RemoteTables &t) { return long{t.allocrecordcount}; }},
    {"the code area's address", [](const RemoteTables &t) { return long{t.codeareaaddr}; }},
    {"the number of blocks", [](const RemoteTables &t) { return long{t.blockcount}; }},
    {"the number of key records", [](const RemoteTables &t) { return static_cast<long>(t.keystates.size()); }},
};

// Where the two sets of tables differ in a way that would put the image's
// records in the wrong place or under the wrong key; empty when they agree.
std::string layoutDifference(const RemoteTables &remote, const RemoteTables &image)
{
    for (const Placement &placement : placements) {
        if (placement.of(remote) != placement.of(image))
            return std::string(placement.what) + " is " + std::to_string(placement.of(image)) + " in the backup and "
                   + std::to_string(placement.of(remote)) + " on this remote";
    }
    for (std::size_t i = 0; i < remote.keystates.size(); ++i) {
        if (remote.keystates[i].compare(0, 2, image.keystates[i], 0, 2) != 0)
            return "the backup lists its keys in another order than this remote";
    }
    return {};
}

std::string counted(int count, const std::string &one, const std::string &many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}
}  // namespace

MemoryRestore::Result MemoryRestore::restore(RemoteDevice &device, const RemoteTables &remote,
                                             const std::vector<std::uint8_t> &image)
{
    Result result;
    const auto unusable = [&result](std::string why) {
        result.outcome = Outcome::TablesUnusable;
        result.detail = std::move(why);
        return result;
    };
    if (image.size() != BlockLayout::memorySize)
        return unusable("the backup holds " + std::to_string(image.size()) + " bytes, not "
                        + std::to_string(BlockLayout::memorySize));
    MemoryImageDevice imageDevice(image);
    RemoteTablesReader::Result read = RemoteTablesReader::read(imageDevice);
    if (read.outcome != RemoteTablesReader::Outcome::Ok)
        return unusable("the backup's tables cannot be read: " + read.reason);
    const RemoteTables &tables = read.tables;
    if (const std::string why = layoutDifference(remote, tables); !why.empty())
        return unusable(why);
    // Written faithfully, a broken backup would break the remote.
    if (const MemoryCheck::Report check = MemoryCheck::check(image); !check.consistent())
        return unusable("the backup's learned codes are not sound: " + check.corruption.front());

    result.restored = MemoryGauge::of(tables);

    const auto write = [&](std::uint32_t address, const std::vector<std::uint8_t> &bytes, const char *step) {
        if (BlockWriter::write(device, remote.writeselector, address, hexOf(bytes)))
            return true;
        result.outcome = Outcome::WriteRefused;
        result.detail = step;
        return false;
    };
    const Area records = keyRecords(tables);
    const Area allocation = allocationArea(tables);
    const Area code = codeArea(tables);

    for (std::size_t first = 0; first < tables.keystates.size(); first += recordsAWrite) {
        const std::size_t count = std::min(recordsAWrite, tables.keystates.size() - first);
        const std::uint32_t address = records.address + static_cast<std::uint32_t>(first * BlockLayout::keyRecordBytes);
        std::vector<std::uint8_t> bytes = bytesOf(image, address, count * BlockLayout::keyRecordBytes);
        for (std::size_t r = 0; r < count; ++r)
            bytes[r * BlockLayout::keyRecordBytes] = 0;
        if (!write(address, bytes, "clearing the key records"))
            return result;
    }
    // The slots before the block map: a slot never holds blocks the map calls free.
    const std::size_t mapBytes = static_cast<std::size_t>(BlockLayout::blockMapBytes(tables.blockcount));
    if (!write(allocation.address + static_cast<std::uint32_t>(mapBytes),
               std::vector<std::uint8_t>(allocation.bytes - mapBytes, 0), "emptying the allocation slots")
        || !write(allocation.address, std::vector<std::uint8_t>(mapBytes, 0), "emptying the block map"))
        return result;
    for (std::size_t offset = 0; offset < code.bytes; offset += pieceBytes) {
        const std::uint32_t address = code.address + static_cast<std::uint32_t>(offset);
        if (!write(address, bytesOf(image, address, std::min(pieceBytes, code.bytes - offset)),
                   "writing the code area"))
            return result;
    }
    if (!write(allocation.address, bytesOf(image, allocation.address, allocation.bytes), "writing the allocation area"))
        return result;
    for (std::size_t r = 0; r < tables.keystates.size(); ++r) {
        const std::uint32_t address = records.address + static_cast<std::uint32_t>(r * BlockLayout::keyRecordBytes);
        if (image[address] != 0 && !write(address, {image[address]}, "bringing back the key records"))
            return result;
    }

    const auto readBack = RemoteImage::read(device);
    if (!readBack) {
        result.outcome = Outcome::ReadBackFailed;
        return result;
    }
    const auto differing = [&](const Area &area, std::size_t unit) {
        int count = 0;
        for (std::size_t offset = 0; offset < area.bytes; offset += unit) {
            const auto at = static_cast<std::ptrdiff_t>(area.address + offset);
            const auto length = static_cast<std::ptrdiff_t>(std::min(unit, area.bytes - offset));
            count += std::equal(image.begin() + at, image.begin() + at + length, readBack->begin() + at) ? 0 : 1;
        }
        return count;
    };
    if (const int keys = differing(records, BlockLayout::keyRecordBytes))
        result.differences.push_back(counted(keys, "key record", "key records"));
    if (differing(allocation, allocation.bytes))
        result.differences.push_back("the allocation area");
    if (const int blocks = differing(code, BlockLayout::unitBytes))
        result.differences.push_back(counted(blocks, "block of the code area", "blocks of the code area"));
    result.outcome = result.differences.empty() ? Outcome::Restored : Outcome::Differs;
    return result;
}
