#include <QTest>

#include "BasicBlock.h"
#include "BlockParser.h"
#include "CraftedImage.h"
#include "HexText.h"

namespace
{
// A parameter table with the given counts and stored pointers.
std::string parameterTable(std::uint16_t keyrecords, std::uint8_t allocrecords, std::uint16_t blocks,
                           std::uint8_t keyspermode, std::uint16_t keytable = 0x2000)
{
    std::vector<std::uint8_t> bytes(40, 0);
    auto putWord = [&](std::size_t at, std::uint16_t value) {
        bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
        bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    putWord(0, keyrecords);
    bytes[7] = allocrecords;
    putWord(8, blocks);
    putWord(16, keytable);
    putWord(24, 0x3000);
    putWord(26, 0x3400);
    putWord(28, 0x3800);
    bytes[32] = keyspermode;
    return CraftedImage::hex(bytes);
}

RemoteTables withKeys(int keyspermode)
{
    RemoteTables tables;
    tables.keyspermode = keyspermode;
    std::string list = HexText::format(static_cast<std::uint32_t>(keyspermode), 2);
    for (int i = 0; i < keyspermode; ++i)
        list += HexText::format(static_cast<std::uint32_t>(0x10 + i % 8 + (i / 8 % 6) * 0x10), 2);
    const std::string why = BlockParser::parseKeyCodeList(list, tables);
    if (!why.empty())
        qFatal("key-code list refused: %s", why.c_str());
    return tables;
}
}  // namespace

class BlockParserTest : public QObject
{
    Q_OBJECT

private slots:
    void basicBlockFields();
    void pointerTranslation_data();
    void pointerTranslation();
    void parameterTableRefusesCounts_data();
    void parameterTableRefusesCounts();
    void keyCodeListLaysOutModes();
    void keyCodeListRefusesBadCodes_data();
    void keyCodeListRefusesBadCodes();
    void keyRecordKinds_data();
    void keyRecordKinds();
    void codeTypeDataEndsAtFirstZero();
    void keyStateTableRefusesShortOrNonHex_data();
    void keyStateTableRefusesShortOrNonHex();
    void blockMapAndRecords_data();
    void blockMapAndRecords();
    void allocationAreaRefusesShortOrNonHex();
    void knownFormats_data();
    void knownFormats();
};

void BlockParserTest::basicBlockFields()
{
    std::string text(96, '0');
    text.replace(0, 30, "514C523831352D3030413142324333");
    text.replace(64, 4, "0103");
    text.replace(70, 4, "1805");
    QCOMPARE(BasicBlock::identity(text), text.substr(0, 30));
    QCOMPARE(BasicBlock::firmwareMajor(text), std::optional<int>(1));
    QCOMPARE(BasicBlock::firmwareMinor(text), std::optional<int>(3));
    QCOMPARE(BasicBlock::modelCode(text), std::string("1805"));
    // A reply cut short has no model code and no firmware to compare.
    QCOMPARE(BasicBlock::modelCode(text.substr(0, 73)), std::string());
    QVERIFY(!BasicBlock::firmwareMinor(text.substr(0, 67)));
    QVERIFY(!BasicBlock::firmwareMajor(std::string(64, '0') + "G1"));
}

void BlockParserTest::pointerTranslation_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("ptrbase");
    QTest::addColumn<int>("paramaddr");
    QTest::addColumn<int>("address");     // -1: refused
    QTest::addColumn<bool>("tableFits");  // a key-state table of 8 records there lies inside memory

    QTest::newRow("at ptrbase") << 0x8000 << 0x8000 << 0x1000 << 0 << true;
    QTest::newRow("just below ptrbase") << 0x7FFF << 0x8000 << 0x1000 << 0x8FFF << true;
    QTest::newRow("just above ptrbase") << 0x8001 << 0x8000 << 0x1000 << 1 << true;
    QTest::newRow("below, relative to paramaddr") << 0x0100 << 0x8000 << 0x1000 << 0x1100 << true;
    QTest::newRow("below, past the end of memory") << 0xF000 << 0xFFFF << 0x1000 << -1 << false;
    QTest::newRow("below, to the last byte") << 0xEFFF << 0xFFFF << 0x1000 << 0xFFFF << false;
    // 8 records read as 23 units: 184 bytes.
    QTest::newRow("table ends at the end of memory") << 0xFF48 << 0 << 0x1000 << 0xFF48 << true;
    QTest::newRow("table one byte past") << 0xFF49 << 0 << 0x1000 << 0xFF49 << false;
}

