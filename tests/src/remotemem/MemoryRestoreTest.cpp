#include <QTest>

#include "BlockLayout.h"
#include "CraftedImage.h"
#include "FactoryImage.h"
#include "FaultingDevice.h"
#include "InterceptingDevice.h"
#include "MemoryCheck.h"
#include "MemoryRestore.h"
#include "RemoteRig.h"

Q_DECLARE_METATYPE(CraftedImage)

namespace
{
// Format data in the blocks of a slot, so that the code area is worth restoring.
CraftedImage &withData(CraftedImage &image, int first, int blocks, std::uint8_t fill)
{
    return image.put(FactoryImage::codeAreaAddress + BlockLayout::unitBytes * first,
                     std::vector<std::uint8_t>(std::size_t(blocks) * BlockLayout::unitBytes, fill));
}

// The backup: learned keys in three modes, two sharing a format, one known key.
CraftedImage backup()
{
    CraftedImage image;
    image.learnedKey(CraftedImage::keyIndex(0, 10), 3)
        .learnedKey(CraftedImage::keyIndex(5, 10), 3)
        .slot(3, 0x998877, 40, 2)
        .learnedKey(CraftedImage::keyIndex(7, 47), 6)
        .slot(6, 0x445566, 10, 3)
        .knownKey(CraftedImage::keyIndex(1, 2), 0x010000);
    return withData(withData(image, 40, 2, 0x5A), 10, 3, 0xA5);
}

// The remote now: other keys and formats where the backup's lie.
CraftedImage remoteNow()
{
    CraftedImage image;
    image.learnedKey(CraftedImage::keyIndex(0, 11), 3)
        .slot(3, 0x123456, 10, 4)
        .learnedKey(CraftedImage::keyIndex(7, 47), 1)
        .slot(1, 0x654321, 40, 1)
        .learnedKey(CraftedImage::keyIndex(2, 5), 6)
        .slot(6, 0x777777, 60, 2);
    return withData(withData(image, 10, 4, 0x11), 40, 1, 0x22);
}

struct Restoring
{
    Restoring()
        : rig(remoteNow())
        , device(rig.remote())
    {
        RemoteTablesReader::Result read = RemoteTablesReader::read(device);
        if (read.outcome != RemoteTablesReader::Outcome::Ok)
            qFatal("crafted remote refused: %s", read.reason.c_str());
        tables = std::move(read.tables);
    }

    std::vector<std::uint8_t> memory() { return rig.memory(0, BlockLayout::memorySize); }

    RemoteRig rig;
    FaultingDevice device;
    RemoteTables tables;
};

// A write the remote refuses after the first half of it has landed.
class HalfLandedWrite : public InterceptingDevice
{
public:
    HalfLandedWrite(RemoteDevice &inner, int nth)
        : InterceptingDevice(inner)
        , m_nth(nth)
    { }

    bool writedatav20(const char *selector, const char *addrhigh, const char *addrlow, const char *data) override
    {
        if (writes + 1 != m_nth)
            return InterceptingDevice::writedatav20(selector, addrhigh, addrlow, data);
        ++writes;
        const std::string digits(data);
        const std::string landed = digits.substr(0, digits.size() / 4 * 2);
        if (!landed.empty())
            InterceptingDevice::writedatav20(selector, addrhigh, addrlow, landed.c_str());
        return false;
    }

private:
    int m_nth;
};

int writesOfARestore()
{
    Restoring restoring;
    RecordingDevice recorder(restoring.device);
    MemoryRestore::restore(recorder, restoring.tables, backup().bytes());
    return static_cast<int>(recorder.writes().size());
}
}  // namespace

class MemoryRestoreTest : public QObject
{
    Q_OBJECT

private slots:
    void restoresTheLearnedTables();
    void aRefusedWriteLeavesASoundRemote_data();
    void aRefusedWriteLeavesASoundRemote();
    void refusesTablesItCannotPlace_data();
    void refusesTablesItCannotPlace();
};

