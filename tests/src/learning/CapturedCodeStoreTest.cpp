#include <QTest>

#include <cstring>
#include <string>
#include <vector>

#include "BlockAllocator.h"
#include "CapturedCodeStore.h"
#include "FactoryImage.h"
#include "HexText.h"
#include "InterceptingDevice.h"
#include "LearnedCodeStore.h"
#include "MemoryCheck.h"
#include "RemoteRig.h"
#include "RemoteStateChecker.h"

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(CraftedImage)
Q_DECLARE_METATYPE(Conversion::Status)
Q_DECLARE_METATYPE(CapturedCodeStore::Outcome)

namespace
{
using Outcome = CapturedCodeStore::Outcome;
using Kind = CapturedCodeStore::FormatKind;
using Notices = std::vector<std::string>;

const std::string partA = "0123456789ABCDEF";
const std::string partB = "FEDCBA9876543210";
// 20 bytes of format data: three blocks.
const std::string formatData = "00112233445566778899AABBCCDDEEFF01020304";
const std::string received = CapturedCodeStore::receivedNotice;

std::string silence()
{
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += "7FFF";
    return text;
}

// One frame (mark, space, mark), the silence and a 38 kHz carrier; then what
// the buffer held after it.
const std::string frameCapture = "830003008600" + silence() + "4E4E4E00";
const std::string frameDurations = "00C6013A01C6FEFE0014EDED";

std::string reply(const std::string &formatid, const std::string &data = std::string())
{
    return formatid + "::" + partA + ":" + partB + ":::" + data;
}

int keyIndex(int mode, std::uint8_t code)
{
    return FactoryImage::keyIndex(mode, code);
}

// Which writes the remote refuses while passing every other one.
enum class Refused
{
    None,
    Records,         // key records (44 digits)
    KeyTable,        // key records and the clearing of them
    CodeArea,        // format data
    AllocationArea,  // block map and allocation records
};

class WriteFaults : public InterceptingDevice
{
public:
    WriteFaults(RemoteDevice &inner, VirtualRemote &remote)
        : InterceptingDevice(inner)
        , m_remote(remote)
    { }

    Refused refused = Refused::None;
    // The refused writes are carried out all the same; only their replies are lost.
    bool replyLost = false;

    bool writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data) override
    {
        const auto address = HexText::parse(std::string(addrhigh) + addrlow).value_or(0);
        const bool refuse = refused == Refused::Records ? std::strlen(data) == 44
                            : refused == Refused::KeyTable
                                ? address >= FactoryImage::keyTableAddress && address < FactoryImage::allocAreaAddress
                            : refused == Refused::CodeArea
                                ? address >= FactoryImage::codeAreaAddress
                                : refused == Refused::AllocationArea && address == FactoryImage::allocAreaAddress;
        if (refuse && replyLost) {
            InterceptingDevice::writedatav20(selector, addrhigh, addrlow, data);
            return false;
        }
        if (refuse)
            m_remote.injectFault(VirtualRemote::Operation::WriteData, 1);
        return InterceptingDevice::writedatav20(selector, addrhigh, addrlow, data);
    }

private:
    VirtualRemote &m_remote;
};

// A virtual remote with its tables read, a store on it and a converter that
// answers what the test says.
struct StoreRig
{
    explicit StoreRig(const CraftedImage &image = CraftedImage())
        : rig(image)
        , faults(rig.device(), rig.remote())
        , store(tables, faults, [this](const std::string &input, int carrierHz, const std::string &storedFormats) {
            inputs.push_back(input);
            carriers.push_back(carrierHz);
            offered.push_back(storedFormats);
            log.push_back("convert");
            return Conversion{status, status == Conversion::Status::Converted ? answer : "", error, formatsOffered};
        })
    {
        auto result = rig.read();
        if (result.outcome != RemoteTablesReader::Outcome::Ok)
            qFatal("crafted remote refused: %s", result.reason.c_str());
        tables = std::move(result.tables);
        rig.device().clear();
        keystatesAtLoad = tables.keystates;
        memoryAtLoad = memory();
    }

    CapturedCodeStore::Result learn(const std::string &keycode, int mode = 0, const std::string &capture = frameCapture)
    {
        return store.store(capture, keycode, mode, [this] { log.push_back("converting"); });
    }

    std::vector<std::uint8_t> memory() const { return rig.memory(0, FactoryImage::memorySize); }
    std::string bytes(std::uint32_t address, std::size_t count) const
    {
        return CraftedImage::hex(rig.memory(static_cast<std::uint16_t>(address), count));
    }
    std::string record(int index) const
    {
        return bytes(FactoryImage::keyRecordAddress(index), FactoryImage::keyRecordSize);
    }
    std::string slot(int slot) const { return bytes(CraftedImage::slotAddress(slot), FactoryImage::allocRecordSize); }
    std::string entry(int index) const { return tables.keystates[static_cast<std::size_t>(index)]; }
    // Neither the remote nor the working copies changed since loading.
    bool untouched()
    {
        return rig.device().writes().empty() && memory() == memoryAtLoad && tables.keystates == keystatesAtLoad;
    }
    // What start-up would read from the remote now agrees with the working copies.
    bool rereadAgrees()
    {
        const auto reread = rig.read();
        return reread.tables.allocrecords == tables.allocrecords && reread.tables.blockmap == tables.blockmap;
    }
    MemoryCheck::Report check() const { return MemoryCheck::check(memory()); }

