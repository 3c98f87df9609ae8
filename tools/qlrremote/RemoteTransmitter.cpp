#include "RemoteTransmitter.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "BlockLayout.h"
#include "FormatCodec.h"
#include "HexText.h"
#include "KnownProtocols.h"
#include "LearnedFormat.h"
#include "MemoryImageDevice.h"
#include "ModeSlice.h"
#include "RemoteTablesReader.h"
#include "SignalFile.h"
#include "StoredKeyCode.h"

namespace
{
using Outcome = RemoteTransmitter::Outcome;

const std::array<std::string_view, 8> modeNames{"TV", "CBL", "SAT", "DVD", "VCR", "CD", "AMP", "AUX"};

// The codec reads records as learning writes them; a downloaded code (0x80)
// sends the same way once it reads as a stored one.
constexpr char storedCode[] = "C0";

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

RemoteTransmitter::Result knownFormat(const std::string &key, const std::string &record)
{
    const std::string format = record.substr(6, 6);
    const auto signal = FormatCodec::regenerate(record, {});
    if (signal)
        return {Outcome::Sent, *signal, {}};
    if (!KnownProtocols::codecFor(*HexText::parse(format)))
        return refused(Outcome::FormatUnknown,
                       key + " holds a code of format " + format + ", which no protocol here can send");
    return refused(Outcome::PartsInvalid, key + " holds no valid code of format " + format);
}

RemoteTransmitter::Result learnedFormatOf(const std::string &key, const std::string &record,
                                          const StoredKeyCode &stored)
{
    const std::string slotName = "slot " + std::to_string(stored.slot);
    const auto signal = FormatCodec::regenerate(record, stored.formatdata);
    if (signal)
        return {Outcome::Sent, *signal, {}};
    const auto data = HexText::bytes(stored.formatdata);
    if (!data || !LearnedFormat::parse(*data))
        return refused(Outcome::FormatDataInvalid, slotName + " (format " + stored.allocation->formatid + ") holds "
                                                       + heldBlocks(*stored.allocation) + " but no learned format");
    return refused(Outcome::PartsInvalid, key + " holds bits that do not fit the learned format of " + slotName);
}

// Why a record's code cannot be had from the memory, as the transmitter says it.
RemoteTransmitter::Result unsent(const std::string &key, const StoredKeyCode &stored, const RemoteTables &tables)
{
    const std::string slotName = "slot " + std::to_string(stored.slot);
    switch (stored.problem) {
    case StoredKeyCode::Problem::None:
    case StoredKeyCode::Problem::Unreadable:
        break;
    case StoredKeyCode::Problem::NoCode:
        return refused(Outcome::NoCode, key + " holds no code");
    case StoredKeyCode::Problem::SlotBeyond:
        return refused(Outcome::SlotBeyond, key + " refers to " + slotName + ", beyond the "
                                                + std::to_string(tables.allocrecordcount) + " allocation records");
    case StoredKeyCode::Problem::SlotFree:
        return refused(Outcome::SlotFree, key + " refers to " + slotName + ", which is free");
    case StoredKeyCode::Problem::BlocksOutside:
        return refused(Outcome::BlocksOutside, slotName + " holds " + heldBlocks(*stored.allocation)
                                                   + ", outside the code area of " + std::to_string(tables.blockcount)
                                                   + " blocks");
    }
    // The reader made sure that every mode's key records and the code area lie inside the memory.
    return refused(Outcome::TablesUnreadable, key + "'s record cannot be read");
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
    const StoredKeyCode stored =
        StoredKeyCode::read(device, tables, mode * tables.keyspermode + static_cast<int>(*position));
    if (stored.problem != StoredKeyCode::Problem::None)
        return unsent(key, stored, tables);
    const std::string record = storedCode + stored.record.substr(2);

    Result result = stored.learnedFormat ? learnedFormatOf(key, record, stored) : knownFormat(key, record);
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