void BlockParserTest::pointerTranslation()
{
    QFETCH(int, stored);
    QFETCH(int, ptrbase);
    QFETCH(int, paramaddr);
    QFETCH(int, address);
    QFETCH(bool, tableFits);
    const auto translated = BlockParser::translatePointer(
        static_cast<std::uint16_t>(stored), static_cast<std::uint16_t>(ptrbase), static_cast<std::uint16_t>(paramaddr));
    QCOMPARE(translated.has_value(), address >= 0);
    if (translated)
        QCOMPARE(int{*translated}, address);

    // The same through a parameter table: its key-state pointer.
    RemoteTables tables;
    tables.ptrbase = static_cast<std::uint16_t>(ptrbase);
    tables.paramaddr = static_cast<std::uint16_t>(paramaddr);
    const std::string why =
        BlockParser::parseParameterTable(parameterTable(8, 1, 8, 1, static_cast<std::uint16_t>(stored)), tables);
    QCOMPARE(why.empty(), tableFits);
    if (tableFits)
        QCOMPARE(int{tables.keytableaddr}, address);
}

void BlockParserTest::parameterTableRefusesCounts_data()
{
    QTest::addColumn<int>("keyrecords");
    QTest::addColumn<int>("allocrecords");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("keyspermode");
    QTest::addColumn<QString>("reason");  // empty: accepted

    QTest::newRow("exactly the modes' records") << 320 << 32 << 1020 << 40 << "";
    QTest::newRow("one key record short") << 319 << 32 << 1020 << 40 << "cannot hold";
    QTest::newRow("allocation read of 192 units") << 320 << 255 << 40 << 40 << "";
    QTest::newRow("allocation read of 193 units") << 320 << 255 << 48 << 40 << "units";
    // The code area starts at 0x3800: 0xC800 bytes, 6400 blocks, fill the rest of memory.
    QTest::newRow("code area to the end of memory") << 320 << 1 << 6400 << 40 << "";
    QTest::newRow("code area past the end") << 320 << 1 << 6401 << 40 << "code area";
}

void BlockParserTest::parameterTableRefusesCounts()
{
    QFETCH(int, keyrecords);
    QFETCH(int, allocrecords);
    QFETCH(int, blocks);
    QFETCH(int, keyspermode);
    QFETCH(QString, reason);
    RemoteTables tables;
    tables.ptrbase = 0;
    const std::string text =
        parameterTable(static_cast<std::uint16_t>(keyrecords), static_cast<std::uint8_t>(allocrecords),
                       static_cast<std::uint16_t>(blocks), static_cast<std::uint8_t>(keyspermode));
    const std::string why = BlockParser::parseParameterTable(text, tables);
    if (reason.isEmpty()) {
        QVERIFY2(why.empty(), why.c_str());
        QCOMPARE(tables.keyrecordcount, keyrecords);
        QCOMPARE(tables.allocrecordcount, allocrecords);
        QCOMPARE(tables.blockcount, blocks);
        QCOMPARE(tables.keyspermode, keyspermode);
        QCOMPARE(int{tables.codeareaaddr}, 0x3800);
    } else {
        QVERIFY2(QString::fromStdString(why).contains(reason), why.c_str());
        // A refused table leaves the working copies as they were.
        QCOMPARE(tables.keyrecordcount, 0);
    }
}

