#include <QTest>

#include "FactoryImage.h"
#include "HexText.h"
#include "LearnedCodeStore.h"
#include "MemoryCheck.h"
#include "RemoteRig.h"

Q_DECLARE_METATYPE(CraftedImage)

namespace
{
const int keyA = CraftedImage::keyIndex(0, 40);  // key code 62, TV
const int keyB = CraftedImage::keyIndex(2, 7);   // key code 20, SAT
const std::string codeA = "62";

// Key A uses the format in slot 3 (blocks 10-11), key B the one in slot 5 (blocks 12-14).
CraftedImage twoFormats()
{
    return CraftedImage().learnedKey(keyA, 3).slot(3, 0x998877, 10, 2).learnedKey(keyB, 5).slot(5, 0x445566, 12, 3);
}

std::vector<std::uint8_t> allocationArea(RemoteRig &rig)
{
    return rig.memory(FactoryImage::allocAreaAddress,
                      FactoryImage::blockMapSize + FactoryImage::allocRecordSize * FactoryImage::allocRecordCount);
}

std::uint16_t keyAddress(int index)
{
    return FactoryImage::keyRecordAddress(index);
}

std::string digits(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "0123456789ABCDEF"[(i * 7) % 16];
    return text;
}

// The working copies a rig's remote starts with; a failed read aborts the test.
struct Loaded
{
    explicit Loaded(const CraftedImage &image)
        : rig(image)
    {
        auto result = rig.read();
        if (result.outcome != RemoteTablesReader::Outcome::Ok)
            qFatal("crafted remote refused: %s", result.reason.c_str());
        tables = std::move(result.tables);
        rig.device().clear();
        areaAtLoad = allocationArea(rig);
        recordsAtLoad = tables.allocrecords;
        mapAtLoad = tables.blockmap;
    }

    // Neither the remote's allocation area nor the working copies changed since loading.
    bool allocationUntouched()
    {
        return allocationArea(rig) == areaAtLoad && tables.allocrecords == recordsAtLoad
               && tables.blockmap == mapAtLoad;
    }

    RemoteRig rig;
    RemoteTables tables;
    std::vector<std::uint8_t> areaAtLoad;
    std::string recordsAtLoad;
    std::string mapAtLoad;
};
}  // namespace

class LearnedCodeStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void isknownformatIgnoresCase();
    void dropKnownFormatKeyWritesOnlyTheClear();
    void sharedFormatStaysAllocated_data();
    void sharedFormatStaysAllocated();
    void unusedFormatIsFreed_data();
    void unusedFormatIsFreed();
    void failedClearFreesNothing();
    void keptSlotStays();
    void wrongKeyWritesNothing_data();
    void wrongKeyWritesNothing();
    void storeformatblocks_data();
    void storeformatblocks();
    void refusedWritesLeaveTheCopiesAsTheRemote_data();
    void refusedWritesLeaveTheCopiesAsTheRemote();
    void storeformatblocksRefusesBadInput_data();
    void storeformatblocksRefusesBadInput();
};

void LearnedCodeStoreTest::isknownformatIgnoresCase()
{
    Loaded loaded{CraftedImage()};
    LearnedCodeStore store(loaded.tables, loaded.rig.device());
    QVERIFY(store.isknownformat("2301A0"));
    QVERIFY(store.isknownformat("2301a0"));
    QVERIFY(!store.isknownformat("2301A1"));
    QVERIFY(!store.isknownformat("2301A"));
}

void LearnedCodeStoreTest::dropKnownFormatKeyWritesOnlyTheClear()
{
    // The factory code's format id 010000 starts with the number of an in-use slot.
    Loaded loaded{twoFormats().slot(1, 0x121212, 30, 1)};
    const int index = FactoryImage::keyIndex(0, 0x10);
    LearnedCodeStore store(loaded.tables, loaded.rig.device());

    QVERIFY(!store.releasekeycode(index, "10"));
    const auto &writes = loaded.rig.device().writes();
    QCOMPARE(writes.size(), std::size_t{1});
    QCOMPARE(writes[0].address, keyAddress(index));
    QCOMPARE(writes[0].data, std::string("00"));
    QCOMPARE(loaded.rig.memory(keyAddress(index), 1)[0], std::uint8_t{0});
    QVERIFY(loaded.allocationUntouched());
}

