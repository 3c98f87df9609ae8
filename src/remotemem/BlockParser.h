#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "RemoteTables.h"

// Takes the remote's blocks apart into the working copies, one block at a
// time in start-up order (each needs the parameters of the ones before).
// Every parse checks that the text is long enough and hex wherever it is
// read, and that the counts it derives stay inside what the reads cover; it
// returns why the block is unusable, or an empty text when all is well.
class BlockParser
{
public:
    // paramaddr, ptrbase, writeselector.
    static std::string parseConfiguration(std::string_view text, RemoteTables &tables);
    // The counts and table addresses; refuses counts the reads cannot cover
    // and tables that would reach past the end of memory.
    static std::string parseParameterTable(std::string_view text, RemoteTables &tables);
    // keystates skeleton: keyspermode x modecount entries of key code and "|".
    static std::string parseKeyCodeList(std::string_view text, RemoteTables &tables);
    // Completes each keystates entry from its key record; the rest is codetypedata.
    static std::string parseKeyStateTable(std::string_view text, RemoteTables &tables);
    // blockmap, with the blocks of in-use records marked, and allocrecords.
    static std::string parseAllocationArea(std::string_view text, RemoteTables &tables);
    static std::string parseKnownFormats(std::string_view text, RemoteTables &tables);
    // Once every table is read: the tables the tool writes (key-state table,
    // allocation area, code area) lie apart from each other and from the basic
    // and configuration blocks, the parameter table, the key-code list and the
    // known-format table, or writing one would change another.
    static std::string checkOverlaps(const RemoteTables &tables);

    // The address a stored pointer designates; none when it would lie beyond 16 bits.
    static std::optional<std::uint16_t> translatePointer(std::uint16_t stored, std::uint16_t ptrbase,
                                                         std::uint16_t paramaddr);
};
