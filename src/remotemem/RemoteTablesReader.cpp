#include "RemoteTablesReader.h"

#include "BlockLayout.h"
#include "BlockParser.h"
#include "BlockReader.h"
#include "HexText.h"

namespace
{
std::string readBlock(RemoteDevice &device, const BlockLayout::Read &read)
{
    return BlockReader::read(device, static_cast<std::uint16_t>(read.address), read.count, read.bufferSize);
}

struct Step
{
    const char *block;
    BlockLayout::Read (*where)(const RemoteTables &);
    std::string (*parse)(std::string_view, RemoteTables &);
};

// The tables in the order each needs the parameters of the ones before.
const Step steps[] = {
    {"parameter table", [](const RemoteTables &t) { return BlockLayout::parameterTable(t.paramaddr); },
     BlockParser::parseParameterTable},
    {"key-code list", [](const RemoteTables &t) { return BlockLayout::keyCodeList(t.paramaddr); },
     BlockParser::parseKeyCodeList},
    {"key-state table",
     [](const RemoteTables &t) { return BlockLayout::keyStateTable(t.keytableaddr, t.keyrecordcount); },
     BlockParser::parseKeyStateTable},
    {"allocation area",
     [](const RemoteTables &t) {
         return BlockLayout::allocationArea(t.alloctableaddr, t.allocrecordcount, t.blockcount);
     },
     BlockParser::parseAllocationArea},
    {"known-format table", [](const RemoteTables &t) { return BlockLayout::knownFormatTable(t.formattableaddr); },
     BlockParser::parseKnownFormats},
};

RemoteTablesReader::Result invalid(std::string reason)
{
    return {RemoteTablesReader::Outcome::Invalid, {}, std::move(reason)};
}
}  // namespace

RemoteTablesReader::Result RemoteTablesReader::read(RemoteDevice &device)
{
    const std::string configuration = readBlock(device, BlockLayout::configurationBlock());
    if (configuration.size() < BlockLayout::configurationMinimumChars)
        return {Outcome::ConfigurationUnreadable, {}, "configuration block unreadable"};
    RemoteTables tables;
    if (std::string why = BlockParser::parseConfiguration(configuration, tables); !why.empty())
        return invalid(why);
    for (const Step &step : steps) {
        const BlockLayout::Read where = step.where(tables);
        if (!where.fits())
            return invalid(std::string(step.block) + " at " + HexText::format(where.address, 4)
                           + " reaches past the end of memory");
        const std::string text = readBlock(device, where);
        if (text.empty())
            return invalid(std::string(step.block) + " unreadable");
        if (std::string why = step.parse(text, tables); !why.empty())
            return invalid(why);
    }
    if (std::string why = BlockParser::checkOverlaps(tables); !why.empty())
        return invalid(why);
    return {Outcome::Ok, std::move(tables), {}};
}
