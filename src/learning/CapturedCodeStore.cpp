#include "CapturedCodeStore.h"

#include <utility>

#include "BlockAllocator.h"
#include "BlockLayout.h"
#include "CaptureEncoding.h"
#include "ConvertedCode.h"
#include "EncodedCapture.h"
#include "HexText.h"
#include "KeyStateEntry.h"
#include "ModeSlice.h"
#include "RemoteDevice.h"

namespace
{
constexpr char knownHeader[] = "C00000";
constexpr char learnedHeader[] = "C00080";
constexpr char learnedSlotTail[] = "FFFF";
// Format ids below this first byte, with two zero bytes after it, are the
// remote's own even when its format table does not list them.
constexpr std::uint32_t reservedFormats = 0x22;

bool isReservedFormat(const std::string &formatid)
{
    const auto first = HexText::parse(formatid.substr(0, 2));
    return first && *first < reservedFormats && formatid.substr(2) == "0000";
}

std::uint32_t recordAddress(const RemoteTables &tables, int index)
{
    return tables.keytableaddr + std::uint32_t{BlockLayout::keyRecordBytes} * static_cast<std::uint32_t>(index);
}
}  // namespace

CapturedCodeStore::CapturedCodeStore(RemoteTables &tables, RemoteDevice &device, Converter converter)
    : m_tables(tables)
    , m_device(device)
    , m_converter(std::move(converter))
    , m_store(tables, device)
{ }

