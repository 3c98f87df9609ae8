#include <QTest>

#include "BlockAllocator.h"
#include "BlockLayout.h"

namespace
{
RemoteTables withMap(int blockcount, const std::string &blockmap)
{
    RemoteTables tables;
    tables.blockcount = blockcount;
    tables.blockmap = blockmap;
    return tables;
}

// Four slots: 0 free, 1 in use at blocks 2-3, 2 in use at blocks 5-7, 3 free with a stale id.
// The last entry is a known format as learning writes it, whose id starts like slot 3.
RemoteTables withSlots()
{
    RemoteTables tables = withMap(16, "0011011100000000");
    tables.allocrecordcount = 4;
    tables.allocrecords = "000000000000"
                          "AAAAAA028002"
                          "BBBBBB058003"
                          "CCCCCC050003";
    tables.keyspermode = 2;
    tables.keystates = {"10|2|1|01FFFF", "12|0", "10|2|1|02", "12|1|0|", "10|2|1|02FFFF", "12|0|0|", "10|2|0|030000"};
    return tables;
}
}  // namespace

class BlockAllocatorTest : public QObject
{
    Q_OBJECT

private slots:
    void blocksForDigits_data();
    void blocksForDigits();
    void findFreeRun_data();
    void findFreeRun();
    void packblockmap_data();
    void packblockmap();
    void slotReferenced_data();
    void slotReferenced();
    void freeSlot();
    void freeSlotRefusesFreeOrUnknown_data();
    void freeSlotRefusesFreeOrUnknown();
    void claim();
    void claimRefuses_data();
    void claimRefuses();
};

void BlockAllocatorTest::blocksForDigits_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("blocks");
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("16") << 16 << 1;
    QTest::newRow("17") << 17 << 2;
    QTest::newRow("32") << 32 << 2;
    QTest::newRow("33") << 33 << 3;
    QTest::newRow("none") << 0 << 0;
}

void BlockAllocatorTest::blocksForDigits()
{
    QFETCH(int, digits);
    QFETCH(int, blocks);
    QCOMPARE(BlockLayout::blocksFor(static_cast<std::size_t>(digits)), blocks);
}

void BlockAllocatorTest::findFreeRun_data()
{
    QTest::addColumn<int>("blockcount");
    QTest::addColumn<QString>("map");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("first");  // -1: none

    QTest::newRow("run ending on the map's last character") << 16 << "1111111111111100" << 2 << -1;
    QTest::newRow("one block before the last character") << 16 << "1111111111111100" << 1 << 14;
    QTest::newRow("inside the code area") << 12 << "1111111111000000" << 2 << 10;
    QTest::newRow("into the spare characters") << 12 << "1111111111000000" << 3 << -1;
    QTest::newRow("first fit past short gaps") << 16 << "1001100000000000" << 3 << 5;
    QTest::newRow("gap exactly long enough") << 16 << "1001100000000000" << 2 << 1;
    QTest::newRow("whole map but its last block") << 16 << "0000000000000000" << 15 << 0;
    QTest::newRow("whole map") << 16 << "0000000000000000" << 16 << -1;
    QTest::newRow("full") << 16 << "1111111111111111" << 1 << -1;
    QTest::newRow("no blocks asked for") << 16 << "0000000000000000" << 0 << -1;
    QTest::newRow("more than a record can count") << 4096 << QString(4096, '0') << 256 << -1;
    QTest::newRow("as many as a record can count") << 4096 << QString(4096, '0') << 255 << 0;
    QTest::newRow("map shorter than blockcount") << 64 << "11111100" << 1 << 6;
}

void BlockAllocatorTest::findFreeRun()
{
    QFETCH(int, blockcount);
    QFETCH(QString, map);
    QFETCH(int, blocks);
    QFETCH(int, first);
    RemoteTables tables = withMap(blockcount, map.toStdString());
    const auto found = BlockAllocator(tables).findFreeRun(blocks);
    QCOMPARE(found.value_or(-1), first);
    QCOMPARE(tables.blockmap, map.toStdString());
}