    RemoteRig rig;
    WriteFaults faults;
    RemoteTables tables;
    Conversion::Status status = Conversion::Status::Converted;
    std::string answer;
    std::string error;
    bool formatsOffered = false;  // the answer came from a call that offered the stored formats
    std::vector<std::string> inputs;
    std::vector<int> carriers;
    std::vector<std::string> offered;  // the stored formats each conversion was offered
    std::vector<std::string> log;
    CapturedCodeStore store;
    std::vector<std::string> keystatesAtLoad;
    std::vector<std::uint8_t> memoryAtLoad;
};

// Slot 0 holds format 112233 in blocks 0-1, used by a key of CBL.
CraftedImage oneStoredFormat()
{
    return CraftedImage().learnedKey(keyIndex(1, 0x10), 0).slot(0, 0x112233, 0, 2);
}

// The TV key 62 uses format 998877 in slot 3, blocks 10-11.
CraftedImage learnedTvKey()
{
    return CraftedImage().learnedKey(keyIndex(0, 0x62), 3).slot(3, 0x998877, 10, 2);
}
// Every allocation slot in use, slot s by format 3000ss in block s.
CraftedImage fullSlots()
{
    CraftedImage image;
    for (int slot = 0; slot < FactoryImage::allocRecordCount; ++slot)
        image.slot(slot, 0x300000 + static_cast<std::uint32_t>(slot), slot, 1);
    return image;
}

// Two free blocks left, at the end of the code area.
CraftedImage almostFullCodeArea()
{
    return CraftedImage().markBlocks(0, FactoryImage::blockCount - 2);
}

// The bytes of format data in the code area, from block `first` on.
CraftedImage &withData(CraftedImage &image, int first, const std::string &data)
{
    return image.put(FactoryImage::codeAreaAddress + FactoryImage::blockSize * static_cast<std::uint32_t>(first),
                     *HexText::bytes(data));
}
}  // namespace

Q_DECLARE_METATYPE(Refused)

class CapturedCodeStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void knownFormat_data();
    void knownFormat();
    void carrierOfTheCapture_data();
    void carrierOfTheCapture();
    void otherIdsAreLearned_data();
    void otherIdsAreLearned();
    void newLearnedFormat();
    void newFormatPassesASlotAKeyNames();
    void storedFormatIsReused();
    void relearningKeepsTheSlot();
    void relearningAnotherFormatFreesTheOld();

    void nothingToStore_data();
    void nothingToStore();
    void notConverted_data();
    void notConverted();
    void converterRaised();
    void refusedWritesNothing_data();
    void refusedWritesNothing();
    void fullSlotsTakeAStoredFormat();
    void lastBlocksTakeASmallFormat();
    void recordWriteFails_data();
    void recordWriteFails();
    void dropAndRecordWriteFail();
    void failedDropOfALearnedFormat_data();
    void failedDropOfALearnedFormat();
    void storedFormatsAreOffered_data();
    void storedFormatsAreOffered();
    void roomTheDropMakes_data();
    void roomTheDropMakes();
    void refusedFormatWrites_data();
    void refusedFormatWrites();
    void lostRepliesOfAppliedWrites_data();
    void lostRepliesOfAppliedWrites();
    void growingAStoredFormat_data();
    void growingAStoredFormat();
    void unreadRecordKeepsItsSlot();
};

void CapturedCodeStoreTest::knownFormat_data()
{
    QTest::addColumn<std::string>("formatid");
    QTest::newRow("listed") << std::string("2402B7");
    QTest::newRow("listed, lower case") << std::string("2402b7");
    QTest::newRow("listed, below 22") << std::string("0C0000");
    QTest::newRow("not listed, below 22 with zeros") << std::string("210000");
    QTest::newRow("not listed, zero") << std::string("000000");
}

void CapturedCodeStoreTest::knownFormat()
{
    QFETCH(std::string, formatid);
    StoreRig rig(oneStoredFormat());
    rig.answer = reply(formatid);
    const int index = keyIndex(0, 0x62);

    const auto result = rig.learn("62", 0, frameCapture + "83000300" + std::string(40, '\0'));
    QCOMPARE(result.outcome, Outcome::Stored);
    QVERIFY(!result.capturefailed());
    QCOMPARE(result.kind, Kind::Known);
    QCOMPARE(result.index, index);
    QCOMPARE(result.notices, Notices{received});
    QCOMPARE(result.collectedcode, frameCapture);
    QCOMPARE(rig.log, (std::vector<std::string>{"converting", "convert"}));
    QCOMPARE(rig.inputs.front(), frameDurations);
    QCOMPARE(rig.carriers.front(), 38000);

    const QString record = QString::fromStdString("C00000" + formatid + partA + partB).toUpper();
    QCOMPARE(rig.record(index), record.toStdString());
    QCOMPARE(rig.entry(index), "62|2|0|" + formatid);
    // Nothing but the key's own record was touched.
    const auto writes = rig.rig.device().writes();
    QCOMPARE(writes.size(), std::size_t{2});
    QCOMPARE(rig.rig.device().writesAt(FactoryImage::keyRecordAddress(index)).size(), std::size_t{2});
    auto memory = rig.memory();
    auto expected = rig.memoryAtLoad;
    std::copy_n(memory.begin() + FactoryImage::keyRecordAddress(index), FactoryImage::keyRecordSize,
                expected.begin() + FactoryImage::keyRecordAddress(index));
    QVERIFY(memory == expected);
}

// The converter gets the carrier that the capture's closing words give.
void CapturedCodeStoreTest::carrierOfTheCapture_data()
{
    QTest::addColumn<std::string>("closing");
    QTest::addColumn<int>("carrierHz");
    QTest::newRow("36 kHz") << std::string("53535300") << 36000;
    QTest::newRow("40 kHz") << std::string("4B4B4A00") << 40000;
    QTest::newRow("none") << std::string("00000000") << 0;
}