CapturedCodeStore::Result CapturedCodeStore::store(const std::string &collectedcode, const std::string &keycode,
                                                   int devicemode, const std::function<void()> &converting)
{
    Result result;
    const auto end = [&result](Outcome outcome) {
        result.outcome = outcome;
        return std::move(result);
    };
    if (keycode.empty())
        return end(Outcome::NoPendingKey);
    if (collectedcode.empty())
        return end(Outcome::NothingCaptured);
    if (converting)
        converting();

    result.collectedcode = CaptureEncoding::trimcapture(collectedcode);
    const std::string encoded = CaptureEncoding::encodecapture(result.collectedcode);
    const auto position = ModeSlice::keyPosition(m_tables, keycode);
    const int index = position ? devicemode * m_tables.keyspermode + static_cast<int>(*position) : -1;
    const bool listed = index >= 0 && static_cast<std::size_t>(index) < m_tables.keystates.size();
    // The key's own record is about to go: a format need not keep its timing.
    std::string storedformats = m_store.storedformats(listed ? std::optional<std::size_t>(index) : std::nullopt);
    const BlockAllocator allocator(m_tables);
    // With no slot left for a format of its own, the key's timing may join a stored one.
    if (!storedformats.empty() && !allocator.firstFreeSlot(listed ? slotfreedbydrop(index) : std::nullopt))
        storedformats += ";slotsfull";
    // Data that replace a format's go beside the old ones: no longer than the longest free run.
    if (!storedformats.empty())
        storedformats += ";room:" + std::to_string(allocator.longestFreeRun() * BlockLayout::unitBytes);
    const Conversion conversion =
        m_converter(EncodedCapture::converterinput(encoded), EncodedCapture::carrierHz(encoded), storedformats);
    result.error = conversion.error;
    if (conversion.status == Conversion::Status::Raised)
        return end(Outcome::ConverterRaised);
    const auto code =
        conversion.status == Conversion::Status::Converted ? ConvertedCode::parse(conversion.text) : std::nullopt;
    if (!code) {
        result.notices.push_back(learnedFaillyNotice);
        return end(Outcome::NotConverted);
    }

    if (!position)
        return end(Outcome::KeyNotListed);
    if (!listed || !recordfits(index))
        return end(Outcome::IndexOutside);
    std::string &entry = m_tables.keystates[static_cast<std::size_t>(index)];
    // The list must name the same key at its place in every mode, or another key's record would go.
    if (!KeyStateEntry::hasKeyCode(entry, keycode, KeyStateEntry::CodeMatch::IgnoringCase))
        return end(Outcome::KeyNotListed);

    const std::optional<int> oldslot = KeyStateEntry::learnedSlot(entry);
    const std::optional<int> freedslot = slotfreedbydrop(index);
    std::optional<Choice> choice = chooseformat(code->formatid, freedslot);
    if (!choice)
        return end(Outcome::NoFreeSlot);
    result.kind = choice->kind;
    // A learned format the remote does not hold yet cannot do without its data.
    if (choice->kind == FormatKind::LearnedNew && code->formatdata.empty()) {
        result.notices.push_back(learnedFaillyNotice);
        return end(Outcome::NotConverted);
    }
    // Room for a new format is made sure of first: a key record must never refer
    // to a free slot. Room that only the drop of the key's old code makes is
    // taken after that drop.
    const bool dropfirst =
        choice->kind == FormatKind::LearnedNew && (choice->slot == freedslot || !m_store.findfreerun(code->formatdata));
    if (dropfirst && !m_store.findfreerun(code->formatdata, freedslot))
        return end(Outcome::NoRoom);

    // A stored format the converter grew by this key's timing, or rid of the
    // timing of keys gone: the new data are on the remote, and named by the
    // slot, before the record refers to them.
    const auto storeddata = choice->kind == FormatKind::LearnedStored ? m_store.storeddata(choice->slot) : std::nullopt;
    const bool grown = conversion.formatsOffered && storeddata && !HexText::sameDigits(*storeddata, code->formatdata);
    if (grown && !m_store.findfreerun(code->formatdata))
        return end(Outcome::NoRoom);

    result.index = index;
    // A new format is on the remote before any record refers to it.
    if (choice->kind == FormatKind::LearnedNew && !dropfirst && !storeformat(*code, choice->slot))
        return end(Outcome::RecordWriteFailed);
    const std::optional<LearnedCodeStore::Allocation> beforegrowth =
        grown ? std::optional(m_store.allocation()) : std::nullopt;
    if (grown && !replaceformat(*code, choice->slot))
        return end(Outcome::RecordWriteFailed);
    const std::string listedcode = m_tables.keystates[*position].substr(0, 2);
    const bool known = choice->kind == FormatKind::Known;
    // A drop that fails frees nothing; the new record, once written, replaces the old one all the same.
    const bool dropfailed =
        m_store.releasekeycode(index, keycode, known || dropfirst ? std::nullopt : std::optional<int>(choice->slot));
    if (dropfailed)
        result.notices.push_back(deletedFaillyNotice);
    if (dropfirst) {
        // The old code is still there, and so is the room it holds.
        if (dropfailed)
            return end(choice->slot == freedslot ? Outcome::NoFreeSlot : Outcome::NoRoom);
        entry = KeyStateEntry::unlearned(listedcode);
        choice = chooseformat(code->formatid, std::nullopt);
        if (!choice || !storeformat(*code, choice->slot))
            return end(Outcome::RecordWriteFailed);
    }

    const std::string slot =
        choice->slot >= 0 ? HexText::format(static_cast<std::uint32_t>(choice->slot), 2) : std::string();
    if (choice->kind == FormatKind::LearnedStored)
        m_slotref = slot;
    else if (choice->kind == FormatKind::LearnedNew)
        m_slotref = slot + learnedSlotTail;
    const std::string header = known ? knownHeader + code->formatid : learnedHeader + slot + learnedSlotTail;
    // A format already stored is referred to by its slot alone.
    const std::string reference =
        known ? "0|" + code->formatid : "1|" + (choice->kind == FormatKind::LearnedStored ? slot : m_slotref);
    // A failed write may have reached the remote all the same (a lost reply): it is read back.
    const RemoteWrite::Result written = writerecord(index, header + code->parta + code->partb);
    if (!written.written()) {
        settlefailedrecord(index, written, dropfailed, oldslot, choice->slot, beforegrowth);
        return end(Outcome::RecordWriteFailed);
    }

    entry = KeyStateEntry::learned(listedcode, reference);
    if (dropfailed && oldslot && *oldslot != choice->slot)
        freeunused(*oldslot);
    result.notices.push_back(receivedNotice);
    return end(Outcome::Stored);
}