void BlockParserTest::keyCodeListLaysOutModes()
{
    const RemoteTables tables = withKeys(40);
    QCOMPARE(tables.keystates.size(), std::size_t{320});
    // Position 3 of CBL (mode 1): index 43, the key code of position 3.
    QCOMPARE(tables.keystates[43], std::string("13|"));
    for (int mode = 0; mode < 8; ++mode)
        QCOMPARE(tables.keystates[static_cast<std::size_t>(mode * 40 + 39)], tables.keystates[39]);
}

void BlockParserTest::keyCodeListRefusesBadCodes_data()
{
    QTest::addColumn<int>("keyspermode");
    QTest::addColumn<QString>("list");

    QTest::newRow("not hex") << 2 << "02101Z";
    QTest::newRow("shorter than its count") << 3 << "031011";
    QTest::newRow("zero characters") << 1 << QString(QChar(0)).repeated(4);
    QTest::newRow("more codes than one read covers") << 400 << "";
}

void BlockParserTest::keyCodeListRefusesBadCodes()
{
    QFETCH(int, keyspermode);
    QFETCH(QString, list);
    RemoteTables tables;
    tables.keyspermode = keyspermode;
    std::string text = list.toStdString();
    if (text.empty())
        text.assign(2 + 2 * static_cast<std::size_t>(keyspermode), '1');
    QVERIFY(!BlockParser::parseKeyCodeList(text, tables).empty());
    QVERIFY(tables.keystates.empty());
}

void BlockParserTest::keyRecordKinds_data()
{
    QTest::addColumn<QString>("record");  // leading bytes; the rest is zeros
    QTest::addColumn<QString>("entry");

    QTest::newRow("A0: bit 5 set, no code") << "A00080031234"
                                            << "10|0|0|";
    QTest::newRow("00: no code") << "000000"
                                 << "10|0|0|";
    QTest::newRow("C0: learned kind, known format") << "C00000010000"
                                                    << "10|2|0|";
    QTest::newRow("80: downloaded kind") << "800000010000"
                                         << "10|1|0|";
    QTest::newRow("C0 with a learned format") << "C0008003FFFF"
                                              << "10|2|1|03FFFF";
    QTest::newRow("E0 with a learned format: bit 5, no code") << "E0008003FFFF"
                                                              << "10|0|0|";
}

void BlockParserTest::keyRecordKinds()
{
    QFETCH(QString, record);
    QFETCH(QString, entry);
    RemoteTables tables = withKeys(1);
    std::string text;
    for (int mode = 0; mode < 8; ++mode) {
        std::string one = mode == 5 ? record.toStdString() : std::string("00");
        one.resize(44, '0');
        text += one;
    }
    const std::string why = BlockParser::parseKeyStateTable(text, tables);
    QVERIFY2(why.empty(), why.c_str());
    QCOMPARE(tables.keystates[5], entry.toStdString());
    QCOMPARE(tables.keystates[0], std::string("10|0|0|"));
}

void BlockParserTest::codeTypeDataEndsAtFirstZero()
{
    RemoteTables tables = withKeys(1);
    std::string text(8 * 44, '0');
    text += "5A0102030405";
    text += '\0';
    text += "0607";
    text.append(16, '\0');
    QVERIFY(BlockParser::parseKeyStateTable(text, tables).empty());
    QCOMPARE(tables.codetypedata, std::string("5A0102030405"));
}

void BlockParserTest::keyStateTableRefusesShortOrNonHex_data()
{
    QTest::addColumn<QString>("text");
    const QString record = QString("0").repeated(44);
    const QString learned = "C0008003FFFF" + QString("0").repeated(32);

    QTest::newRow("one character short") << record.repeated(8).chopped(1);
    QTest::newRow("zero characters where a record is") << record.repeated(7) + QString(QChar(0)).repeated(44);
    QTest::newRow("learned slot reference not hex") << record.repeated(7) + "C00080" + QString("Z").repeated(38);
    QTest::newRow("reference byte not hex when a code is held") << record.repeated(7) + "C000G0" + learned.mid(6);
}

void BlockParserTest::keyStateTableRefusesShortOrNonHex()
{
    QFETCH(QString, text);
    RemoteTables tables = withKeys(1);
    const std::vector<std::string> before = tables.keystates;
    QVERIFY(!BlockParser::parseKeyStateTable(text.toStdString(), tables).empty());
    QCOMPARE(tables.keystates, before);
}

