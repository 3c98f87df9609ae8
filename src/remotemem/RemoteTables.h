#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// The main window's working copies of the remote's tables and the parameters
// that locate them, as read at start-up. Learning and deleting change these
// copies and write every change straight back to the remote.
struct RemoteTables
{
    // From the configuration block.
    std::uint16_t paramaddr = 0;
    std::uint16_t ptrbase = 0;
    std::string writeselector;  // two hex digits, first argument of every write

    // From the parameter table.
    int keyrecordcount = 0;
    int allocrecordcount = 0;
    int blockcount = 0;
    int keyspermode = 0;
    int modecount = 8;  // one per device mode, never read from the remote
    std::uint16_t keytableaddr = 0;
    std::uint16_t formattableaddr = 0;
    std::uint16_t alloctableaddr = 0;
    std::uint16_t codeareaaddr = 0;

    // One entry per key of each mode: key code, "|", kind digit, "|", flag, "|", reference.
    std::vector<std::string> keystates;
    std::string codetypedata;               // what the key-state read held past the key records
    std::string blockmap;                   // '0'/'1' per block, first block first
    std::string allocrecords;               // 12 hex digits per allocation slot, slot 0 first
    std::vector<std::string> knownformats;  // 6 hex digits each

    // The format data of allocation slots as read from their blocks (hex text),
    // each with the record it was read under: valid only while the slot's
    // record in allocrecords is still that one. Filled when first needed.
    struct SlotFormat
    {
        std::string record;
        std::string data;
    };
    std::vector<SlotFormat> slotformats;

    // Slots that a key record may refer to although no entry says so: a write
    // of that record failed and could not be read back. They stay allocated
    // while these copies last; a leaked slot is better than one handed to
    // another format under a key that still names it.
    std::set<int> unconfirmedslots;
};
