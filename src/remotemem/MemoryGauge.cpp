#include "MemoryGauge.h"

#include <algorithm>

#include "AllocationRecord.h"
#include "KeyStateEntry.h"

namespace
{
std::string counted(const char *name, const MemoryGauge::Count &count)
{
    return std::string(name) + " " + std::to_string(count.used) + "/" + std::to_string(count.total);
}
}  // namespace

MemoryGauge MemoryGauge::of(const RemoteTables &tables)
{
    MemoryGauge gauge;
    gauge.keys.total = static_cast<int>(tables.keystates.size());
    gauge.keys.used =
        static_cast<int>(std::count_if(tables.keystates.begin(), tables.keystates.end(), [](const std::string &entry) {
            const auto kind = KeyStateEntry::kind(entry);
            return kind && *kind != KeyStateEntry::Kind::None;
        }));
    gauge.formatSlots.total = tables.allocrecordcount;
    for (int slot = 0; slot < tables.allocrecordcount; ++slot) {
        const auto record = AllocationRecord::inSlot(tables.allocrecords, slot);
        gauge.formatSlots.used += record && record->inuse ? 1 : 0;
    }
    // The map may run up to seven spare blocks past the code area.
    const std::size_t mapped =
        std::min(tables.blockmap.size(), static_cast<std::size_t>(std::max(tables.blockcount, 0)));
    gauge.blocks.total = tables.blockcount;
    gauge.blocks.used = static_cast<int>(
        std::count(tables.blockmap.begin(), tables.blockmap.begin() + static_cast<std::ptrdiff_t>(mapped), '1'));
    return gauge;
}

std::string MemoryGauge::text() const
{
    const std::string dot = " \u00B7 ";
    return counted("Keys", keys) + dot + counted("Slots", formatSlots) + dot + counted("Blocks", blocks);
}
