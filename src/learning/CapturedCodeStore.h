#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Conversion.h"
#include "ConvertedCode.h"
#include "LearnedCodeStore.h"
#include "RemoteTables.h"
#include "RemoteWrite.h"

class RemoteDevice;

// What happens to a finished capture: it is encoded, converted, judged a
// format the remote knows or a learned one, and written as the pending key's
// new record, with the learned format's data in free blocks of the code area.
// The working copies in `tables` change with the remote; the caller shows
// what the result names and runs the capture-failed steps when it says so.
class CapturedCodeStore
{
public:
    // The converter input, the capture's carrier in Hz (0 when unknown) and the
    // learned formats the remote holds (LearnedCodeStore::storedformats), with
    // an item "slotsfull" after them when no slot is free for another, and
    // "room:" and the bytes of the longest free run of blocks.
    using Converter =
        std::function<Conversion(const std::string &input, int carrierHz, const std::string &storedFormats)>;

    static constexpr const char *learnedFaillyNotice = "RC code is learned failly!";
    static constexpr const char *deletedFaillyNotice = "RC code is deleted failly!";
    static constexpr const char *receivedNotice = "RC code is received!";

    enum class Outcome
    {
        Stored,             // the key holds the new code
        NoPendingKey,       // learning stopped during the capture: drop it, say nothing
        NothingCaptured,    // nothing written
        ConverterRaised,    // the library is unloaded, nothing written
        NotConverted,       // no library or entry point, or no usable result: nothing written
        NoFreeSlot,         // a new learned format and every slot in use, also after the drop:
                            // nothing written, or only the failed drop
        KeyNotListed,       // the key has no keystates entry in this mode: nothing written
        IndexOutside,       // the entry index lies past the key records: nothing written
        RecordWriteFailed,  // the new record is not on the remote; the entry says what is (read back)
        NoRoom,             // a new learned format and no run of free blocks, also after the drop:
                            // nothing written, or only the failed drop
    };
    enum class FormatKind
    {
        None,
        Known,
        LearnedStored,
        LearnedNew
    };

    struct Result
    {
        Outcome outcome = Outcome::NothingCaptured;
        FormatKind kind = FormatKind::None;
        // Notices to show, in this order. Every write to the remote is done by
        // then, so no transfer waits on the user's OK.
        std::vector<std::string> notices;
        // The trimmed capture, which replaces the raw one; empty before trimming.
        std::string collectedcode;
        int index = -1;     // the key record and keystates entry written, or -1
        std::string error;  // what the loader or the converter said

        // Every outcome but these two ends through the capture-failed steps.
        bool capturefailed() const { return outcome != Outcome::Stored && outcome != Outcome::NoPendingKey; }
    };

    CapturedCodeStore(RemoteTables &tables, RemoteDevice &device, Converter converter);

    // Stores the code of `keycode` (empty: no key is pending) in `devicemode`.
    // `converting` runs once there is a capture to convert, before the converter
    // is called, so the window can say that the key is being learned.
    Result store(const std::string &collectedcode, const std::string &keycode, int devicemode,
                 const std::function<void()> &converting = {});

    // The slot reference of the last learned format chosen: the slot in two
    // digits, followed by "FFFF" when the format was new.
    const std::string &slotref() const { return m_slotref; }

private:
    struct Choice
    {
        FormatKind kind;
        int slot;
    };

    // A slot in use that holds the format, or the first free one; `freedslot`,
    // which dropping the key's old code frees, counts as free.
    std::optional<Choice> chooseformat(const std::string &formatid, std::optional<int> freedslot) const;
    // What dropping the code of the key at `index` frees: its learned slot, when no other key uses it.
    std::optional<int> slotfreedbydrop(int index) const;
    // Puts the new format in `slot` and writes the allocation area.
    bool storeformat(const ConvertedCode &code, int slot);
    // Gives the format in `slot` the code's data and writes the allocation area.
    bool replaceformat(const ConvertedCode &code, int slot);
    // Frees `slot` when no entry refers to it.
    void freeunused(int slot);
    // The entry and slots of the key at `index` after its new record was not
    // written: as the record read back says, or, unread, as before the write
    // with `newslot` kept allocated. A format grown for the record goes back
    // to `beforegrowth` when the old record is still there.
    void settlefailedrecord(int index, const RemoteWrite::Result &written, bool dropfailed, std::optional<int> oldslot,
                            int newslot, const std::optional<LearnedCodeStore::Allocation> &beforegrowth);
    bool recordfits(int index) const;
    RemoteWrite::Result writerecord(int index, const std::string &record);

    RemoteTables &m_tables;
    RemoteDevice &m_device;
    Converter m_converter;
    LearnedCodeStore m_store;
    std::string m_slotref;
};
