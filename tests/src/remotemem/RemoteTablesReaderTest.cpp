#include <QTest>

#include "FactoryImage.h"
#include "HexText.h"
#include "RemoteRig.h"

using Outcome = RemoteTablesReader::Outcome;

namespace
{
struct Poke
{
    std::uint32_t address;
    std::vector<std::uint8_t> bytes;
};
}  // namespace

Q_DECLARE_METATYPE(std::vector<Poke>)

class RemoteTablesReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void readsFactoryRemote();
    void readsLearnedKeys();
    void refusesCorruptTables_data();
    void refusesCorruptTables();
    void failedReads_data();
    void failedReads();
};

void RemoteTablesReaderTest::readsFactoryRemote()
{
    RemoteRig rig;
    const auto result = rig.read();
    QCOMPARE(result.outcome, Outcome::Ok);
    const RemoteTables &t = result.tables;
    QCOMPARE(t.paramaddr, FactoryImage::paramAddress);
    QCOMPARE(t.ptrbase, FactoryImage::pointerBase);
    QCOMPARE(t.writeselector, HexText::format(FactoryImage::writeSelector, 2));
    QCOMPARE(t.keyrecordcount, int{FactoryImage::keyRecordCount});
    QCOMPARE(t.allocrecordcount, int{FactoryImage::allocRecordCount});
    QCOMPARE(t.blockcount, int{FactoryImage::blockCount});
    QCOMPARE(t.keyspermode, int{FactoryImage::keysPerMode});
    QCOMPARE(t.modecount, 8);
    QCOMPARE(t.keytableaddr, FactoryImage::keyTableAddress);
    QCOMPARE(t.formattableaddr, FactoryImage::formatTableAddress);
    QCOMPARE(t.alloctableaddr, FactoryImage::allocAreaAddress);
    QCOMPARE(t.codeareaaddr, FactoryImage::codeAreaAddress);

    QCOMPARE(t.keystates.size(), std::size_t{8 * FactoryImage::keysPerMode});
    std::vector<std::string> expected;
    for (int mode = 0; mode < 8; ++mode) {
        for (std::uint8_t code : FactoryImage::keyCodes) {
            const bool downloaded =
                std::any_of(FactoryImage::downloadedKeys.begin(), FactoryImage::downloadedKeys.end(),
                            [&](const auto &key) { return key.mode == mode && key.keyCode == code; });
            expected.push_back(HexText::format(code, 2) + (downloaded ? "|1|0|" : "|0|0|"));
        }
    }
    QCOMPARE(t.keystates, expected);

    // The records past the modes, then the 8 bytes the rounded-up read adds.
    QCOMPARE(t.codetypedata, CraftedImage::hex(FactoryImage::codeTypeBytes()) + std::string(16, '0'));
    QCOMPARE(t.blockmap, std::string(8 * FactoryImage::blockMapSize, '0'));
    QCOMPARE(t.allocrecords, std::string(12 * std::size_t{FactoryImage::allocRecordCount}, '0'));
    std::vector<std::string> formats;
    for (std::uint32_t id : FactoryImage::knownFormats)
        formats.push_back(HexText::format(id, 6));
    QCOMPARE(t.knownformats, formats);
}

void RemoteTablesReaderTest::readsLearnedKeys()
{
    const int tvKey = CraftedImage::keyIndex(0, 40);
    const int satKey = CraftedImage::keyIndex(2, 5);
    RemoteRig rig(CraftedImage()
                      .learnedKey(tvKey, 3)
                      .learnedKey(satKey, 3)
                      .knownKey(CraftedImage::keyIndex(7, 0), 0x2301A0)
                      .slot(3, 0x998877, 1018, 2)
                      .slot(4, 0x112233, 7, 3, false, false));
    const auto result = rig.read();
    QCOMPARE(result.outcome, Outcome::Ok);
    const RemoteTables &t = result.tables;
    QCOMPARE(t.keystates[static_cast<std::size_t>(tvKey)], std::string("62|2|1|03FFFF"));
    QCOMPARE(t.keystates[static_cast<std::size_t>(satKey)], std::string("16|2|1|03FFFF"));
    QCOMPARE(t.keystates[static_cast<std::size_t>(CraftedImage::keyIndex(7, 0))], std::string("10|2|0|"));
    QCOMPARE(t.blockmap.substr(1016), std::string("00110000"));
    QCOMPARE(t.allocrecords.substr(36, 24), std::string("998877FA8302") + "112233070003");
}

