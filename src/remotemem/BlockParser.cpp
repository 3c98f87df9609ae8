#include "BlockParser.h"

#include <algorithm>

#include "AllocationRecord.h"
#include "BlockLayout.h"
#include "HexText.h"
#include "KeyStateEntry.h"

namespace
{
std::string tooShort(const char *block, std::size_t needed, std::size_t got)
{
    return std::string(block) + ": " + std::to_string(got) + " characters read, " + std::to_string(needed) + " needed";
}

std::string notHex(const char *block, std::size_t offset)
{
    return std::string(block) + ": no hex number at character " + std::to_string(offset + 1);
}

std::string outsideMemory(const char *table, std::uint32_t address, std::uint32_t bytes)
{
    return std::string(table) + " at " + HexText::format(address, 4) + " (" + std::to_string(bytes)
           + " bytes) reaches past the end of memory";
}
}  // namespace

std::string BlockParser::parseConfiguration(std::string_view text, RemoteTables &tables)
{
    static constexpr const char *block = "configuration block";
    const auto paramaddr = HexText::wordAt(text, 0);
    if (!paramaddr)
        return notHex(block, 0);
    const auto ptrbase = HexText::wordAt(text, 12);
    if (!ptrbase)
        return notHex(block, 12);
    if (!HexText::byteAt(text, 16))
        return notHex(block, 16);
    tables.paramaddr = *paramaddr;
    tables.ptrbase = *ptrbase;
    tables.writeselector = std::string(text.substr(16, 2));
    return {};
}

std::optional<std::uint16_t> BlockParser::translatePointer(std::uint16_t stored, std::uint16_t ptrbase,
                                                           std::uint16_t paramaddr)
{
    if (stored >= ptrbase)
        return static_cast<std::uint16_t>(stored - ptrbase);
    const std::uint32_t address = std::uint32_t{stored} + paramaddr;
    if (address >= BlockLayout::memorySize)
        return std::nullopt;
    return static_cast<std::uint16_t>(address);
}

std::string BlockParser::parseParameterTable(std::string_view text, RemoteTables &tables)
{
    static constexpr const char *block = "parameter table";
    const auto keyrecordcount = HexText::wordAt(text, 0);
    const auto allocrecordcount = HexText::byteAt(text, 14);
    const auto blockcount = HexText::wordAt(text, 16);
    const auto keyspermode = HexText::byteAt(text, 64);
    if (!keyrecordcount)
        return notHex(block, 0);
    if (!allocrecordcount)
        return notHex(block, 14);
    if (!blockcount)
        return notHex(block, 16);
    if (!keyspermode)
        return notHex(block, 64);

    struct Pointer
    {
        std::size_t offset;
        const char *table;
        std::uint16_t RemoteTables::*field;
    };
    static constexpr Pointer pointers[] = {
        {32, "key-state table", &RemoteTables::keytableaddr},
        {48, "known-format table", &RemoteTables::formattableaddr},
        {52, "allocation area", &RemoteTables::alloctableaddr},
        {56, "code area", &RemoteTables::codeareaaddr},
    };
    RemoteTables parsed = tables;
    for (const Pointer &pointer : pointers) {
        const auto stored = HexText::wordAt(text, pointer.offset);
        if (!stored)
            return notHex(block, pointer.offset);
        const auto address = translatePointer(*stored, tables.ptrbase, tables.paramaddr);
        if (!address)
            return std::string(block) + ": the " + pointer.table + " pointer " + HexText::format(*stored, 4)
                   + " lies beyond the end of memory";
        parsed.*pointer.field = *address;
    }
    parsed.keyrecordcount = *keyrecordcount;
    parsed.allocrecordcount = *allocrecordcount;
    parsed.blockcount = *blockcount;
    parsed.keyspermode = *keyspermode;
    parsed.modecount = 8;

    const int keys = parsed.keyspermode * parsed.modecount;
    if (parsed.keyrecordcount < keys)
        return std::string(block) + ": " + std::to_string(parsed.keyrecordcount) + " key records cannot hold "
               + std::to_string(keys) + " keys";
    const auto allocation =
        BlockLayout::allocationArea(parsed.alloctableaddr, parsed.allocrecordcount, parsed.blockcount);
    if (allocation.count > BlockLayout::maxAllocationUnits)
        return std::string(block) + ": an allocation area of " + std::to_string(allocation.count)
               + " units exceeds the " + std::to_string(BlockLayout::maxAllocationUnits) + " one read covers";
    const std::uint32_t codeBytes = static_cast<std::uint32_t>(parsed.blockcount) * BlockLayout::unitBytes;
    if (parsed.codeareaaddr + codeBytes > BlockLayout::memorySize)
        return outsideMemory("code area", parsed.codeareaaddr, codeBytes);
    const struct
    {
        const char *table;
        BlockLayout::Read read;
    } reads[] = {
        {"key-state table", BlockLayout::keyStateTable(parsed.keytableaddr, parsed.keyrecordcount)},
        {"allocation area", allocation},
        {"known-format table", BlockLayout::knownFormatTable(parsed.formattableaddr)},
    };
    for (const auto &[table, read] : reads) {
        if (!read.fits())
            return outsideMemory(table, read.address, static_cast<std::uint32_t>(read.count) * BlockLayout::unitBytes);
    }
    tables = parsed;
    return {};
}

