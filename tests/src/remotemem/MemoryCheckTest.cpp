#include <QTest>

#include <sstream>

#include "CraftedImage.h"
#include "FactoryImage.h"
#include "MemoryCheck.h"

Q_DECLARE_METATYPE(CraftedImage)

namespace
{
// Each expected fragment is in exactly one line, and there is no other line.
QString mismatch(const std::vector<std::string> &lines, const QStringList &expected)
{
    QStringList got;
    for (const std::string &line : lines)
        got << QString::fromStdString(line);
    if (got.size() != expected.size())
        return QString("expected %1 lines, got: %2").arg(expected.size()).arg(got.join(" / "));
    for (const QString &fragment : expected) {
        if (got.filter(fragment).size() != 1)
            return QString("no single line with '%1' in: %2").arg(fragment, got.join(" / "));
    }
    return {};
}

CraftedImage sharedFormats()
{
    return CraftedImage()
        .learnedKey(CraftedImage::keyIndex(0, 40), 3)
        .learnedKey(CraftedImage::keyIndex(5, 40), 3)
        .slot(3, 0x998877, 10, 2)
        .learnedKey(CraftedImage::keyIndex(2, 7), 5)
        .slot(5, 0x445566, 12, 3);
}
}  // namespace

class MemoryCheckTest : public QObject
{
    Q_OBJECT

private slots:
    void findsProblems_data();
    void findsProblems();
    void refusesImageOfWrongSize();
    void commandOutputAndStatus_data();
    void commandOutputAndStatus();
};

void MemoryCheckTest::findsProblems_data()
{
    QTest::addColumn<CraftedImage>("image");
    QTest::addColumn<QStringList>("corruption");
    QTest::addColumn<QStringList>("leaks");

    QTest::newRow("factory image") << CraftedImage() << QStringList() << QStringList();
    QTest::newRow("shared learned formats") << sharedFormats() << QStringList() << QStringList();
    QTest::newRow("overlapping slots")
        << sharedFormats().learnedKey(1, 1).slot(1, 0x111111, 20, 4).learnedKey(2, 2).slot(2, 0x222222, 22, 4)
        << QStringList{"slots 1 and 2 both hold block 22"} << QStringList();
    QTest::newRow("key refers to a free slot")
        << sharedFormats().learnedKey(CraftedImage::keyIndex(1, 3), 6)
        << QStringList{"mode CBL key 14 (record 51) refers to slot 6, which is free"} << QStringList();
    QTest::newRow("key refers past the records")
        << sharedFormats().learnedKey(CraftedImage::keyIndex(7, 47), 40)
        << QStringList{"mode AUX key 71 (record 383) refers to slot 40, beyond the 32"} << QStringList();
    QTest::newRow("blocks not marked") << sharedFormats().learnedKey(0, 4).slot(
        4, 0x444444, 20, 3, true,
        false) << QStringList{"slot 4 (format 444444) holds blocks 20-22 but 3 of them are free"}
                                       << QStringList();
    QTest::newRow("one block not marked")
        << sharedFormats().learnedKey(0, 4).slot(4, 0x444444, 20, 3).markBlocks(21, 1, false)
        << QStringList{"but 1 of them are free"} << QStringList();
    QTest::newRow("blocks outside the code area")
        << sharedFormats().learnedKey(0, 4).slot(4, 0x444444, 1018, 4)
        << QStringList{"slot 4 (format 444444) holds blocks 1018-1021, outside the code area of 1020"} << QStringList();
    QTest::newRow("one block outside the code area")
        << sharedFormats().learnedKey(0, 4).slot(4, 0x444444, 1018, 3)
        << QStringList{"slot 4 (format 444444) holds blocks 1018-1020, outside the code area of 1020"} << QStringList();
    QTest::newRow("marked blocks no slot owns")
        << sharedFormats().markBlocks(100, 3).markBlocks(500, 1) << QStringList()
        << QStringList{"blocks 100-102 marked in use", "block 500 marked in use"};
    QTest::newRow("spare bits of the map marked")
        << sharedFormats().markBlocks(1021, 2) << QStringList() << QStringList{"blocks 1021-1022 marked"};
    QTest::newRow("slot no key refers to") << sharedFormats().slot(6, 0x123456, 30, 2) << QStringList()
                                           << QStringList{"slot 6 (format 123456) is in use but no key refers to it"};
    QTest::newRow("a cleared mode")
        << CraftedImage().clearedKey(CraftedImage::keyIndex(4, 0), 3).slot(3, 0x998877, 10, 2) << QStringList()
        << QStringList{"slot 3 (format 998877) is in use but no key refers to it"};
    QTest::newRow("everything at once") << sharedFormats().learnedKey(1, 6).slot(7, 0x777777, 11, 1).markBlocks(40, 2)
                                        << QStringList{"refers to slot 6", "slots 3 and 7 both hold block 11"}
                                        << QStringList{"blocks 40-41", "slot 7 (format 777777) is in use but no key"};
    QTest::newRow("tables that cannot be read")
        << CraftedImage().put(FactoryImage::paramAddress + 32, {51})
        << QStringList{"the tables cannot be read: parameter table"} << QStringList();
}

void MemoryCheckTest::findsProblems()
{
    QFETCH(CraftedImage, image);
    QFETCH(QStringList, corruption);
    QFETCH(QStringList, leaks);
    const MemoryCheck::Report report = MemoryCheck::check(image.bytes());
    const QString corruptionProblem = mismatch(report.corruption, corruption);
    QVERIFY2(corruptionProblem.isEmpty(), qPrintable(corruptionProblem));
    const QString leakProblem = mismatch(report.leaks, leaks);
    QVERIFY2(leakProblem.isEmpty(), qPrintable(leakProblem));
    QCOMPARE(report.consistent(), corruption.isEmpty());
}

void MemoryCheckTest::refusesImageOfWrongSize()
{
    std::vector<std::uint8_t> image = CraftedImage().bytes();
    image.pop_back();
    const MemoryCheck::Report report = MemoryCheck::check(image);
    QCOMPARE(report.corruption.size(), std::size_t{1});
    QVERIFY(!report.consistent());
}

void MemoryCheckTest::commandOutputAndStatus_data()
{
    QTest::addColumn<CraftedImage>("image");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("prefixes");  // of the lines, in order

    QTest::newRow("consistent") << CraftedImage() << 0 << QStringList();
    QTest::newRow("leak only") << sharedFormats().markBlocks(100, 1) << 0 << QStringList{"leak: "};
    QTest::newRow("corrupt and leaking") << sharedFormats().learnedKey(1, 6).markBlocks(100, 1) << 1
                                         << QStringList{"corrupt: ", "leak: "};
}

void MemoryCheckTest::commandOutputAndStatus()
{
    QFETCH(CraftedImage, image);
    QFETCH(int, status);
    QFETCH(QStringList, prefixes);
    std::ostringstream out;
    QCOMPARE(runMemoryCheck(image.bytes(), out), status);
    QStringList lines = QString::fromStdString(out.str()).split('\n');
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.size(), prefixes.size());
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i].startsWith(prefixes[i]), qPrintable(lines[i]));
}

QTEST_APPLESS_MAIN(MemoryCheckTest)
#include "MemoryCheckTest.moc"