void CapturedCodeStoreTest::carrierOfTheCapture()
{
    QFETCH(std::string, closing);
    QFETCH(int, carrierHz);
    StoreRig rig;
    rig.answer = reply("010000");
    const auto result = rig.learn("62", 0, "830003008600" + silence() + closing);
    QCOMPARE(result.outcome, Outcome::Stored);
    QCOMPARE(rig.inputs, std::vector<std::string>{frameDurations});
    QCOMPARE(rig.carriers, std::vector<int>{carrierHz});
}

void CapturedCodeStoreTest::otherIdsAreLearned_data()
{
    QTest::addColumn<std::string>("formatid");
    QTest::addColumn<CraftedImage>("image");
    QTest::newRow("first byte 22") << std::string("220000") << CraftedImage();
    QTest::newRow("below 22, not zeros") << std::string("210100") << CraftedImage();
    QTest::newRow("a listed id but one") << std::string("2402B8") << CraftedImage();
    // A freed slot keeps the id it held: the format is not stored there.
    QTest::newRow("the stale id of a free slot")
        << std::string("ABCDEF") << CraftedImage().slot(0, 0xABCDEF, 4, 2, false, false);
}

void CapturedCodeStoreTest::otherIdsAreLearned()
{
    QFETCH(std::string, formatid);
    QFETCH(CraftedImage, image);
    StoreRig rig(image);
    rig.answer = reply(formatid, formatData);
    const auto result = rig.learn("62");
    QCOMPARE(result.outcome, Outcome::Stored);
    QCOMPARE(result.kind, Kind::LearnedNew);
    QCOMPARE(rig.slot(0).substr(0, 6), formatid);
    QVERIFY(rig.check().corruption.empty());
}

void CapturedCodeStoreTest::newLearnedFormat()
{
    StoreRig rig(oneStoredFormat());
    rig.answer = reply("ABCDEF", formatData);
    const int index = keyIndex(0, 0x62);

    const auto result = rig.learn("62");
    QCOMPARE(result.outcome, Outcome::Stored);
    QCOMPARE(result.kind, Kind::LearnedNew);
    QCOMPARE(result.notices, Notices{received});
    QCOMPARE(rig.store.slotref(), std::string("01FFFF"));
    QCOMPARE(rig.record(index), "C0008001FFFF" + partA + partB);
    QCOMPARE(rig.entry(index), std::string("62|2|1|01FFFF"));
    // Slot 1, in use from block 2, three blocks; blocks 0-4 marked.
    QCOMPARE(rig.slot(1), std::string("ABCDEF028003"));
    QCOMPARE(rig.bytes(FactoryImage::allocAreaAddress, 2), std::string("F800"));
    QCOMPARE(rig.bytes(FactoryImage::codeAreaAddress + 2 * FactoryImage::blockSize, formatData.size() / 2), formatData);
    QVERIFY(rig.rereadAgrees());
    QCOMPARE(rig.rig.read().tables.keystates[static_cast<std::size_t>(index)], rig.entry(index));
    const auto report = rig.check();
    QVERIFY(report.corruption.empty());
    QVERIFY(report.leaks.empty());
}

// A slot marked free that a key record still names is not handed to a new
// format: the key would send that format's timing.
void CapturedCodeStoreTest::newFormatPassesASlotAKeyNames()
{
    StoreRig rig(CraftedImage().learnedKey(keyIndex(1, 0x10), 0));
    rig.answer = reply("ABCDEF", formatData);
    QCOMPARE(rig.learn("62").outcome, Outcome::Stored);
    QCOMPARE(rig.store.slotref(), std::string("01FFFF"));
    QCOMPARE(rig.slot(0), std::string(12, '0'));
}

void CapturedCodeStoreTest::storedFormatIsReused()
{
    StoreRig rig(oneStoredFormat());
    rig.answer = reply("ABCDEF", formatData);
    QCOMPARE(rig.learn("62").outcome, Outcome::Stored);
    const auto areaBefore = rig.bytes(FactoryImage::allocAreaAddress, 256);
    rig.rig.device().clear();

    // A key of another mode, and one of the format the remote held before.
    const int sat = keyIndex(2, 0x20);
    const auto again = rig.learn("20", 2);
    QCOMPARE(again.outcome, Outcome::Stored);
    QCOMPARE(again.kind, Kind::LearnedStored);
    QCOMPARE(rig.store.slotref(), std::string("01"));
    QCOMPARE(rig.record(sat), "C0008001FFFF" + partA + partB);
    QCOMPARE(rig.entry(sat), std::string("20|2|1|01"));
    rig.answer = reply("112233");
    const int vcr = keyIndex(4, 0x71);
    QCOMPARE(rig.learn("71", 4).kind, Kind::LearnedStored);
    QCOMPARE(rig.record(vcr), "C0008000FFFF" + partA + partB);
    QCOMPARE(rig.entry(vcr), std::string("71|2|1|00"));

    // Only the two key records were written: no block, no allocation area.
    for (const auto &write : rig.rig.device().writes())
        QVERIFY(write.address == FactoryImage::keyRecordAddress(sat)
                || write.address == FactoryImage::keyRecordAddress(vcr));
    QCOMPARE(rig.bytes(FactoryImage::allocAreaAddress, 256), areaBefore);
    QVERIFY(rig.check().leaks.empty());
}

