#include <QCryptographicHash>
#include <QTest>

#include "CraftedImage.h"
#include "FactoryImage.h"
#include "MemoryBackup.h"

Q_DECLARE_METATYPE(MemoryBackup::Problem)

namespace
{
const QDateTime written(QDate(2024, 5, 1), QTime(12, 30), Qt::UTC);

QByteArray fileOf(const CraftedImage &image)
{
    return MemoryBackup::of(image.bytes(), written).file();
}

// A header line replaced, the checksum made to fit again: a file the tool could have written.
QByteArray withHeader(const QByteArray &key, const QByteArray &value, const CraftedImage &image = CraftedImage())
{
    QByteArray file = fileOf(image);
    const qsizetype at = file.indexOf("\n" + key + ": ") + 1;
    file.replace(at, file.indexOf('\n', at) - at, key + ": " + value);
    const qsizetype sum = file.indexOf("sha256: ");
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(file.left(sum));
    hash.addData(file.mid(file.indexOf("\n\n") + 2));
    file.replace(sum + 8, 64, hash.result().toHex().toUpper());
    return file;
}
}  // namespace

class MemoryBackupTest : public QObject
{
    Q_OBJECT

private slots:
    void readsBackWhatItWrote();
    void refusals_data();
    void refusals();
};

void MemoryBackupTest::readsBackWhatItWrote()
{
    const CraftedImage image = CraftedImage().learnedKey(3, 2).slot(2, 0x998877, 5, 2);
    const QByteArray file = fileOf(image);
    QVERIFY(file.startsWith("QLR-815 memory backup\nversion: 1\nmodel: 1805\nidentity: "));
    QVERIFY(file.contains("\nfirmware: 01.03\ndate: 2024-05-01T12:30:00Z\nsha256: "));
    const MemoryBackup::Read read = MemoryBackup::read(file);
    QVERIFY2(read.backup, read.detail.c_str());
    QVERIFY(read.backup->image == image.bytes());
    QCOMPARE(read.backup->identity, CraftedImage::hex({FactoryImage::identity.begin(), FactoryImage::identity.end()}));
    QCOMPARE(read.backup->date, written);
}

void MemoryBackupTest::refusals_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<MemoryBackup::Problem>("problem");
    using P = MemoryBackup::Problem;
    const QByteArray good = fileOf(CraftedImage());
    const qsizetype image = good.indexOf("\n\n") + 2;
    QTest::newRow("empty") << QByteArray() << P::NotABackup;
    QTest::newRow("a memory image alone") << good.mid(image) << P::NotABackup;
    QTest::newRow("a later format") << withHeader("version", "2") << P::NewerVersion;
    QTest::newRow("cut short") << good.left(good.size() - 1) << P::Damaged;
    QTest::newRow("a byte too many") << good + QByteArray(1, '\0') << P::Damaged;
    QTest::newRow("header cut") << good.left(image - 20) << P::Damaged;
    QTest::newRow("header line missing") << QByteArray(good).replace("firmware: 01.03\n", "") << P::Damaged;
    QTest::newRow("header line malformed") << QByteArray(good).replace("model: 1805", "model 1805") << P::Damaged;
    QTest::newRow("a byte of the image changed")
        << QByteArray(good).replace(image + 0xA000, 1, "\x7F") << P::ChecksumFailed;
    QTest::newRow("a header line changed") << QByteArray(good).replace("2024-05-01", "2024-05-02") << P::ChecksumFailed;
    QTest::newRow("another model") << withHeader("model", "1806") << P::OtherModel;
    QTest::newRow("image of another model")
        << withHeader("model", "1806",
                      CraftedImage().put(FactoryImage::basicBlockAddress + FactoryImage::modelCodeOffset, {0x18, 0x06}))
        << P::OtherModel;
    QTest::newRow("header of another remote than its image")
        << withHeader("identity", QByteArray(30, '0')) << P::Damaged;
}

void MemoryBackupTest::refusals()
{
    QFETCH(QByteArray, file);
    QFETCH(MemoryBackup::Problem, problem);
    const MemoryBackup::Read read = MemoryBackup::read(file);
    QVERIFY(!read.backup);
    QCOMPARE(read.problem, problem);
    QVERIFY(!read.detail.empty());
}

QTEST_GUILESS_MAIN(MemoryBackupTest)
#include "MemoryBackupTest.moc"
