#include "StoredKeyCode.h"

#include "AllocationRecord.h"
#include "BlockLayout.h"
#include "BlockReader.h"
#include "HexText.h"
#include "KeyStateEntry.h"

namespace
{
// Byte 0: bit 7 set and bit 5 clear holds a code; bit 6 set is a learned one.
constexpr std::uint8_t holdsCodeBits = 0xA0;
constexpr std::uint8_t holdsCode = 0x80;
constexpr std::uint8_t learnedCode = 0x40;
// Byte 2: bit 7 set refers to a learned format by its slot in byte 3.
constexpr std::uint8_t learnedFormat = 0x80;
constexpr int recordUnits = (BlockLayout::keyRecordBytes + BlockLayout::unitBytes - 1) / BlockLayout::unitBytes;

std::string readHex(RemoteDevice &device, std::uint32_t address, int units)
{
    if (address + static_cast<std::uint32_t>(units) * BlockLayout::unitBytes > BlockLayout::memorySize)
        return {};
    return BlockReader::read(device, static_cast<std::uint16_t>(address), units,
                             2 * BlockLayout::unitBytes * static_cast<std::size_t>(units));
}

std::optional<StoredKeyCode> unread(std::string *why, std::string text)
{
    *why = std::move(text);
    return std::nullopt;
}
}  // namespace

std::optional<StoredKeyCode> StoredKeyCode::read(RemoteDevice &device, const RemoteTables &tables, int index,
                                                 std::string *why)
{
    if (index < 0 || static_cast<std::size_t>(index) >= tables.keystates.size())
        return unread(why, "the key has no record");
    const std::uint32_t address = tables.keytableaddr + static_cast<std::uint32_t>(BlockLayout::keyRecordBytes * index);
    const std::string record = readHex(device, address, recordUnits).substr(0, KeyStateEntry::recordDigits);
    const auto status = HexText::byteAt(record, 0);
    const auto reference = HexText::byteAt(record, 4);
    if (record.size() < KeyStateEntry::recordDigits || !HexText::bytes(record) || !status || !reference)
        return unread(why, "its key record cannot be read");
    if ((*status & holdsCodeBits) != holdsCode)
        return unread(why, "it holds no code");
    StoredKeyCode code;
    code.record = record;
    code.learned = (*status & learnedCode) != 0;
    if ((*reference & learnedFormat) == 0)
        return code;

    code.slot = *HexText::byteAt(record, 6);
    const auto allocation =
        code.slot < tables.allocrecordcount ? AllocationRecord::inSlot(tables.allocrecords, code.slot) : std::nullopt;
    if (!allocation || !allocation->inuse)
        return unread(why, "it refers to slot " + std::to_string(code.slot) + ", which holds no format");
    if (allocation->firstblock + allocation->blocks > tables.blockcount)
        return unread(why, "its format's blocks lie outside the code area");
    code.blocks = allocation->blocks;
    code.formatdata = readHex(
        device, tables.codeareaaddr + static_cast<std::uint32_t>(BlockLayout::unitBytes * allocation->firstblock),
        code.blocks);
    if (code.formatdata.empty() || !HexText::bytes(code.formatdata))
        return unread(why, "its format's data cannot be read");
    return code;
}