void CapturedCodeStoreTest::relearningKeepsTheSlot()
{
    StoreRig rig(oneStoredFormat());
    rig.answer = reply("ABCDEF", formatData);
    QCOMPARE(rig.learn("62").outcome, Outcome::Stored);
    const auto areaBefore = rig.bytes(FactoryImage::allocAreaAddress, 256);
    const auto recordsBefore = rig.tables.allocrecords;

    const auto again = rig.learn("62");
    QCOMPARE(again.outcome, Outcome::Stored);
    QCOMPARE(again.kind, Kind::LearnedStored);
    QCOMPARE(rig.entry(keyIndex(0, 0x62)), std::string("62|2|1|01"));
    QCOMPARE(rig.tables.allocrecords, recordsBefore);
    QCOMPARE(rig.bytes(FactoryImage::allocAreaAddress, 256), areaBefore);
    const auto report = rig.check();
    QVERIFY(report.corruption.empty());
    QVERIFY(report.leaks.empty());
}

void CapturedCodeStoreTest::relearningAnotherFormatFreesTheOld()
{
    StoreRig rig(learnedTvKey());
    rig.answer = reply("2402B7");
    QCOMPARE(rig.learn("62").outcome, Outcome::Stored);
    QCOMPARE(rig.slot(3), std::string(12, '0'));
    QCOMPARE(rig.tables.blockmap.substr(10, 2), std::string("00"));
    QVERIFY(rig.rereadAgrees());
    QVERIFY(rig.check().leaks.empty());
}

void CapturedCodeStoreTest::nothingToStore_data()
{
    QTest::addColumn<std::string>("keycode");
    QTest::addColumn<std::string>("capture");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("empty capture") << std::string("62") << std::string() << Outcome::NothingCaptured;
    QTest::newRow("no pending key") << std::string() << frameCapture << Outcome::NoPendingKey;
}

void CapturedCodeStoreTest::nothingToStore()
{
    QFETCH(std::string, keycode);
    QFETCH(std::string, capture);
    QFETCH(Outcome, outcome);
    StoreRig rig;
    rig.answer = reply("010000");
    const auto result = rig.learn(keycode, 0, capture);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.capturefailed(), outcome != Outcome::NoPendingKey);
    QVERIFY(result.notices.empty());
    QVERIFY(rig.log.empty());
    QVERIFY(rig.untouched());
}

void CapturedCodeStoreTest::notConverted_data()
{
    QTest::addColumn<Conversion::Status>("status");
    QTest::addColumn<std::string>("answer");

    QTest::newRow("library missing") << Conversion::Status::LibraryMissing << reply("010000");
    QTest::newRow("entry point missing") << Conversion::Status::EntryMissing << reply("010000");
    QTest::newRow("empty result") << Conversion::Status::Converted << std::string();
    QTest::newRow("no delimiters") << Conversion::Status::Converted << "010000" + partA + partB;
    QTest::newRow("short id") << Conversion::Status::Converted << reply("01000");
    QTest::newRow("id not hex") << Conversion::Status::Converted << reply("01000Z");
    QTest::newRow("short part") << Conversion::Status::Converted << "010000::" + partA + ":" + partB.substr(2) + ":::";
    QTest::newRow("new learned format without data") << Conversion::Status::Converted << reply("ABCDEF");
}

void CapturedCodeStoreTest::notConverted()
{
    QFETCH(Conversion::Status, status);
    QFETCH(std::string, answer);
    StoreRig rig(learnedTvKey());
    rig.status = status;
    rig.answer = answer;
    const auto result = rig.learn("62");
    QCOMPARE(result.outcome, Outcome::NotConverted);
    QVERIFY(result.capturefailed());
    QCOMPARE(result.notices, Notices{CapturedCodeStore::learnedFaillyNotice});
    QCOMPARE(rig.log, (std::vector<std::string>{"converting", "convert"}));
    QVERIFY(rig.untouched());
}

void CapturedCodeStoreTest::converterRaised()
{
    StoreRig rig;
    rig.status = Conversion::Status::Raised;
    rig.error = "bad_alloc";
    const auto result = rig.learn("62");
    QCOMPARE(result.outcome, Outcome::ConverterRaised);
    QVERIFY(result.capturefailed());
    QVERIFY(result.notices.empty());
    QCOMPARE(result.error, std::string("bad_alloc"));
    QVERIFY(rig.untouched());
}

void CapturedCodeStoreTest::recordWriteFails_data()
{
    QTest::addColumn<CraftedImage>("image");
    QTest::addColumn<std::string>("keycode");
    QTest::addColumn<std::string>("answer");
    QTest::addColumn<bool>("slot3InUse");  // afterwards

    const std::string known = reply("2402B7");
    QTest::newRow("downloaded code, known format") << CraftedImage() << std::string("10") << known << false;
    QTest::newRow("new learned format") << CraftedImage() << std::string("62") << reply("ABCDEF", formatData) << false;
    // The key alone used the format: with its record gone, so is the format.
    QTest::newRow("same learned format again") << learnedTvKey() << std::string("62") << reply("998877") << false;
    QTest::newRow("learned format another key uses")
        << learnedTvKey().learnedKey(keyIndex(6, 0x62), 3) << std::string("62") << reply("998877") << true;
    QTest::newRow("learned key, known format") << learnedTvKey() << std::string("62") << known << false;
}

