#include <QtTest>

#include <sys/stat.h>

#include "DiskFaults.h"
#include "FactoryImage.h"
#include "RemoteText.h"

using namespace RemoteText;

namespace
{
std::unique_ptr<VirtualRemote> openImage(const QString &path, std::string *error = nullptr)
{
    std::string ignored;
    return VirtualRemote::open({path.toStdString(), std::chrono::microseconds(0)}, error ? error : &ignored);
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray factoryBytes()
{
    const auto image = FactoryImage::build();
    return QByteArray(reinterpret_cast<const char *>(image.data()), static_cast<qsizetype>(image.size()));
}

bool write(VirtualRemote &remote, std::uint16_t address, const std::string &hex)
{
    return remote.writeData("0A", high(address), low(address), hex);
}
}  // namespace

// The image file: created when missing, refused when it is not a remote's
// memory, and every accepted change on disk when the call returns.
class MemoryImageTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(name); }

private slots:
    void cleanup() { DiskFaults::clear(); }

    void missingImageIsCreated()
    {
        const QString image = path("new.img");
        QVERIFY(openImage(image));
        QCOMPARE(contents(image), factoryBytes());
        struct stat status{};
        QCOMPARE(::stat(image.toLocal8Bit().constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, mode_t(0600));
    }

    void changesSurviveReopening()
    {
        const QString image = path("kept.img");
        {
            auto remote = openImage(image);
            QVERIFY(write(*remote, 0x2000 + 22 * 50, "C00000800100"));
            QVERIFY(remote->poke(0x5000, {0xDE, 0xAD}));
            // On disk before the call returns, not only at close.
            QCOMPARE(contents(image).mid(0x5000, 2), QByteArray("\xDE\xAD"));
        }
        auto remote = openImage(image);
        QCOMPARE(read(*remote, 0x2000 + 22 * 50, 1).left(12), QString("C00000800100"));
        QCOMPARE(read(*remote, 0x5000, 1).left(4), QString("DEAD"));
        QVERIFY(remote->reset());
        QCOMPARE(contents(image), factoryBytes());
        QCOMPARE(read(*remote, 0x5000, 1), QString(16, '0'));
    }

    void wrongSizeIsRefused_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << 0;
        QTest::newRow("one byte short") << 65535;
        QTest::newRow("one byte more") << 65537;
        QTest::newRow("twice") << 131072;
    }

    void wrongSizeIsRefused()
    {
        QFETCH(int, size);
        const QString image = path("wrong.img");
        QByteArray bytes(size, 'Q');
        {
            QFile file(image);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
        }
        std::string error;
        QVERIFY(!openImage(image, &error));
        const QString message = QString::fromStdString(error);
        QVERIFY2(message.contains(image), qPrintable(message));
        QVERIFY2(message.contains(QString::number(size) + " bytes"), qPrintable(message));
        QCOMPARE(contents(image), bytes);
    }

    void unreadableImageIsRefused()
    {
        std::string error;
        QVERIFY(!openImage(m_dir.path(), &error));
        QVERIFY(QString::fromStdString(error).contains(m_dir.path()));
        QVERIFY(!openImage(path("no/such/dir/x.img"), &error));
        QVERIFY(QString::fromStdString(error).contains("no/such/dir/x.img"));
        QVERIFY(!QFile::exists(path("no")));
    }

    void imageInUseIsRefused()
    {
        const QString image = path("shared.img");
        auto first = openImage(image);
        QVERIFY(first);
        std::string error;
        QVERIFY(!openImage(image, &error));
        QVERIFY2(QString::fromStdString(error).contains("in use"), error.c_str());
        first.reset();
        QVERIFY(openImage(image));
    }

    void failedDiskWriteChangesNothing_data()
    {
        QTest::addColumn<bool>("cutShort");
        QTest::newRow("sync fails") << false;
        QTest::newRow("write cut short") << true;
    }

    void failedDiskWriteChangesNothing()
    {
        QFETCH(bool, cutShort);
        const QString image = path("faulty.img");
        QFile::remove(image);
        auto remote = openImage(image);
        QVERIFY(write(*remote, 0x5000, "0102030405060708"));
        const QByteArray before = contents(image);

        cutShort ? DiskFaults::failMidWrite() : DiskFaults::failNextSync();
        QVERIFY(!write(*remote, 0x5000, "A1A2A3A4A5A6A7A8"));
        QCOMPARE(read(*remote, 0x5000, 1), QString("0102030405060708"));
        QCOMPARE(contents(image), before);

        cutShort ? DiskFaults::failMidWrite() : DiskFaults::failNextSync();
        QVERIFY(!remote->poke(0x5000, {9, 9, 9, 9, 9, 9}));
        cutShort ? DiskFaults::failMidWrite() : DiskFaults::failNextSync();
        QVERIFY(!remote->reset());
        QCOMPARE(read(*remote, 0x5000, 1), QString("0102030405060708"));
        QCOMPARE(contents(image), before);

        QVERIFY(write(*remote, 0x5000, "A1A2"));
        QCOMPARE(contents(image).mid(0x5000, 3), QByteArray("\xA1\xA2\x03"));
    }

    void memoryOnlyRemoteWritesNoFile()
    {
        auto remote = memoryOnly();
        QVERIFY(write(*remote, 0x5000, "A1"));
        QCOMPARE(read(*remote, 0x5000, 1).left(2), QString("A1"));
        QVERIFY(!remote->poke(0xFFFF, {1, 2}));
        QCOMPARE(remote->dump(0xFFFF, 2).size(), std::size_t{1});
    }
};

QTEST_GUILESS_MAIN(MemoryImageTest)
#include "tst_memoryimage.moc"