void MemoryRestoreTest::restoresTheLearnedTables()
{
    Restoring restoring;
    const std::vector<std::uint8_t> before = restoring.memory();
    const MemoryRestore::Result result = MemoryRestore::restore(restoring.device, restoring.tables, backup().bytes());
    QCOMPARE(result.outcome, MemoryRestore::Outcome::Restored);
    QVERIFY(result.differences.empty());
    QCOMPARE(result.restored.keys.used, 4 + int(FactoryImage::downloadedKeys.size()));
    QCOMPARE(result.restored.formatSlots.used, 2);
    QCOMPARE(result.restored.blocks.used, 5);
    // The learned tables are the backup's; the identity and every other table stay the remote's.
    const std::vector<std::uint8_t> after = restoring.memory();
    const CraftedImage image = backup();
    const std::vector<std::uint8_t> &wanted = image.bytes();
    const auto same = [&](const std::vector<std::uint8_t> &image, std::size_t address, std::size_t count) {
        return std::equal(after.begin() + address, after.begin() + address + count, image.begin() + address);
    };
    QVERIFY(
        same(wanted, FactoryImage::keyRecordAddress(0), BlockLayout::keyRecordBytes * 8 * FactoryImage::keysPerMode));
    QVERIFY(
        same(wanted, FactoryImage::allocAreaAddress, FactoryImage::blockMapSize + 6 * FactoryImage::allocRecordCount));
    QVERIFY(same(wanted, FactoryImage::codeAreaAddress, BlockLayout::unitBytes * FactoryImage::blockCount));
    QVERIFY(same(before, FactoryImage::basicBlockAddress, FactoryImage::basicBlockSize));
}

void MemoryRestoreTest::aRefusedWriteLeavesASoundRemote_data()
{
    QTest::addColumn<bool>("halfLanded");
    QTest::newRow("nothing of it landed") << false;
    QTest::newRow("its first half landed") << true;
}

void MemoryRestoreTest::aRefusedWriteLeavesASoundRemote()
{
    // Whichever write the remote refuses, what it holds is sound, and a second
    // restore finishes the job.
    QFETCH(bool, halfLanded);
    const int writes = writesOfARestore();
    QVERIFY(writes > 70);
    for (int refused = 1; refused <= writes; ++refused) {
        Restoring restoring;
        HalfLandedWrite halfLandedWrite(restoring.device, refused);
        if (!halfLanded)
            restoring.device.failCall(FaultingDevice::Operation::WriteData, refused, 1);
        RemoteDevice &device = halfLanded ? static_cast<RemoteDevice &>(halfLandedWrite) : restoring.device;
        const MemoryRestore::Result failed = MemoryRestore::restore(device, restoring.tables, backup().bytes());
        QCOMPARE(failed.outcome, MemoryRestore::Outcome::WriteRefused);
        QVERIFY(!failed.detail.empty());
        const MemoryCheck::Report report = MemoryCheck::check(restoring.memory());
        if (!report.consistent())
            QFAIL(qPrintable(
                QString("write %1 refused (%2): %3")
                    .arg(refused)
                    .arg(QString::fromStdString(failed.detail), QString::fromStdString(report.corruption.front()))));
        const MemoryRestore::Result again =
            MemoryRestore::restore(restoring.device, restoring.tables, backup().bytes());
        QCOMPARE(again.outcome, MemoryRestore::Outcome::Restored);
    }
}

void MemoryRestoreTest::refusesTablesItCannotPlace_data()
{
    QTest::addColumn<CraftedImage>("image");
    QTest::addColumn<QString>("why");
    QTest::newRow("tables elsewhere") << CraftedImage(backup()).putWord(
        FactoryImage::paramAddress + FactoryImage::codeAreaPointerOffset, FactoryImage::pointerBase + 0x7000)
                                      << "the code area's address";
    QTest::newRow("keys in another order")
        << CraftedImage(backup()).put(FactoryImage::paramAddress + 33, {0x77}) << "another order";
    QTest::newRow("learned codes not sound")
        << CraftedImage(backup()).learnedKey(CraftedImage::keyIndex(3, 3), 9) << "not sound";
    QTest::newRow("tables unreadable") << CraftedImage(backup()).put(FactoryImage::configBlockAddress, {0xFF, 0xFF})
                                       << "cannot be read";
}

void MemoryRestoreTest::refusesTablesItCannotPlace()
{
    QFETCH(CraftedImage, image);
    QFETCH(QString, why);
    Restoring restoring;
    const std::vector<std::uint8_t> before = restoring.memory();
    const MemoryRestore::Result result = MemoryRestore::restore(restoring.device, restoring.tables, image.bytes());
    QCOMPARE(result.outcome, MemoryRestore::Outcome::TablesUnusable);
    QVERIFY2(QString::fromStdString(result.detail).contains(why), result.detail.c_str());
    QVERIFY(restoring.memory() == before);
}

QTEST_GUILESS_MAIN(MemoryRestoreTest)
#include "MemoryRestoreTest.moc"