void CapturedCodeStoreTest::recordWriteFails()
{
    QFETCH(CraftedImage, image);
    QFETCH(std::string, keycode);
    QFETCH(std::string, answer);
    QFETCH(bool, slot3InUse);
    StoreRig rig(image);
    rig.answer = answer;
    rig.faults.refused = Refused::Records;
    const int index = keyIndex(0, static_cast<std::uint8_t>(std::stoi(keycode, nullptr, 16)));

    const auto result = rig.learn(keycode);
    QCOMPARE(result.outcome, Outcome::RecordWriteFailed);
    QVERIFY(result.capturefailed());
    QVERIFY(result.notices.empty());
    // The remote dropped the old code; the entry says so.
    QCOMPARE(rig.record(index).substr(0, 2), std::string("00"));
    QCOMPARE(rig.entry(index), keycode + "|0");
    QCOMPARE(rig.slot(3).substr(8, 1) >= "8", slot3InUse);
    QCOMPARE(rig.slot(0), std::string(12, '0'));
    QVERIFY(rig.rereadAgrees());
    const auto report = rig.check();
    QVERIFY(report.corruption.empty());
    QVERIFY(report.leaks.empty());
}

void CapturedCodeStoreTest::dropAndRecordWriteFail()
{
    StoreRig rig;
    rig.answer = reply("2402B7");
    rig.rig.remote().injectFault(VirtualRemote::Operation::WriteData, 2);
    const int index = keyIndex(0, 0x10);
    const auto result = rig.learn("10");
    QCOMPARE(result.outcome, Outcome::RecordWriteFailed);
    QCOMPARE(result.notices, Notices{CapturedCodeStore::deletedFaillyNotice});
    // Neither write reached the remote: the downloaded code is still there, and so says its entry.
    QVERIFY(rig.memory() == rig.memoryAtLoad);
    QCOMPARE(rig.entry(index), std::string("10|1|0|"));
}

void CapturedCodeStoreTest::failedDropOfALearnedFormat_data()
{
    QTest::addColumn<int>("failingWrites");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<bool>("slot3InUse");
    QTest::addColumn<std::string>("answer");
    const std::string known = reply("2402B7");
    QTest::newRow("record not written either") << 2 << Outcome::RecordWriteFailed << true << known;
    QTest::newRow("record written") << 1 << Outcome::Stored << false << known;
    // The old record the remote kept still refers to slot 3.
    QTest::newRow("the same stored format, record not written either")
        << 2 << Outcome::RecordWriteFailed << true << reply("998877", formatData);
}

void CapturedCodeStoreTest::failedDropOfALearnedFormat()
{
    // Key 62 holds a learned format of slot 3 that no other key uses.
    QFETCH(int, failingWrites);
    QFETCH(Outcome, outcome);
    QFETCH(bool, slot3InUse);
    QFETCH(std::string, answer);
    StoreRig rig(learnedTvKey());
    rig.answer = answer;
    const int index = keyIndex(0, 0x62);
    const std::string oldRecord = rig.record(index);
    rig.rig.remote().injectFault(VirtualRemote::Operation::WriteData, failingWrites);

    const auto result = rig.learn("62");
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.notices.front(), std::string(CapturedCodeStore::deletedFaillyNotice));
    // The slot goes only with the last record that refers to it.
    QCOMPARE(rig.record(index) == oldRecord, slot3InUse);
    QCOMPARE(rig.slot(3).substr(8, 1) >= "8", slot3InUse);
    QCOMPARE(rig.entry(index).substr(0, 6), std::string(slot3InUse ? "62|2|1" : "62|2|0"));
    QVERIFY(rig.rereadAgrees());
    const auto report = rig.check();
    QVERIFY(report.corruption.empty());
    QVERIFY(report.leaks.empty());
}

void CapturedCodeStoreTest::refusedWritesNothing_data()
{
    QTest::addColumn<CraftedImage>("image");
    QTest::addColumn<std::string>("keycode");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("listMismatch");  // another key's entry where this key's should be
    QTest::addColumn<std::string>("answer");
    QTest::addColumn<Outcome>("outcome");

    const std::string learned = reply("ABCDEF", formatData);
    const std::string known = reply("2402B7");
    QTest::newRow("every slot in use") << fullSlots() << std::string("62") << 0 << false << learned
                                       << Outcome::NoFreeSlot;
    QTest::newRow("no room in the code area")
        << almostFullCodeArea() << std::string("10") << 0 << false << learned << Outcome::NoRoom;
    QTest::newRow("key not in the key-code list")
        << CraftedImage() << std::string("11") << 0 << false << known << Outcome::KeyNotListed;
    QTest::newRow("list names another key there")
        << CraftedImage() << std::string("62") << 1 << true << known << Outcome::KeyNotListed;
    QTest::newRow("mode past the last") << CraftedImage() << std::string("62") << 8 << false << known
                                        << Outcome::IndexOutside;
    QTest::newRow("negative mode") << CraftedImage() << std::string("62") << -1 << false << known
                                   << Outcome::IndexOutside;
}

void CapturedCodeStoreTest::refusedWritesNothing()
{
    QFETCH(CraftedImage, image);
    QFETCH(std::string, keycode);
    QFETCH(int, mode);
    QFETCH(bool, listMismatch);
    QFETCH(std::string, answer);
    QFETCH(Outcome, outcome);
    StoreRig rig(image);
    rig.answer = answer;
    if (listMismatch) {
        rig.tables.keystates[static_cast<std::size_t>(keyIndex(mode, 0x62))] = "63|0|0|";
        rig.keystatesAtLoad = rig.tables.keystates;
    }
    const auto result = rig.learn(keycode, mode);
    QCOMPARE(result.outcome, outcome);
    QVERIFY(result.capturefailed());
    QVERIFY(result.notices.empty());
    QVERIFY(rig.untouched());
}