void RemoteTablesReaderTest::refusesCorruptTables_data()
{
    using namespace FactoryImage;
    QTest::addColumn<std::vector<Poke>>("pokes");
    QTest::addColumn<QString>("reason");

    const std::uint32_t param = paramAddress;
    QTest::newRow("more keys than key records") << std::vector<Poke>{{param + 32, {51}}} << "cannot hold";
    QTest::newRow("allocation area beyond one read") << std::vector<Poke>{{param + 7, {255}}} << "units";
    QTest::newRow("code area past the end of memory") << std::vector<Poke>{{param + 8, {0x40, 0x1F}}} << "code area";
    QTest::newRow("key-state table past the end of memory")
        << std::vector<Poke>{{configBlockAddress + 6, {0, 0}}, {param + 16, {0x00, 0xF0}}} << "key-state table";
    QTest::newRow("pointer beyond 16 bits")
        << std::vector<Poke>{{configBlockAddress + 6, {0xFF, 0xFF}}, {param + 16, {0x00, 0xF0}}} << "pointer";
    QTest::newRow("parameter table past the end of memory")
        << std::vector<Poke>{{configBlockAddress, {0xF0, 0xFF}}} << "parameter table";
    QTest::newRow("more than 160 known formats")
        << std::vector<Poke>{{formatTableAddress, {161, 0}}} << "known-format table";
    // Tables inside memory that lie over one another: writing one would change the other.
    QTest::newRow("allocation area moved into the code area by one byte")
        << std::vector<Poke>{{param + 27, {0xD0}}} << "allocation area at 5000 (320 bytes) overlaps the code area";
    QTest::newRow("key-state table reaching into the basic block")
        << std::vector<Poke>{{param + 16, {0xFF, 0x7F}}} << "basic block at B000 (48 bytes) overlaps the key-state";
}

void RemoteTablesReaderTest::refusesCorruptTables()
{
    QFETCH(std::vector<Poke>, pokes);
    QFETCH(QString, reason);
    CraftedImage image;
    for (const Poke &poke : pokes)
        image.put(poke.address, poke.bytes);
    RemoteRig rig(image);
    const auto result = rig.read();
    QCOMPARE(result.outcome, Outcome::Invalid);
    QVERIFY2(QString::fromStdString(result.reason).contains(reason), result.reason.c_str());
    QVERIFY(result.tables.keystates.empty());
}

void RemoteTablesReaderTest::failedReads_data()
{
    QTest::addColumn<int>("read");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("reason");

    QTest::newRow("configuration block") << 1 << Outcome::ConfigurationUnreadable << "configuration";
    QTest::newRow("parameter table") << 2 << Outcome::Invalid << "parameter table unreadable";
    QTest::newRow("key-code list") << 3 << Outcome::Invalid << "key-code list unreadable";
    QTest::newRow("key-state table") << 4 << Outcome::Invalid << "key-state table unreadable";
    QTest::newRow("allocation area") << 5 << Outcome::Invalid << "allocation area unreadable";
    QTest::newRow("known-format table") << 6 << Outcome::Invalid << "known-format table unreadable";
}

void RemoteTablesReaderTest::failedReads()
{
    QFETCH(int, read);
    QFETCH(Outcome, outcome);
    QFETCH(QString, reason);
    RemoteRig rig;
    rig.device().failRead(read);
    const auto result = rig.read();
    QCOMPARE(result.outcome, outcome);
    QVERIFY2(QString::fromStdString(result.reason).contains(reason), result.reason.c_str());
    // The remote itself answers again: the next start reads it whole.
    QCOMPARE(rig.read().outcome, Outcome::Ok);
}

QTEST_APPLESS_MAIN(RemoteTablesReaderTest)
#include "RemoteTablesReaderTest.moc"