void BlockAllocatorTest::packblockmap_data()
{
    QTest::addColumn<QString>("map");
    QTest::addColumn<QString>("packed");
    QTest::newRow("first and sixteenth") << "1" + QString(14, '0') + "1"
                                         << "8001";
    QTest::newRow("A5") << "10100101"
                        << "A5";
    QTest::newRow("all in use") << QString(24, '1') << "FFFFFF";
    QTest::newRow("empty") << ""
                           << "";
}

void BlockAllocatorTest::packblockmap()
{
    QFETCH(QString, map);
    QFETCH(QString, packed);
    RemoteTables tables = withMap(map.size(), map.toStdString());
    QCOMPARE(BlockAllocator(tables).packblockmap(), packed.toStdString());
}

void BlockAllocatorTest::slotReferenced_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("except");
    QTest::addColumn<bool>("referenced");

    QTest::newRow("only user excepted") << 1 << 0 << false;
    QTest::newRow("only user counted") << 1 << 3 << true;
    QTest::newRow("other mode, two-digit reference") << 2 << 4 << true;
    QTest::newRow("other mode, full reference") << 2 << 2 << true;
    QTest::newRow("dropped and known-format entries refer to none") << 0 << 99 << false;
    QTest::newRow("a learned known format refers to none") << 3 << 99 << false;
}

void BlockAllocatorTest::slotReferenced()
{
    QFETCH(int, slot);
    QFETCH(int, except);
    QFETCH(bool, referenced);
    RemoteTables tables = withSlots();
    QCOMPARE(BlockAllocator(tables).slotReferenced(slot, static_cast<std::size_t>(except)), referenced);
}

void BlockAllocatorTest::freeSlot()
{
    RemoteTables tables = withSlots();
    // Block 4 is in use without an owner: freeing slot 2 leaves it alone.
    tables.blockmap[4] = '1';
    QVERIFY(BlockAllocator(tables).freeSlot(2));
    QCOMPARE(tables.allocrecords, std::string("000000000000"
                                              "AAAAAA028002"
                                              "000000000000"
                                              "CCCCCC050003"));
    QCOMPARE(tables.blockmap, std::string("0011100000000000"));
}

void BlockAllocatorTest::freeSlotRefusesFreeOrUnknown_data()
{
    QTest::addColumn<int>("slot");
    QTest::newRow("free slot with a stale id") << 3;
    QTest::newRow("beyond the records") << 4;
    QTest::newRow("negative") << -1;
}

void BlockAllocatorTest::freeSlotRefusesFreeOrUnknown()
{
    QFETCH(int, slot);
    RemoteTables tables = withSlots();
    QVERIFY(!BlockAllocator(tables).freeSlot(slot));
    QCOMPARE(tables.allocrecords, withSlots().allocrecords);
    QCOMPARE(tables.blockmap, withSlots().blockmap);
}

void BlockAllocatorTest::claim()
{
    RemoteTables tables = withSlots();
    QVERIFY(BlockAllocator(tables).claim(3, "123ABC", 8, 4));
    QCOMPARE(tables.allocrecords.substr(36), std::string("123ABC088004"));
    QCOMPARE(tables.blockmap, std::string("0011011111110000"));
    QVERIFY(BlockAllocator(tables).record(3)->inuse);
}

void BlockAllocatorTest::claimRefuses_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("formatid");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("blocks");

    QTest::newRow("slot in use") << 1 << "123ABC" << 8 << 2;
    QTest::newRow("slot beyond the records") << 4 << "123ABC" << 8 << 2;
    QTest::newRow("blocks in use") << 0 << "123ABC" << 4 << 2;
    QTest::newRow("blocks past the code area") << 0 << "123ABC" << 15 << 2;
    QTest::newRow("format id not hex") << 0 << "12G4AB" << 8 << 2;
    QTest::newRow("format id too short") << 0 << "12AB" << 8 << 2;
}

void BlockAllocatorTest::claimRefuses()
{
    QFETCH(int, slot);
    QFETCH(QString, formatid);
    QFETCH(int, first);
    QFETCH(int, blocks);
    RemoteTables tables = withSlots();
    QVERIFY(!BlockAllocator(tables).claim(slot, formatid.toStdString(), first, blocks));
    QCOMPARE(tables.allocrecords, withSlots().allocrecords);
    QCOMPARE(tables.blockmap, withSlots().blockmap);
}

QTEST_APPLESS_MAIN(BlockAllocatorTest)
#include "BlockAllocatorTest.moc"