void CapturedCodeStoreTest::fullSlotsTakeAStoredFormat()
{
    StoreRig rig(fullSlots());
    rig.answer = reply("30001F");
    QCOMPARE(rig.learn("62").outcome, Outcome::Stored);
    QCOMPARE(rig.entry(keyIndex(0, 0x62)), std::string("62|2|1|1F"));
    // The converter hears that no slot is left for a format of the key's own.
    QVERIFY(rig.offered.back().find(";slotsfull;") != std::string::npos);
}

void CapturedCodeStoreTest::lastBlocksTakeASmallFormat()
{
    StoreRig rig(almostFullCodeArea().slot(0, 0x112233, 0, 1));
    rig.answer = reply("ABCDEF", formatData.substr(0, 32));
    QCOMPARE(rig.learn("10").outcome, Outcome::Stored);
    // The converter hears how much room new data of a stored format would find.
    QVERIFY(rig.offered.back().ends_with(";room:16"));
    const std::uint32_t lastTwo =
        FactoryImage::codeAreaAddress + (FactoryImage::blockCount - 2) * FactoryImage::blockSize;
    QCOMPARE(rig.bytes(lastTwo, 16), formatData.substr(0, 32));
}

// The converter is offered every format the remote holds: the slots in use,
// their data read from their blocks, or taken from the copies once known.
void CapturedCodeStoreTest::storedFormatsAreOffered_data()
{
    QTest::addColumn<CraftedImage>("image");
    QTest::addColumn<int>("failingRead");  // 0: none
    // A slot's data are followed by the parts of the key records that refer to
    // it ("{62}": key 62 of TV's) when the key table could be read.
    QTest::addColumn<std::string>("offered");
    // Once the key's new format is stored in the first free slot.
    QTest::addColumn<std::string>("offeredAfter");

    const std::string blocks = "00112233445566778899AABBCCDDEEFF";
    const std::string stored = "ABCDEF:" + formatData;
    CraftedImage one = oneStoredFormat();
    QTest::newRow("nothing learned") << CraftedImage() << 0 << std::string() << stored;
    QTest::newRow("a slot in use") << withData(one, 0, blocks) << 0 << "112233:" + blocks + ":{10}"
                                   << "112233:" + blocks + ";" + stored;
    CraftedImage two = oneStoredFormat().slot(5, 0xA1B2C3, 7, 1).learnedKey(keyIndex(3, 0x20), 5);
    const std::string both = "112233:" + blocks + ":{10};A1B2C3:" + blocks.substr(0, 16) + ":{20}";
    QTest::newRow("slots in their order") << withData(withData(two, 0, blocks), 7, blocks.substr(0, 16)) << 0 << both
                                          << "112233:" + blocks + ";" + stored + ";A1B2C3:" + blocks.substr(0, 16);
    // The key's own old parts go last, apart, for the converter to try again.
    QTest::newRow("the key learned again") << withData(oneStoredFormat().learnedKey(keyIndex(0, 0x62), 0), 0, blocks)
                                           << 0 << "112233:" + blocks + ":{10};replaced:112233:{62 before}"
                                           << "112233:" + blocks + ";" + stored;
    CraftedImage freed = CraftedImage().slot(0, 0x112233, 0, 2, false, false);
    QTest::newRow("a free slot's old id") << withData(freed, 0, blocks) << 0 << std::string() << stored;
    // The next key's key table is read, its failing read taken by the blocks.
    QTest::newRow("blocks that cannot be read") << withData(one, 0, blocks) << 1 << std::string() << stored + ":{62}";
    QTest::newRow("blocks past the code area")
        << CraftedImage().slot(0, 0x112233, FactoryImage::blockCount - 1, 2, true, false) << 0 << std::string()
        << stored;
}

void CapturedCodeStoreTest::storedFormatsAreOffered()
{
    QFETCH(CraftedImage, image);
    QFETCH(int, failingRead);
    QFETCH(std::string, offered);
    QFETCH(std::string, offeredAfter);
    StoreRig rig(image);
    const std::string partsBefore = rig.record(keyIndex(0, 0x62)).substr(12);
    const auto withParts = [&rig, &partsBefore](std::string text) {
        for (const auto &[name, index] : {std::pair{"{10}", keyIndex(1, 0x10)}, std::pair{"{20}", keyIndex(3, 0x20)},
                                          std::pair{"{62}", keyIndex(0, 0x62)}}) {
            if (const auto at = text.find(name); at != std::string::npos)
                text.replace(at, 4, rig.record(index).substr(12));
        }
        const std::string before = "{62 before}";
        if (const auto at = text.find(before); at != std::string::npos)
            text.replace(at, before.size(), partsBefore);
        // The code area nearly empty, new data may take the most blocks a format has.
        return text.empty() ? text : text + ";room:" + std::to_string(0xFF * FactoryImage::blockSize);
    };
    if (failingRead > 0)
        rig.rig.device().failRead(failingRead);
    rig.answer = reply("ABCDEF", formatData);
    QCOMPARE(rig.learn("62").outcome, Outcome::Stored);
    QCOMPARE(rig.offered, std::vector<std::string>{withParts(offered)});
    // The format just stored goes with the next key as stored, not read again;
    // without the key table the formats go without their keys' parts.
    rig.rig.device().failRead(1);
    rig.answer = reply("2402B7");
    QCOMPARE(rig.learn("63").outcome, Outcome::Stored);
    QCOMPARE(rig.offered.back(), withParts(offeredAfter));
}