void LearnedCodeStoreTest::sharedFormatStaysAllocated_data()
{
    QTest::addColumn<int>("otherUser");
    QTest::addColumn<bool>("shortReference");  // the entry as learning writes it for a stored format

    QTest::newRow("another key of the same mode") << CraftedImage::keyIndex(0, 41) << false;
    QTest::newRow("the same key in another mode") << CraftedImage::keyIndex(5, 40) << false;
    QTest::newRow("an entry with the slot alone") << CraftedImage::keyIndex(3, 2) << true;
}

void LearnedCodeStoreTest::sharedFormatStaysAllocated()
{
    QFETCH(int, otherUser);
    QFETCH(bool, shortReference);
    Loaded loaded{twoFormats().learnedKey(otherUser, 3)};
    auto &entry = loaded.tables.keystates[static_cast<std::size_t>(otherUser)];
    if (shortReference)
        entry = entry.substr(0, 2) + "|2|1|03";
    LearnedCodeStore store(loaded.tables, loaded.rig.device());

    QVERIFY(!store.releasekeycode(keyA, codeA));
    QCOMPARE(loaded.rig.device().writes().size(), std::size_t{1});
    QCOMPARE(loaded.rig.memory(keyAddress(keyA), 1)[0], std::uint8_t{0});
    QVERIFY(loaded.allocationUntouched());
}

void LearnedCodeStoreTest::unusedFormatIsFreed_data()
{
    QTest::addColumn<CraftedImage>("image");
    QTest::addColumn<bool>("unreadable");  // the old record cannot be read
    QTest::newRow("no other key") << twoFormats() << false;
    // Clearing a mode leaves records naming the slot, but they hold no code.
    QTest::newRow("a cleared key elsewhere") << twoFormats().clearedKey(CraftedImage::keyIndex(4, 40), 3) << false;
    // What the key held is what its entry says; else the slot would leak for good.
    QTest::newRow("old record unreadable") << twoFormats() << true;
}

void LearnedCodeStoreTest::unusedFormatIsFreed()
{
    QFETCH(CraftedImage, image);
    QFETCH(bool, unreadable);
    Loaded loaded{image};
    if (unreadable)
        loaded.rig.device().failRead(1);
    LearnedCodeStore store(loaded.tables, loaded.rig.device());

    QVERIFY(!store.releasekeycode(keyA, codeA));
    QCOMPARE(loaded.tables.allocrecords.substr(36, 12), std::string(12, '0'));
    QCOMPARE(loaded.tables.allocrecords.substr(60, 12), std::string("445566") + "0C8003");
    QCOMPARE(loaded.tables.blockmap.substr(8, 8), std::string("00001110"));

    const auto &device = loaded.rig.device();
    QCOMPARE(device.writes().size(), std::size_t{2});
    QCOMPARE(device.writesAt(keyAddress(keyA)).size(), std::size_t{1});
    QCOMPARE(device.writesAt(FactoryImage::allocAreaAddress).size(), std::size_t{1});
    // What the remote holds now reads back as the working copies.
    const auto reread = loaded.rig.read();
    QCOMPARE(reread.tables.allocrecords, loaded.tables.allocrecords);
    QCOMPARE(reread.tables.blockmap, loaded.tables.blockmap);
    QVERIFY(MemoryCheck::check(loaded.rig.memory(0, FactoryImage::memorySize)).consistent());
}

