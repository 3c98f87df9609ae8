#include "RemoteTransmitter.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "BlockAllocator.h"
#include "BlockLayout.h"
#include "FormatCodec.h"
#include "HexText.h"
#include "KnownProtocols.h"
#include "LearnedFormat.h"
#include "MemoryImageDevice.h"
#include "ModeSlice.h"
#include "RemoteTablesReader.h"
#include "SignalFile.h"

namespace
{
using Outcome = RemoteTransmitter::Outcome;
using Record = std::array<std::uint8_t, BlockLayout::keyRecordBytes>;

const std::array<std::string_view, 8> modeNames{"TV", "CBL", "SAT", "DVD", "VCR", "CD", "AMP", "AUX"};

// Byte 0: bit 7 set and bit 5 clear is a key holding a code, as start-up counts it.
constexpr std::uint8_t holdsCodeBits = 0xA0;
constexpr std::uint8_t holdsCode = 0x80;
// The codec reads records as learning writes them; a downloaded code (0x80)
// sends the same way once it reads as a stored one.
constexpr std::uint8_t storedCode = 0xC0;
// Byte 2: bit 7 set refers to a learned format by its slot in byte 3.
constexpr std::uint8_t learnedFormat = 0x80;

RemoteTransmitter::Result refused(Outcome outcome, std::string reason)
{
    return {outcome, {}, std::move(reason)};
}

std::string heldBlocks(const AllocationRecord &allocation)
{
    if (allocation.blocks == 0)
        return "no blocks";
    const std::string first = std::to_string(allocation.firstblock);
    return allocation.blocks == 1
               ? "block " + first
               : "blocks " + first + "-" + std::to_string(allocation.firstblock + allocation.blocks - 1);
}

RemoteTransmitter::Result knownFormat(const std::string &key, const Record &record)
{
    const std::uint32_t id =
        static_cast<std::uint32_t>(record[3]) << 16 | static_cast<std::uint32_t>(record[4]) << 8 | record[5];
    const std::string format = HexText::format(id, 6);
    const auto signal = FormatCodec::regenerate(HexText::formatBytes(record.data(), record.size()), {});
    if (signal)
        return {Outcome::Sent, *signal, {}};
    if (!KnownProtocols::codecFor(id))
        return refused(Outcome::FormatUnknown,
                       key + " holds a code of format " + format + ", which no protocol here can send");
    return refused(Outcome::PartsInvalid, key + " holds no valid code of format " + format);
}

RemoteTransmitter::Result learnedFormatOf(const std::string &key, const Record &record, RemoteTables &tables,
                                          const std::vector<std::uint8_t> &image)
{
    const int slot = record[3];
    const std::string slotName = "slot " + std::to_string(slot);
    if (slot >= tables.allocrecordcount)
        return refused(Outcome::SlotBeyond, key + " refers to " + slotName + ", beyond the "
                                                + std::to_string(tables.allocrecordcount) + " allocation records");
    const auto allocation = BlockAllocator(tables).record(slot);
    if (!allocation || !allocation->inuse)
        return refused(Outcome::SlotFree, key + " refers to " + slotName + ", which is free");
    // The reader made sure that the whole code area lies inside the memory.
    if (allocation->firstblock + allocation->blocks > tables.blockcount)
        return refused(Outcome::BlocksOutside, slotName + " holds " + heldBlocks(*allocation)
                                                   + ", outside the code area of " + std::to_string(tables.blockcount)
                                                   + " blocks");
    constexpr std::size_t blockBytes = BlockLayout::unitBytes;
    const std::size_t first = tables.codeareaaddr + blockBytes * static_cast<std::size_t>(allocation->firstblock);
    const std::size_t size = blockBytes * static_cast<std::size_t>(allocation->blocks);
    const std::vector<std::uint8_t> data(image.begin() + static_cast<std::ptrdiff_t>(first),
                                         image.begin() + static_cast<std::ptrdiff_t>(first + size));
    const auto signal = FormatCodec::regenerate(HexText::formatBytes(record.data(), record.size()),
                                                HexText::formatBytes(data.data(), data.size()));
    if (signal)
        return {Outcome::Sent, *signal, {}};
    if (!LearnedFormat::parse(data))
        return refused(Outcome::FormatDataInvalid, slotName + " (format " + allocation->formatid + ") holds "
                                                       + heldBlocks(*allocation) + " but no learned format");
    return refused(Outcome::PartsInvalid, key + " holds bits that do not fit the learned format of " + slotName);
}
}  // namespace

