#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "DiskFaults.h"
#include "FactoryImage.h"
#include "MemoryImage.h"
#include "RemoteText.h"
#include "WriteJournal.h"

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

int modeOf(const QString &path)
{
    struct stat status
    { };
    return ::lstat(path.toLocal8Bit().constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

// Runs `body` in a child process and returns how the child ended: its exit
// code, or -1 when it did not exit on its own.
template <typename Body> int inChild(Body body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

constexpr std::uint16_t changeAt = 0x1000;
constexpr std::size_t changeSize = 20000;
// Changes of changeSize that fill the journal, so that the next one makes it start over.
constexpr int changesToFillTheJournal = int(WriteJournal::capacity / (WriteJournal::headerSize + changeSize));

std::vector<std::uint8_t> pattern(int value)
{
    return std::vector<std::uint8_t>(changeSize, static_cast<std::uint8_t>(value));
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
        struct stat status
        { };
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

    // A remote killed at each step of a change: after the restart the change
    // is either whole or not there, and every change before it is there.
    void killedChangeIsAllOrNothing_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<bool>("atSync");
        QTest::addColumn<int>("nth");
        QTest::addColumn<int>("keep");
        QTest::addColumn<bool>("applied");
        // A change: its journal record is written (write 1) and synced (sync 1), then the image (write 2).
        QTest::newRow("record torn in its header") << 1 << false << 1 << 20 << false;
        QTest::newRow("record torn in its bytes") << 1 << false << 1 << 5000 << false;
        QTest::newRow("record written, not yet synced") << 1 << true << 1 << 0 << true;
        QTest::newRow("record synced, image untouched") << 1 << false << 2 << 0 << true;
        QTest::newRow("image half written") << 1 << false << 2 << 7000 << true;
        // With the journal full the image is synced first (sync 1), then the journal starts over.
        const int full = changesToFillTheJournal;
        QTest::newRow("journal full, image not yet synced") << full << true << 1 << 0 << false;
        QTest::newRow("journal started over, record torn") << full << false << 1 << 100 << false;
        QTest::newRow("journal started over, image half written") << full << false << 2 << 7000 << true;
    }

    void killedChangeIsAllOrNothing()
    {
        QFETCH(int, before);
        QFETCH(bool, atSync);
        QFETCH(int, nth);
        QFETCH(int, keep);
        QFETCH(bool, applied);
        const QString image = path(QTest::currentDataTag());
        const int ended = inChild([&] {
            auto remote = openImage(image);
            for (int change = 1; change <= before; ++change) {
                if (!remote || !remote->poke(changeAt, pattern(change))) {
                    ::_exit(1);
                }
            }
            atSync ? DiskFaults::dieAtSync(nth) : DiskFaults::dieAtWrite(nth, std::size_t(keep));
            remote->poke(changeAt, pattern(0xA5));
        });
        QCOMPARE(ended, DiskFaults::killedExitCode);

        const auto expected = pattern(applied ? 0xA5 : before);
        for (int reopening = 0; reopening < 2; ++reopening) {
            auto remote = openImage(image);
            QVERIFY(remote);
            QCOMPARE(remote->dump(changeAt, changeSize), expected);
            const QByteArray file = contents(image);
            QCOMPARE(file.size(), qsizetype(FactoryImage::memorySize));
            QCOMPARE(file.mid(changeAt, changeSize),
                     QByteArray(reinterpret_cast<const char *>(expected.data()), qsizetype(changeSize)));
        }
        auto remote = openImage(image);
        QVERIFY(remote->poke(changeAt, {0x77}));
        remote.reset();
        QCOMPARE(openImage(image)->dump(changeAt, 2), (std::vector<std::uint8_t>{0x77, expected[1]}));
    }

    void killWhileCreatingLeavesNoShortImage()
    {
        const QString image = path("creating.img");
        QCOMPARE(inChild([&] {
                     DiskFaults::dieAtWrite(1, 1000);
                     openImage(image);
                 }),
                 DiskFaults::killedExitCode);
        QVERIFY(!QFile::exists(image));
        QVERIFY(openImage(image));
        QCOMPARE(contents(image), factoryBytes());
    }

    void journalIsPrivate()
    {
        const QString image = path("private.img");
        const QString journal = QString::fromStdString(MemoryImage::journalPathOf(image.toStdString()));
        QVERIFY(openImage(image));
        QCOMPARE(modeOf(image), 0600);
        QCOMPARE(modeOf(journal), 0600);
        QCOMPARE(QFileInfo(journal).size(), qint64(WriteJournal::capacity));
        QVERIFY(::chmod(journal.toLocal8Bit().constData(), 0644) == 0);
        QVERIFY(openImage(image));
        QCOMPARE(modeOf(journal), 0600);
    }

    void journalThroughALinkIsRefused()
    {
        const QString image = path("linked.img");
        const QString journal = QString::fromStdString(MemoryImage::journalPathOf(image.toStdString()));
        QVERIFY(openImage(image));
        const QString target = path("target");
        QVERIFY(QFile::remove(journal));
        {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a journal");
        }
        QVERIFY(QFile::link(target, journal));
        std::string error;
        QVERIFY(!openImage(image, &error));
        QVERIFY2(QString::fromStdString(error).contains("symbolic link"), error.c_str());
        QCOMPARE(contents(target), QByteArray("not a journal"));
        QCOMPARE(contents(image), factoryBytes());
    }

    // Records of an image that was deleted are not finished on a new one.
    void newImageForgetsAnOldJournal()
    {
        const QString image = path("replaced.img");
        QVERIFY(openImage(image)->poke(0x5000, {0xDE, 0xAD}));
        QVERIFY(QFile::remove(image));
        QCOMPARE(openImage(image)->dump(0x5000, 2), (std::vector<std::uint8_t>{0, 0}));
        QCOMPARE(openImage(image)->dump(0x5000, 2), (std::vector<std::uint8_t>{0, 0}));
        QCOMPARE(contents(image), factoryBytes());
    }

    // A remote killed in the middle of a change leaves its record; the image
    // is then deleted, and the remote killed at each step of making a new one.
    // The record is never finished on the factory image that replaces it.
    void killWhileCreatingFinishesNoOldJournal_data()
    {
        QTest::addColumn<int>("write");
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("sync");
        QTest::newRow("new image half written") << 1 << 1000 << 0;
        QTest::newRow("journal not yet emptied") << 2 << 0 << 0;
        QTest::newRow("emptied journal being synced") << 0 << 0 << 1;
    }

    void killWhileCreatingFinishesNoOldJournal()
    {
        QFETCH(int, write);
        QFETCH(int, kept);
        QFETCH(int, sync);
        const QString image = path("stale.img");
        const std::string journal = MemoryImage::journalPathOf(image.toStdString());
        QFile::remove(image);
        QCOMPARE(inChild([&] {
                     auto remote = openImage(image);
                     DiskFaults::dieAtWrite(2, 0);
                     remote->poke(0x5000, {0xDE, 0xAD});
                 }),
                 DiskFaults::killedExitCode);
        std::string error;
        QCOMPARE(WriteJournal::open(journal, FactoryImage::memorySize, &error)->takePending().size(), std::size_t{1});
        QVERIFY(QFile::remove(image));
        QCOMPARE(inChild([&] {
                     if (write > 0)
                         DiskFaults::dieAtWrite(write, std::size_t(kept));
                     else
                         DiskFaults::dieAtSync(sync);
                     openImage(image);
                 }),
                 DiskFaults::killedExitCode);
        QCOMPARE(openImage(image)->dump(0x5000, 2), (std::vector<std::uint8_t>{0, 0}));
        QCOMPARE(contents(image), factoryBytes());
    }

    // After a clean close nothing is left to finish: an image put in its
    // place (a backup) is opened as it is.
    void replacedImageAfterACleanCloseIsLeftAsItIs()
    {
        const QString image = path("restored.img");
        QVERIFY(openImage(image)->poke(0x5000, {0xDE, 0xAD}));
        {
            QFile file(image);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.write(factoryBytes()) == FactoryImage::memorySize);
        }
        QCOMPARE(openImage(image)->dump(0x5000, 2), (std::vector<std::uint8_t>{0, 0}));
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
#include "MemoryImageTest.moc"