void LearnedCodeStoreTest::failedClearFreesNothing()
{
    // The record stays on the remote, so its slot must stay in use.
    Loaded loaded{twoFormats()};
    loaded.rig.remote().injectFault(VirtualRemote::Operation::WriteData, 1);
    LearnedCodeStore store(loaded.tables, loaded.rig.device());

    QVERIFY(store.releasekeycode(keyA, codeA));
    const auto &writes = loaded.rig.device().writes();
    QCOMPARE(writes.size(), std::size_t{1});
    QVERIFY(!writes[0].ok);
    QCOMPARE(loaded.rig.memory(keyAddress(keyA), 1)[0], std::uint8_t{0xC0});
    QVERIFY(loaded.allocationUntouched());
    QVERIFY(MemoryCheck::check(loaded.rig.memory(0, FactoryImage::memorySize)).consistent());
}

void LearnedCodeStoreTest::keptSlotStays()
{
    // Learning key A again with the format of its own slot: the new record refers to slot 3.
    Loaded loaded{twoFormats()};
    LearnedCodeStore store(loaded.tables, loaded.rig.device());

    QVERIFY(!store.releasekeycode(keyA, codeA, 3));
    QCOMPARE(loaded.rig.device().writes().size(), std::size_t{1});
    QVERIFY(loaded.allocationUntouched());
    // Keeping another slot does not keep this one.
    Loaded again{twoFormats()};
    QVERIFY(!LearnedCodeStore(again.tables, again.rig.device()).releasekeycode(keyA, codeA, 5));
    QCOMPARE(again.tables.allocrecords.substr(36, 12), std::string(12, '0'));
}

void LearnedCodeStoreTest::wrongKeyWritesNothing_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("keycode");
    QTest::newRow("another key's code") << keyA << "63";
    QTest::newRow("negative index") << -1 << "62";
    QTest::newRow("past the last key") << 8 * int{FactoryImage::keysPerMode} << "10";
}

void LearnedCodeStoreTest::wrongKeyWritesNothing()
{
    QFETCH(int, index);
    QFETCH(QString, keycode);
    Loaded loaded{twoFormats()};
    LearnedCodeStore store(loaded.tables, loaded.rig.device());
    QVERIFY(store.releasekeycode(index, keycode.toStdString()));
    QVERIFY(loaded.rig.device().writes().empty());
    QCOMPARE(loaded.rig.memory(keyAddress(keyA), 1)[0], std::uint8_t{0xC0});
}

void LearnedCodeStoreTest::storeformatblocks_data()
{
    QTest::addColumn<int>("used");  // blocks 0 to used - 1 are in use
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("first");  // -1: no room
    QTest::addColumn<int>("blocks");

    QTest::newRow("16 digits, one block") << 2 << 16 << 2 << 1;
    QTest::newRow("18 digits, two blocks") << 2 << 18 << 2 << 2;
    QTest::newRow("32 digits, two blocks") << 2 << 32 << 2 << 2;
    QTest::newRow("34 digits, three blocks") << 2 << 34 << 2 << 3;
    QTest::newRow("the code area's last four blocks") << 1016 << 64 << 1016 << 4;
    QTest::newRow("one block past the code area") << 1016 << 80 << -1 << 5;
    QTest::newRow("full") << 1020 << 16 << -1 << 1;
}