// Learning a key again frees what its old code held; the new format may use
// that room, but only once the old code is known to go.
void CapturedCodeStoreTest::roomTheDropMakes_data()
{
    QTest::addColumn<CraftedImage>("image");
    QTest::addColumn<int>("failingWrites");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<std::string>("slot");  // the new format's, once stored

    const int tv62 = keyIndex(0, 0x62);
    const CraftedImage everySlot = fullSlots().learnedKey(tv62, 3);
    QTest::newRow("every slot in use, one the key's alone") << everySlot << 0 << Outcome::Stored << std::string("03");
    // Blocks 10-12 hold the key's format, every other block is in use.
    CraftedImage blocks =
        CraftedImage().markBlocks(0, FactoryImage::blockCount).slot(3, 0x998877, 10, 3).learnedKey(tv62, 3);
    QTest::newRow("code area full but for the key's own blocks") << blocks << 0 << Outcome::Stored << std::string("00");
    QTest::newRow("another key uses them too")
        << CraftedImage(blocks).learnedKey(keyIndex(4, 0x62), 3) << 0 << Outcome::NoRoom << std::string();
    QTest::newRow("the old code is not dropped") << blocks << 1 << Outcome::NoRoom << std::string();
}

void CapturedCodeStoreTest::roomTheDropMakes()
{
    QFETCH(CraftedImage, image);
    QFETCH(int, failingWrites);
    QFETCH(Outcome, outcome);
    QFETCH(std::string, slot);
    StoreRig rig(image);
    rig.answer = reply("ABCDEF", formatData);
    const int index = keyIndex(0, 0x62);
    const std::string oldRecord = rig.record(index);
    rig.rig.remote().injectFault(VirtualRemote::Operation::WriteData, failingWrites);

    const auto result = rig.learn("62");
    QCOMPARE(result.outcome, outcome);
    // The slot the drop frees is one for a format of the key's own.
    QVERIFY(rig.offered.back().find("slotsfull") == std::string::npos);
    if (outcome == Outcome::Stored) {
        // The new format took the room the key's old one left.
        QCOMPARE(rig.record(index), "C00080" + slot + "FFFF" + partA + partB);
        QCOMPARE(rig.entry(index), "62|2|1|" + slot + "FFFF");
        const int taken = std::stoi(slot, nullptr, 16);
        QCOMPARE(rig.slot(taken).substr(0, 6) + rig.slot(taken).substr(10), std::string("ABCDEF03"));
        if (taken != 3)
            QCOMPARE(rig.slot(3), std::string(12, '0'));
    } else {
        // Nothing freed, nothing written but the refused clear.
        QCOMPARE(rig.record(index), oldRecord);
        QCOMPARE(rig.entry(index), rig.keystatesAtLoad[static_cast<std::size_t>(index)]);
        QCOMPARE(rig.slot(3).substr(0, 6), std::string("998877"));
        QCOMPARE(result.notices.empty(), failingWrites == 0);
    }
    QVERIFY(rig.rereadAgrees());
    QVERIFY(rig.check().corruption.empty());
}

// A new format whose data or allocation area the remote refuses: no record
// may refer to it.
void CapturedCodeStoreTest::refusedFormatWrites_data()
{
    QTest::addColumn<CraftedImage>("image");
    QTest::addColumn<Refused>("refused");
    QTest::addColumn<bool>("oldCodeKept");

    for (const auto &[name, refused] : {std::pair{"code area refused", Refused::CodeArea},
                                        std::pair{"allocation area refused", Refused::AllocationArea}}) {
        QTest::newRow(name) << CraftedImage() << refused << true;
        QTest::newRow((std::string(name) + ", a learned key's old code kept").c_str())
            << learnedTvKey() << refused << true;
        // The room is the old code's own: the old code goes first.
        CraftedImage full = CraftedImage()
                                .markBlocks(0, FactoryImage::blockCount)
                                .slot(3, 0x998877, 10, 3)
                                .learnedKey(keyIndex(0, 0x62), 3);
        QTest::newRow((std::string(name) + ", after the drop made room").c_str()) << full << refused << false;
    }
}

void CapturedCodeStoreTest::refusedFormatWrites()
{
    QFETCH(CraftedImage, image);
    QFETCH(Refused, refused);
    QFETCH(bool, oldCodeKept);
    StoreRig rig(image);
    rig.answer = reply("ABCDEF", formatData);
    rig.faults.refused = refused;
    const int index = keyIndex(0, 0x62);
    const std::string oldRecord = rig.record(index);

    const auto result = rig.learn("62");
    QCOMPARE(result.outcome, Outcome::RecordWriteFailed);
    QCOMPARE(rig.record(index) == oldRecord, oldCodeKept);
    QCOMPARE(rig.entry(index), oldCodeKept ? rig.keystatesAtLoad[static_cast<std::size_t>(index)] : "62|0");
    QVERIFY(rig.tables.allocrecords.find("ABCDEF") == std::string::npos);
    QVERIFY(rig.rereadAgrees());
    const auto report = rig.check();
    QVERIFY(report.corruption.empty());
    // Refused, the allocation area still holds the dropped code's slot: a leak, not a record pointing astray.
    const bool leaked = !oldCodeKept && refused == Refused::AllocationArea;
    QCOMPARE(report.leaks.size(), MemoryCheck::check(rig.memoryAtLoad).leaks.size() + (leaked ? 1 : 0));
}

// Writes the remote carried out although their replies were lost: the key
// record, the new format's data or the allocation area, while two keys learn
// one format. Then the first key is deleted and another learns a new format,
// which must not take the slot the second key's record names.
void CapturedCodeStoreTest::lostRepliesOfAppliedWrites_data()
{
    QTest::addColumn<Refused>("lost");
    QTest::newRow("second key's record") << Refused::Records;
    QTest::newRow("format data") << Refused::CodeArea;
    QTest::newRow("allocation area") << Refused::AllocationArea;
}