void BlockParserTest::blockMapAndRecords_data()
{
    QTest::addColumn<int>("blocks");
    QTest::addColumn<QString>("map");      // the block map bytes
    QTest::addColumn<QString>("records");  // the allocation records
    QTest::addColumn<QString>("blockmap");

    QTest::newRow("A5") << 8 << "A5"
                        << ""
                        << "10100101";
    QTest::newRow("8005 with 3 blocks marks 5-7") << 16 << "0000"
                                                  << "123456058003"
                                                  << "0000011100000000";
    QTest::newRow("0005 marks nothing") << 16 << "0000"
                                        << "123456050003"
                                        << "0000000000000000";
    QTest::newRow("marks add to the map's own bits") << 12 << "8010"
                                                     << "AAAAAA0A8002"
                                                     << "1000000000110000";
    // A corrupt record naming blocks past the map marks only the map's own.
    QTest::newRow("run past the map") << 16 << "0000"
                                      << "ABCDEF0E8005"
                                      << "0000000000000011";
}

void BlockParserTest::blockMapAndRecords()
{
    QFETCH(int, blocks);
    QFETCH(QString, map);
    QFETCH(QString, records);
    QFETCH(QString, blockmap);
    RemoteTables tables;
    tables.blockcount = blocks;
    tables.allocrecordcount = static_cast<int>(records.size() / 12);
    std::string text = (map + records).toStdString();
    text.append(64, '\0');
    const std::string why = BlockParser::parseAllocationArea(text, tables);
    QVERIFY2(why.empty(), why.c_str());
    QCOMPARE(tables.blockmap, blockmap.toStdString());
    QCOMPARE(tables.allocrecords, records.toStdString());
}

void BlockParserTest::allocationAreaRefusesShortOrNonHex()
{
    RemoteTables tables;
    tables.blockcount = 16;
    tables.allocrecordcount = 2;
    QVERIFY(BlockParser::parseAllocationArea("0000123456058003000000000000", tables).empty());
    QVERIFY(!BlockParser::parseAllocationArea("0000123456058003000000000", tables).empty());
    QVERIFY(!BlockParser::parseAllocationArea("00X0123456058003000000000000", tables).empty());
    QVERIFY(!BlockParser::parseAllocationArea("000012345605800300000000000Q", tables).empty());
    QVERIFY(!BlockParser::parseAllocationArea(std::string(28, '\0'), tables).empty());
}

void BlockParserTest::knownFormats_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("chars");  // of the text handed over
    QTest::addColumn<bool>("accepted");

    QTest::newRow("none") << 0 << 1920 << true;
    QTest::newRow("two") << 2 << 1920 << true;
    QTest::newRow("160, the most one read covers") << 160 << 1920 << true;
    QTest::newRow("161") << 161 << 4096 << false;
    QTest::newRow("text ends inside the last id") << 3 << 4 + 12 * 2 + 5 << false;
}

void BlockParserTest::knownFormats()
{
    QFETCH(int, count);
    QFETCH(int, chars);
    QFETCH(bool, accepted);
    std::string text = HexText::wordLE(static_cast<std::uint16_t>(count));
    for (int i = 0; static_cast<int>(text.size()) < chars; ++i)
        text += HexText::format(static_cast<std::uint32_t>(0x220000 + i), 6) + "000000";
    text.resize(static_cast<std::size_t>(chars));
    RemoteTables tables;
    QCOMPARE(BlockParser::parseKnownFormats(text, tables).empty(), accepted);
    if (!accepted)
        return;
    QCOMPARE(tables.knownformats.size(), static_cast<std::size_t>(count));
    if (count > 0)
        QCOMPARE(tables.knownformats.back(), HexText::format(static_cast<std::uint32_t>(0x220000 + count - 1), 6));
}

QTEST_APPLESS_MAIN(BlockParserTest)
#include "BlockParserTest.moc"