std::string BlockParser::parseKeyCodeList(std::string_view text, RemoteTables &tables)
{
    static constexpr const char *block = "key-code list";
    if (tables.keyspermode > BlockLayout::maxKeyCodes)
        return std::string(block) + ": " + std::to_string(tables.keyspermode) + " key codes exceed the "
               + std::to_string(BlockLayout::maxKeyCodes) + " one read covers";
    const auto keys = static_cast<std::size_t>(tables.keyspermode);
    // Byte 0 repeats keyspermode; the codes follow.
    const std::size_t needed = 2 + 2 * keys;
    if (text.size() < needed)
        return tooShort(block, needed, text.size());
    std::vector<std::string> keystates(keys * static_cast<std::size_t>(tables.modecount));
    for (std::size_t i = 0; i < keys; ++i) {
        const std::string code(text.substr(2 + 2 * i, 2));
        // Taken as it is: a code no key of the picture carries matches no button.
        if (!HexText::parse(code))
            return notHex(block, 2 + 2 * i);
        for (int mode = 0; mode < tables.modecount; ++mode)
            keystates[static_cast<std::size_t>(mode) * keys + i] = code + "|";
    }
    tables.keystates = std::move(keystates);
    return {};
}

std::string BlockParser::parseKeyStateTable(std::string_view text, RemoteTables &tables)
{
    static constexpr const char *block = "key-state table";
    const std::size_t entries = tables.keystates.size();
    if (entries != static_cast<std::size_t>(tables.keyspermode) * static_cast<std::size_t>(tables.modecount))
        return std::string(block) + ": the key codes have not been read";
    const std::size_t needed = entries * KeyStateEntry::recordDigits;
    if (text.size() < needed)
        return tooShort(block, needed, text.size());
    std::vector<std::string> keystates = tables.keystates;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t offset = i * KeyStateEntry::recordDigits;
        const auto entry =
            KeyStateEntry::fromRecord(keystates[i].substr(0, 2), text.substr(offset, KeyStateEntry::recordDigits));
        if (!entry)
            return notHex(block, offset);
        keystates[i] = *entry;
    }
    tables.keystates = std::move(keystates);
    const std::string_view rest = text.substr(needed);
    tables.codetypedata = std::string(rest.substr(0, rest.find('\0')));
    return {};
}

std::string BlockParser::parseAllocationArea(std::string_view text, RemoteTables &tables)
{
    static constexpr const char *block = "allocation area";
    const std::size_t mapDigits = 2 * static_cast<std::size_t>(BlockLayout::blockMapBytes(tables.blockcount));
    const std::size_t records = static_cast<std::size_t>(tables.allocrecordcount);
    const std::size_t needed = mapDigits + records * AllocationRecord::digits;
    if (text.size() < needed)
        return tooShort(block, needed, text.size());
    std::string blockmap;
    blockmap.reserve(4 * mapDigits);
    for (std::size_t i = 0; i < mapDigits; ++i) {
        const int digit = HexText::digitValue(text[i]);
        if (digit < 0)
            return notHex(block, i);
        for (int bit = 3; bit >= 0; --bit)
            blockmap += (digit >> bit & 1) ? '1' : '0';
    }
    const std::string_view recordText = text.substr(mapDigits, records * AllocationRecord::digits);
    for (std::size_t slot = 0; slot < records; ++slot) {
        const auto record =
            AllocationRecord::parse(recordText.substr(slot * AllocationRecord::digits, AllocationRecord::digits));
        if (!record)
            return notHex(block, mapDigits + slot * AllocationRecord::digits);
        if (!record->inuse)
            continue;
        // A corrupt record may name blocks past the map; only the map's own blocks are marked.
        const auto first = static_cast<std::size_t>(record->firstblock);
        const auto end = std::min(blockmap.size(), first + static_cast<std::size_t>(record->blocks));
        for (std::size_t b = first; b < end; ++b)
            blockmap[b] = '1';
    }
    tables.blockmap = std::move(blockmap);
    tables.allocrecords = std::string(recordText);
    return {};
}