std::optional<CapturedCodeStore::Choice> CapturedCodeStore::chooseformat(const std::string &formatid,
                                                                         std::optional<int> freedslot) const
{
    if (m_store.isknownformat(formatid) || isReservedFormat(formatid))
        return Choice{FormatKind::Known, -1};
    const BlockAllocator allocator(m_tables);
    for (int slot = 0; slot < m_tables.allocrecordcount; ++slot) {
        const auto record = allocator.record(slot);
        if (record && record->inuse && record->formatid == formatid)
            return Choice{FormatKind::LearnedStored, slot};
    }
    if (const auto slot = allocator.firstFreeSlot(freedslot))
        return Choice{FormatKind::LearnedNew, *slot};
    return std::nullopt;
}

std::optional<int> CapturedCodeStore::slotfreedbydrop(int index) const
{
    const auto slot = KeyStateEntry::learnedSlot(m_tables.keystates[static_cast<std::size_t>(index)]);
    if (!slot || BlockAllocator(m_tables).slotReferenced(*slot, static_cast<std::size_t>(index)))
        return std::nullopt;
    return slot;
}

bool CapturedCodeStore::storeformat(const ConvertedCode &code, int slot)
{
    m_slotref = HexText::format(static_cast<std::uint32_t>(slot), 2) + learnedSlotTail;
    const LearnedCodeStore::Allocation before = m_store.allocation();
    return m_store.storeformatblocks(code.formatid, code.formatdata, m_slotref) && m_store.writeallocationarea(before);
}

bool CapturedCodeStore::replaceformat(const ConvertedCode &code, int slot)
{
    const LearnedCodeStore::Allocation before = m_store.allocation();
    return m_store.replaceformatblocks(slot, code.formatid, code.formatdata) && m_store.writeallocationarea(before);
}

void CapturedCodeStore::freeunused(int slot)
{
    BlockAllocator allocator(m_tables);
    const LearnedCodeStore::Allocation before = m_store.allocation();
    if (!allocator.slotReferenced(slot, m_tables.keystates.size()) && allocator.freeSlot(slot))
        m_store.writeallocationarea(before);
}

void CapturedCodeStore::settlefailedrecord(int index, const RemoteWrite::Result &written, bool dropfailed,
                                           std::optional<int> oldslot, int newslot,
                                           const std::optional<LearnedCodeStore::Allocation> &beforegrowth)
{
    std::string &entry = m_tables.keystates[static_cast<std::size_t>(index)];
    const std::string listedcode = entry.substr(0, 2);
    const auto held = written.outcome == RemoteWrite::Outcome::NotWritten
                          ? KeyStateEntry::fromRecord(listedcode, written.held)
                          : std::nullopt;
    if (!held) {
        // Either record may be there: the old one unless it was dropped, or the new one.
        if (!dropfailed)
            entry = KeyStateEntry::unlearned(listedcode);
        if (newslot >= 0)
            m_tables.unconfirmedslots.insert(newslot);
        return;
    }
    entry = KeyStateEntry::kind(*held) == KeyStateEntry::Kind::None ? KeyStateEntry::unlearned(listedcode) : *held;
    // The old record, still there, was left out of the grown format's keys;
    // the old data, untouched in their blocks, send it as before.
    if (beforegrowth && KeyStateEntry::learnedSlot(entry) == newslot)
        m_store.putallocation(*beforegrowth);
    // A slot goes with the last record that refers to it: the new format's, or the
    // old one the key alone used once its old record is gone.
    if (newslot >= 0)
        freeunused(newslot);
    if (oldslot && *oldslot != newslot)
        freeunused(*oldslot);
}

bool CapturedCodeStore::recordfits(int index) const
{
    return recordAddress(m_tables, index) + BlockLayout::keyRecordBytes <= BlockLayout::memorySize;
}

RemoteWrite::Result CapturedCodeStore::writerecord(int index, const std::string &record)
{
    return RemoteWrite::write(m_device, m_tables.writeselector, recordAddress(m_tables, index), record);
}
