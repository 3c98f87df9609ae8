#include "MemoryCheck.h"

#include <set>
#include <utility>

#include "BlockAllocator.h"
#include "BlockLayout.h"
#include "HexText.h"
#include "KeyStateEntry.h"
#include "MemoryImageDevice.h"
#include "RemoteTablesReader.h"

namespace
{
const char *const modeNames[] = {"TV", "CBL", "SAT", "DVD", "VCR", "CD", "AMP", "AUX"};

std::string blockRange(int first, int last)
{
    return first == last ? "block " + std::to_string(first)
                         : "blocks " + std::to_string(first) + "-" + std::to_string(last);
}

class Checker
{
public:
    Checker(const std::vector<std::uint8_t> &image, RemoteTables &tables, MemoryCheck::Report &report)
        : m_image(image)
        , m_tables(tables)
        , m_allocator(tables)
        , m_report(report)
    { }

    void run()
    {
        checkKeyReferences();
        checkRecords();
        checkMap();
    }

private:
    void checkKeyReferences()
    {
        const std::size_t keys = static_cast<std::size_t>(m_tables.keyspermode);
        m_referenced.assign(static_cast<std::size_t>(m_tables.allocrecordcount), false);
        for (std::size_t i = 0; i < m_tables.keystates.size(); ++i) {
            const auto slot = KeyStateEntry::learnedSlot(m_tables.keystates[i]);
            if (!slot)
                continue;
            const std::string key = std::string("mode ") + modeNames[i / keys] + " key "
                                    + m_tables.keystates[i].substr(0, 2) + " (record " + std::to_string(i) + ")";
            if (*slot >= m_tables.allocrecordcount)
                corrupt(key + " refers to slot " + std::to_string(*slot) + ", beyond the "
                        + std::to_string(m_tables.allocrecordcount) + " allocation records");
            else if (const auto record = m_allocator.record(*slot); !record || !record->inuse)
                corrupt(key + " refers to slot " + std::to_string(*slot) + ", which is free");
            else
                m_referenced[static_cast<std::size_t>(*slot)] = true;
        }
    }

    void checkRecords()
    {
        m_owner.assign(m_tables.blockmap.size(), -1);
        for (int slot = 0; slot < m_tables.allocrecordcount; ++slot) {
            const auto found = m_allocator.record(slot);
            if (!found || !found->inuse)
                continue;
            const AllocationRecord &record = *found;
            const std::string name = "slot " + std::to_string(slot) + " (format " + record.formatid + ")";
            if (!m_referenced[static_cast<std::size_t>(slot)])
                m_report.leaks.push_back(name + " is in use but no key refers to it");
            if (record.blocks == 0)
                continue;
            const int last = record.firstblock + record.blocks - 1;
            if (last >= m_tables.blockcount)
                corrupt(name + " holds " + blockRange(record.firstblock, last) + ", outside the code area of "
                        + std::to_string(m_tables.blockcount) + " blocks");
            int unmarked = 0;
            for (int b = record.firstblock; b <= last; ++b) {
                if (!marked(b))
                    ++unmarked;
                if (static_cast<std::size_t>(b) >= m_owner.size())
                    continue;
                int &owner = m_owner[static_cast<std::size_t>(b)];
                if (owner < 0)
                    owner = slot;
                else if (m_overlaps.insert({owner, slot}).second)
                    corrupt("slots " + std::to_string(owner) + " and " + std::to_string(slot) + " both hold block "
                            + std::to_string(b));
            }
            if (unmarked > 0)
                corrupt(name + " holds " + blockRange(record.firstblock, last) + " but " + std::to_string(unmarked)
                        + " of them are free in the block map");
        }
    }

    void checkMap()
    {
        int runStart = -1;
        const int size = static_cast<int>(m_owner.size());
        for (int b = 0; b <= size; ++b) {
            const bool leaked = b < size && marked(b) && m_owner[static_cast<std::size_t>(b)] < 0;
            if (leaked && runStart < 0)
                runStart = b;
            if (!leaked && runStart >= 0) {
                m_report.leaks.push_back(blockRange(runStart, b - 1) + " marked in use, owned by no slot");
                runStart = -1;
            }
        }
    }

    // The block map as it lies in the image, before start-up marks the records' blocks.
    bool marked(int block) const
    {
        if (block < 0 || block >= 8 * BlockLayout::blockMapBytes(m_tables.blockcount))
            return false;
        const std::uint8_t byte = m_image[m_tables.alloctableaddr + static_cast<std::size_t>(block) / 8];
        return (byte >> (7 - block % 8) & 1) != 0;
    }

    void corrupt(std::string line) { m_report.corruption.push_back(std::move(line)); }

    const std::vector<std::uint8_t> &m_image;
    RemoteTables &m_tables;
    BlockAllocator m_allocator;
    MemoryCheck::Report &m_report;
    std::vector<bool> m_referenced;
    std::vector<int> m_owner;
    std::set<std::pair<int, int>> m_overlaps;  // one line per pair, at the first block they share
};
}  // namespace

MemoryCheck::Report MemoryCheck::check(const std::vector<std::uint8_t> &image)
{
    Report report;
    if (image.size() != BlockLayout::memorySize) {
        report.corruption.push_back("the image holds " + std::to_string(image.size()) + " bytes, not "
                                    + std::to_string(BlockLayout::memorySize));
        return report;
    }
    MemoryImageDevice device(image);
    RemoteTablesReader::Result read = RemoteTablesReader::read(device);
    if (read.outcome != RemoteTablesReader::Outcome::Ok) {
        report.corruption.push_back("the tables cannot be read: " + read.reason);
        return report;
    }
    Checker(image, read.tables, report).run();
    return report;
}

int runMemoryCheck(const std::vector<std::uint8_t> &image, std::ostream &out)
{
    const MemoryCheck::Report report = MemoryCheck::check(image);
    for (const std::string &line : report.corruption)
        out << "corrupt: " << line << '\n';
    for (const std::string &line : report.leaks)
        out << "leak: " << line << '\n';
    return report.consistent() ? 0 : 1;
}