void CapturedCodeStoreTest::lostRepliesOfAppliedWrites()
{
    QFETCH(Refused, lost);
    StoreRig rig;
    const auto agrees = [&rig] {
        const std::vector<std::string> differences = RemoteStateChecker::compare(rig.tables, rig.memory());
        return differences.empty() ? std::string() : differences.front();
    };
    rig.faults.replyLost = true;
    rig.answer = reply("ABCDEF", formatData);
    // Key 12 stores the new format, key 14 only its record: the reply is lost
    // where the write is made (the road: key 14's record).
    const bool recordOnly = lost == Refused::Records;
    for (const char *key : {"12", "14"}) {
        rig.faults.refused = (key == std::string("14")) == recordOnly ? lost : Refused::None;
        // The remote holds what was written: the key is learned, whatever the reply said.
        const auto result = rig.learn(key);
        QCOMPARE(result.outcome, Outcome::Stored);
        QCOMPARE(result.notices, Notices{received});
        QCOMPARE(agrees(), std::string());
    }
    rig.faults.refused = Refused::None;

    // Deleted as the window deletes: the code dropped, then the entry marked.
    QVERIFY(!LearnedCodeStore(rig.tables, rig.faults).releasekeycode(keyIndex(0, 0x12), "12"));
    rig.tables.keystates[static_cast<std::size_t>(keyIndex(0, 0x12))] = "12|0";
    QCOMPARE(agrees(), std::string());
    rig.answer = reply("123456", formatData.substr(0, 16));
    QCOMPARE(rig.learn("16").outcome, Outcome::Stored);
    QCOMPARE(agrees(), std::string());
    // Key 14 still sends its own format.
    const std::string slot14 = rig.record(keyIndex(0, 0x14)).substr(6, 2);
    QCOMPARE(rig.slot(std::stoi(slot14, nullptr, 16)).substr(0, 6), std::string("ABCDEF"));
}

// A record write that fails and cannot be read back: the record may name the
// stored format's slot, so the slot stays when the other key using it goes.
void CapturedCodeStoreTest::unreadRecordKeepsItsSlot()
{
    StoreRig rig(oneStoredFormat());
    rig.answer = reply("112233");
    rig.faults.refused = Refused::Records;
    const std::string tv62 = HexText::format(FactoryImage::keyRecordAddress(keyIndex(0, 0x62)), 4);
    rig.faults.failRead = [tv62](const std::string &address) { return address == tv62; };
    QCOMPARE(rig.learn("62").outcome, Outcome::RecordWriteFailed);
    QCOMPARE(rig.entry(keyIndex(0, 0x62)), std::string("62|0"));

    QVERIFY(!LearnedCodeStore(rig.tables, rig.faults).releasekeycode(keyIndex(1, 0x10), "10"));
    QCOMPARE(rig.slot(0).substr(0, 6), std::string("112233"));
    QVERIFY(rig.rereadAgrees());
    QVERIFY(rig.check().consistent());
}

// A stored format the converter grew by a key's timing (same id, other data)
// gets new blocks: the data first, then the allocation area that names them
// and frees the old ones, then the key's record. A refused write leaves the
// slot as it was and no record pointing at data that are not there.
void CapturedCodeStoreTest::growingAStoredFormat_data()
{
    QTest::addColumn<Refused>("refused");
    QTest::addColumn<bool>("offered");
    QTest::newRow("grown") << Refused::None << true;
    QTest::newRow("code area refused") << Refused::CodeArea << true;
    QTest::newRow("allocation area refused") << Refused::AllocationArea << true;
    // The old record stays and the format takes back the data that send it.
    QTest::newRow("key table refused") << Refused::KeyTable << true;
    // Other data from a call that was offered no formats are no growth: the slot stays.
    QTest::newRow("not offered") << Refused::None << false;
}

void CapturedCodeStoreTest::growingAStoredFormat()
{
    QFETCH(Refused, refused);
    QFETCH(bool, offered);
    const int index = keyIndex(0, 0x62);
    CraftedImage image = CraftedImage().slot(3, 0xABCDEF, 10, 1).learnedKey(keyIndex(1, 0x10), 3).learnedKey(index, 3);
    StoreRig rig(withData(image, 10, "A1A2A3A4A5A6A7A8"));
    const std::string slotBefore = rig.slot(3);
    const std::string oldRecord = rig.record(index);
    rig.answer = reply("ABCDEF", formatData);
    rig.formatsOffered = offered;
    rig.faults.refused = refused;

    const auto result = rig.learn("62");
    const bool grown = offered && refused == Refused::None;
    QCOMPARE(result.outcome, offered && !grown ? Outcome::RecordWriteFailed : Outcome::Stored);
    QCOMPARE(rig.slot(3) == slotBefore, !grown);
    QCOMPARE(rig.record(index) == oldRecord, offered && !grown);
    const auto allocation = BlockAllocator(rig.tables).record(3);
    QVERIFY(allocation && allocation->inuse && allocation->formatid == "ABCDEF");
    const std::string held = rig.bytes(
        FactoryImage::codeAreaAddress + FactoryImage::blockSize * static_cast<std::uint32_t>(allocation->firstblock),
        formatData.size() / 2);
    QCOMPARE(held == formatData, grown);
    QCOMPARE(rig.tables.blockmap.substr(10, 1), std::string(grown ? "0" : "1"));
    QVERIFY(rig.rereadAgrees());
    QVERIFY(rig.check().corruption.empty());
}

QTEST_GUILESS_MAIN(CapturedCodeStoreTest)
#include "CapturedCodeStoreTest.moc"