std::string BlockParser::parseKnownFormats(std::string_view text, RemoteTables &tables)
{
    static constexpr const char *block = "known-format table";
    const auto count = HexText::wordAt(text, 0);
    if (!count)
        return notHex(block, 0);
    if (*count > BlockLayout::maxKnownFormats)
        return std::string(block) + ": " + std::to_string(*count) + " formats exceed the "
               + std::to_string(BlockLayout::maxKnownFormats) + " one read covers";
    const std::size_t recordDigits = 2 * BlockLayout::knownFormatRecordBytes;
    std::vector<std::string> formats;
    for (std::size_t i = 0; i < *count; ++i) {
        const std::size_t offset = 4 + i * recordDigits;
        if (text.size() < offset + 6)
            return tooShort(block, offset + 6, text.size());
        const std::string_view id = text.substr(offset, 6);
        if (!HexText::parse(id))
            return notHex(block, offset);
        formats.emplace_back(id);
    }
    tables.knownformats = std::move(formats);
    return {};
}

std::string BlockParser::checkOverlaps(const RemoteTables &tables)
{
    struct Extent
    {
        const char *table;
        std::uint32_t address;
        std::uint32_t bytes;
        bool written;  // by learning, deleting or clearing
    };
    const auto readBytes = [](const BlockLayout::Read &read) {
        return static_cast<std::uint32_t>(read.count) * BlockLayout::unitBytes;
    };
    const auto times = [](int count, int bytes) { return static_cast<std::uint32_t>(count * bytes); };
    constexpr std::uint32_t parameterBytes = 32;  // the key-code list follows
    const Extent extents[] = {
        {"basic block", BlockLayout::basicBlock().address, readBytes(BlockLayout::basicBlock()), false},
        {"configuration block", BlockLayout::configurationBlock().address, readBytes(BlockLayout::configurationBlock()),
         false},
        {"parameter table", tables.paramaddr, parameterBytes, false},
        {"key-code list", tables.paramaddr + parameterBytes, 1 + static_cast<std::uint32_t>(tables.keyspermode), false},
        {"key-state table", tables.keytableaddr, times(tables.keyrecordcount, BlockLayout::keyRecordBytes), true},
        {"known-format table", tables.formattableaddr,
         2 + times(static_cast<int>(tables.knownformats.size()), BlockLayout::knownFormatRecordBytes), false},
        {"allocation area", tables.alloctableaddr,
         static_cast<std::uint32_t>(BlockLayout::blockMapBytes(tables.blockcount))
             + times(tables.allocrecordcount, BlockLayout::allocationRecordBytes),
         true},
        {"code area", tables.codeareaaddr, times(tables.blockcount, BlockLayout::unitBytes), true},
    };
    for (std::size_t i = 0; i < std::size(extents); ++i) {
        for (std::size_t j = i + 1; j < std::size(extents); ++j) {
            const Extent &a = extents[i];
            const Extent &b = extents[j];
            if ((a.written || b.written) && a.bytes > 0 && b.bytes > 0 && a.address < b.address + b.bytes
                && b.address < a.address + a.bytes)
                return std::string(a.table) + " at " + HexText::format(a.address, 4) + " (" + std::to_string(a.bytes)
                       + " bytes) overlaps the " + b.table + " at " + HexText::format(b.address, 4) + " ("
                       + std::to_string(b.bytes) + " bytes)";
        }
    }
    return {};
}