void LearnedCodeStoreTest::storeformatblocks()
{
    QFETCH(int, used);
    QFETCH(int, digits);
    QFETCH(int, first);
    QFETCH(int, blocks);
    Loaded loaded{CraftedImage().learnedKey(keyA, 0).slot(0, 0x998877, 0, used)};
    const std::string data = ::digits(digits);
    LearnedCodeStore store(loaded.tables, loaded.rig.device());

    QCOMPARE(store.findfreerun(data).value_or(-1), first);
    const LearnedCodeStore::Allocation before = store.allocation();
    const bool stored = store.storeformatblocks("ABCDEF", data, "07FFFF");
    QCOMPARE(stored, first >= 0);
    if (!stored) {
        QVERIFY(loaded.rig.device().writes().empty());
        QVERIFY(loaded.allocationUntouched());
        return;
    }
    const auto word = static_cast<std::uint16_t>(0x8000 | first);
    QCOMPARE(loaded.tables.allocrecords.substr(7 * 12, 12),
             "ABCDEF" + HexText::wordLE(word) + HexText::format(static_cast<std::uint32_t>(blocks), 2));
    // The run and nothing after it.
    QCOMPARE(loaded.tables.blockmap.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(blocks) + 1),
             std::string(static_cast<std::size_t>(blocks), '1') + "0");
    const auto address = static_cast<std::uint16_t>(FactoryImage::codeAreaAddress + 8 * first);
    QCOMPARE(loaded.rig.device().writes().size(), std::size_t{1});
    QCOMPARE(CraftedImage::hex(loaded.rig.memory(address, data.size() / 2)), data);

    // The caller writes the allocation area; the remote then reads back as the copies.
    QVERIFY(store.writeallocationarea(before));
    const auto reread = loaded.rig.read();
    QCOMPARE(reread.tables.allocrecords, loaded.tables.allocrecords);
    QCOMPARE(reread.tables.blockmap, loaded.tables.blockmap);
}

void LearnedCodeStoreTest::refusedWritesLeaveTheCopiesAsTheRemote_data()
{
    QTest::addColumn<bool>("storing");
    QTest::newRow("format data refused") << true;
    QTest::newRow("allocation area refused after a free") << false;
}

void LearnedCodeStoreTest::refusedWritesLeaveTheCopiesAsTheRemote()
{
    QFETCH(bool, storing);
    Loaded loaded{twoFormats()};
    LearnedCodeStore store(loaded.tables, loaded.rig.device());
    loaded.rig.remote().injectFault(VirtualRemote::Operation::WriteData, 1);
    if (storing) {
        QVERIFY(!store.storeformatblocks("ABCDEF", digits(32), "07FFFF"));
    } else {
        // The copies say slot 3 is free; the remote does not take it.
        const LearnedCodeStore::Allocation before = store.allocation();
        loaded.tables.allocrecords.replace(36, 12, std::string(12, '0'));
        QVERIFY(!store.writeallocationarea(before));
    }
    QVERIFY(loaded.allocationUntouched());
    const auto reread = loaded.rig.read();
    QCOMPARE(reread.tables.allocrecords, loaded.tables.allocrecords);
    QCOMPARE(reread.tables.blockmap, loaded.tables.blockmap);
}

void LearnedCodeStoreTest::storeformatblocksRefusesBadInput_data()
{
    QTest::addColumn<QString>("formatid");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("slotref");

    const QString data = QString::fromStdString(digits(32));
    QTest::newRow("slot in use") << "ABCDEF" << data << "03FFFF";
    QTest::newRow("slot beyond the records") << "ABCDEF" << data << "20FFFF";
    QTest::newRow("slot reference not hex") << "ABCDEF" << data << "ZZFFFF";
    QTest::newRow("slot reference too short") << "ABCDEF" << data << "7";
    QTest::newRow("odd number of digits") << "ABCDEF" << data.chopped(1) << "07FFFF";
    QTest::newRow("data not hex") << "ABCDEF" << data.chopped(2) + "XY"
                                  << "07FFFF";
    QTest::newRow("no data") << "ABCDEF"
                             << ""
                             << "07FFFF";
    QTest::newRow("format id not hex") << "ABCDEG" << data << "07FFFF";
}

void LearnedCodeStoreTest::storeformatblocksRefusesBadInput()
{
    QFETCH(QString, formatid);
    QFETCH(QString, data);
    QFETCH(QString, slotref);
    Loaded loaded{twoFormats()};
    LearnedCodeStore store(loaded.tables, loaded.rig.device());
    QVERIFY(!store.storeformatblocks(formatid.toStdString(), data.toStdString(), slotref.toStdString()));
    QVERIFY(loaded.rig.device().writes().empty());
    QVERIFY(loaded.allocationUntouched());
}

QTEST_APPLESS_MAIN(LearnedCodeStoreTest)
#include "LearnedCodeStoreTest.moc"