RemoteTransmitter::Result RemoteTransmitter::send(const std::vector<std::uint8_t> &image, int mode,
                                                  std::string_view keycode)
{
    if (image.size() != BlockLayout::memorySize)
        return refused(Outcome::TablesUnreadable, "the image holds " + std::to_string(image.size()) + " bytes, not "
                                                      + std::to_string(BlockLayout::memorySize));
    MemoryImageDevice device(image);
    RemoteTablesReader::Result read = RemoteTablesReader::read(device);
    if (read.outcome != RemoteTablesReader::Outcome::Ok)
        return refused(Outcome::TablesUnreadable, "the remote's tables cannot be read: " + read.reason);
    RemoteTables &tables = read.tables;
    if (mode < 0 || mode >= tables.modecount)
        return refused(Outcome::KeyNotListed, "there is no device mode " + std::to_string(mode));
    const std::string key = "mode " + modeName(mode) + " key " + std::string(keycode);

    // The first mode's entries are the remote's key-code list.
    const auto position = ModeSlice(tables, 0).find(keycode, KeyStateEntry::CodeMatch::IgnoringCase);
    if (!position)
        return refused(Outcome::KeyNotListed, "key " + std::string(keycode) + " is not in the remote's key-code list");
    const int index = mode * tables.keyspermode + static_cast<int>(*position);
    // The reader made sure that every mode's key records lie inside the memory.
    const std::size_t address =
        tables.keytableaddr + std::size_t{BlockLayout::keyRecordBytes} * static_cast<std::size_t>(index);
    Record record;
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(address), record.size(), record.begin());
    if ((record[0] & holdsCodeBits) != holdsCode)
        return refused(Outcome::NoCode, key + " holds no code");
    record[0] = storedCode;

    Result result =
        (record[2] & learnedFormat) != 0 ? learnedFormatOf(key, record, tables, image) : knownFormat(key, record);
    const std::size_t durations = result.signal.flatDurations().size();
    if (result.sent() && durations > SignalFile::maxDurations)
        return refused(Outcome::TooLong, key + " sends " + std::to_string(durations)
                                             + " durations, more than a press takes ("
                                             + std::to_string(SignalFile::maxDurations) + ")");
    return result;
}

std::optional<int> RemoteTransmitter::modeNamed(std::string_view text)
{
    if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + static_cast<int>(modeNames.size()))
        return text[0] - '0';
    for (std::size_t mode = 0; mode < modeNames.size(); ++mode) {
        if (std::equal(text.begin(), text.end(), modeNames[mode].begin(), modeNames[mode].end(),
                       [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; }))
            return static_cast<int>(mode);
    }
    return std::nullopt;
}

std::string RemoteTransmitter::modeName(int mode)
{
    return mode >= 0 && static_cast<std::size_t>(mode) < modeNames.size()
               ? std::string(modeNames[static_cast<std::size_t>(mode)])
               : std::to_string(mode);
}

std::string RemoteTransmitter::signalText(const IrSignal &signal)
{
    std::string text = "carrier=" + std::to_string(signal.carrierHz) + "\n";
    for (std::size_t i = 0; i < signal.frames.size(); ++i) {
        const IrFrame &frame = signal.frames[i];
        for (std::size_t d = 0; d < frame.durations.size(); ++d)
            text += (d ? " " : "") + std::to_string(frame.durations[d]);
        if (i + 1 < signal.frames.size())
            text += " " + std::to_string(frame.gapAfterUs);
        text += '\n';
    }
    return text;
}
