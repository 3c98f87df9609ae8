#include "StoredKeyCode.h"

#include "BlockLayout.h"
#include "HexText.h"
#include "KeyStateEntry.h"
#include "RemoteWrite.h"

namespace
{
// Byte 0: bit 7 set and bit 5 clear holds a code; bit 6 set is a learned one.
constexpr std::uint8_t holdsCodeBits = 0xA0;
constexpr std::uint8_t holdsCode = 0x80;
constexpr std::uint8_t learnedCode = 0x40;
// Byte 2: bit 7 set refers to a learned format by its slot in byte 3.
constexpr std::uint8_t learnedFormatBit = 0x80;
}  // namespace

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
    const auto status = HexText::byteAt(code.record, 0);
    const auto reference = HexText::byteAt(code.record, 4);
    if (code.record.size() < KeyStateEntry::recordDigits || !status || !reference)
        return stop(Problem::Unreadable);
    if ((*status & holdsCodeBits) != holdsCode)
        return stop(Problem::NoCode);
    code.learned = (*status & learnedCode) != 0;
    code.learnedFormat = (*reference & learnedFormatBit) != 0;
    if (!code.learnedFormat)
        return code;

    code.slot = *HexText::byteAt(code.record, 6);
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
