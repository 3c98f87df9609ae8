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

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

constexpr std::uint16_t changeAt = 0x1000;
constexpr std::size_t changeSize = 20000;

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
        // A change: its journal record and the record's copy are written (writes 1 and 2) and synced
        // (sync 1), then the image (write 3) and its sync (sync 2).
        QTest::newRow("record torn in its header") << 1 << false << 1 << 20 << false;
        QTest::newRow("record torn in its bytes") << 1 << false << 1 << 5000 << false;
        QTest::newRow("copy torn") << 1 << false << 2 << 5000 << true;
        QTest::newRow("record written, not yet synced") << 1 << true << 1 << 0 << true;
        QTest::newRow("record synced, image untouched") << 1 << false << 3 << 0 << true;
        QTest::newRow("image half written") << 1 << false << 3 << 7000 << true;
        QTest::newRow("image written, not yet synced") << 1 << true << 2 << 0 << true;
        QTest::newRow("after many changes, record torn") << 40 << false << 1 << 100 << false;
        QTest::newRow("after many changes, image half written") << 40 << false << 3 << 7000 << true;
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

    // A remote killed in the middle of writing the image for the fourth of
    // four changes that overlap, with one byte of its journal flipped
    // afterwards: whatever the byte, the restart finishes the change cut off,
    // and never shows an earlier one over it.
    void damagedJournalRollsNothingBack_data()
    {
        QTest::addColumn<int>("flipped");
        const int record = int(WriteJournal::headerSize + changeSize);
        const int copy = int(WriteJournal::copyAt);
        QTest::newRow("start of the journal") << 0;
        QTest::newRow("a record's length") << 5;
        QTest::newRow("a record's checksum") << 26;
        QTest::newRow("a record's bytes") << 1000;
        QTest::newRow("where a second record would start") << record + 1;
        QTest::newRow("where a second record's bytes would be") << record + 1000;
        QTest::newRow("where a third record would start") << 2 * record + 1;
        QTest::newRow("the copy's header") << copy + 12;
        QTest::newRow("the copy's bytes") << copy + 7000;
    }

    void damagedJournalRollsNothingBack()
    {
        QFETCH(int, flipped);
        const QString image = path(QTest::currentDataTag());
        const QString journal = QString::fromStdString(MemoryImage::journalPathOf(image.toStdString()));
        QCOMPARE(inChild([&] {
                     auto remote = openImage(image);
                     for (int change = 1; change <= 3; ++change) {
                         if (!remote || !remote->poke(changeAt, pattern(change))) {
                             ::_exit(1);
                         }
                     }
                     // The record and its copy are written (writes 1 and 2), then the image.
                     DiskFaults::dieAtWrite(3, 7000);
                     remote->poke(changeAt, pattern(4));
                 }),
                 DiskFaults::killedExitCode);
        QByteArray bytes = contents(journal);
        QVERIFY(flipped < bytes.size());
        bytes[flipped] = char(bytes[flipped] ^ 0x10);
        QVERIFY(writeFile(journal, bytes));
        QCOMPARE(openImage(image)->dump(changeAt, changeSize), pattern(4));
        QCOMPARE(contents(image).mid(changeAt, qsizetype(changeSize)), QByteArray(qsizetype(changeSize), 4));
    }

    // A run of several records is an earlier version's, which wrote the
    // image before it acknowledged a change: it is not replayed, as a damaged
    // record in it could not be told from its end, and the log says so once.
    void earlierVersionsRunIsNotReplayed()
    {
        const QString image = path("earlier.img");
        const QString journal = image + ".journal";
        QVERIFY(openImage(image));
        QByteArray run;
        for (std::uint32_t sequence = 0; sequence < 2; ++sequence) {
            const std::vector<std::uint8_t> change(16, std::uint8_t(0xE0 + sequence));
            const auto record = WriteJournal::encode(0x5EED, sequence, changeAt, change.data(), change.size());
            run += QByteArray(reinterpret_cast<const char *>(record.data()), qsizetype(record.size()));
        }
        QVERIFY(writeFile(journal, run + QByteArray(qsizetype(WriteJournal::capacity) - run.size(), '\0')));
        QStringList log;
        const auto opened = [&] {
            std::string error;
            return VirtualRemote::open({image.toStdString(), std::chrono::microseconds(0),
                                        [&](const std::string &line) { log << QString::fromStdString(line); }},
                                       &error);
        };
        const auto factory = FactoryImage::build();
        QCOMPARE(opened()->dump(changeAt, 16),
                 std::vector<std::uint8_t>(factory.begin() + changeAt, factory.begin() + changeAt + 16));
        QCOMPARE(log.size(), 1);
        QVERIFY2(log[0].contains(journal) && log[0].contains("2 changes"), qPrintable(log[0]));
        QVERIFY(opened());
        QCOMPARE(log.size(), 1);
    }

    // A change cut off by a kill is finished by the next start, which then
    // empties the journal: an image put in its place after the next kill (a
    // backup) is left as it is.
    void startEmptiesTheJournal()
    {
        const QString image = path("started.img");
        QCOMPARE(inChild([&] {
                     auto remote = openImage(image);
                     DiskFaults::dieAtWrite(3, 0);
                     remote->poke(changeAt, pattern(7));
                 }),
                 DiskFaults::killedExitCode);
        QCOMPARE(inChild([&] {
                     const auto remote = openImage(image);
                     if (remote) {
                         ::_exit(DiskFaults::killedExitCode);
                     }
                 }),
                 DiskFaults::killedExitCode);
        QCOMPARE(contents(image).mid(changeAt, 2), QByteArray(2, 7));
        QVERIFY(writeFile(image, factoryBytes()));
        const auto factory = FactoryImage::build();
        QCOMPARE(openImage(image)->dump(changeAt, 2),
                 (std::vector<std::uint8_t>{factory[changeAt], factory[changeAt + 1]}));
    }

    void killWhileCreatingLeavesNoShortImage()
    {
        const QString image = path("creating.img");
        QCOMPARE(inChild([&] {
                     // The journal is prepared first (write 1), then the new image written (write 2).
                     DiskFaults::dieAtWrite(2, 1000);
                     openImage(image);
                 }),
                 DiskFaults::killedExitCode);
        QVERIFY(!QFile::exists(image));
        QVERIFY(openImage(image));
        QCOMPARE(contents(image), factoryBytes());
    }

    void filesArePrivate()
    {
        const QString image = path("private.img");
        const QString journal = QString::fromStdString(MemoryImage::journalPathOf(image.toStdString()));
        QVERIFY(openImage(image));
        QCOMPARE(modeOf(image), 0600);
        QCOMPARE(modeOf(journal), 0600);
        QCOMPARE(QFileInfo(journal).size(), qint64(WriteJournal::capacity));
        for (const QString &file : {image, journal})
            QVERIFY(::chmod(file.toLocal8Bit().constData(), 0644) == 0);
        QVERIFY(openImage(image));
        QCOMPARE(modeOf(image), 0600);
        QCOMPARE(modeOf(journal), 0600);
    }

    // An image or journal that is not the user's alone is refused and left
    // as it is, and so is what a link there leads to.
    void untrustedFileIsRefused_data()
    {
        QTest::addColumn<bool>("isJournal");
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QString>("problem");
        QTest::newRow("image: symbolic link") << false << "symbolic link"
                                              << "symbolic link";
        QTest::newRow("image: another user's") << false << "another user's"
                                               << "another user";
        QTest::newRow("image: writable by the group") << false << "0660"
                                                      << "writable by other users";
        QTest::newRow("image: writable by everyone") << false << "0666"
                                                     << "writable by other users";
        QTest::newRow("journal: symbolic link") << true << "symbolic link"
                                                << "symbolic link";
        QTest::newRow("journal: hard link") << true << "hard link"
                                            << "hard links";
        QTest::newRow("journal: another user's") << true << "another user's"
                                                 << "another user";
        QTest::newRow("journal: writable by everyone") << true << "0666"
                                                       << "writable by other users";
    }

    void untrustedFileIsRefused()
    {
        QFETCH(bool, isJournal);
        QFETCH(QString, plant);
        QFETCH(QString, problem);
        if (plant == "another user's" && ::geteuid() != 0)
            QSKIP("a file of another user needs root");
        const QString image = path(QTest::currentDataTag());
        QVERIFY(openImage(image));
        const QString file = isJournal ? image + ".journal" : image;
        const QByteArray local = file.toLocal8Bit();
        const QString target = image + ".target";
        const QByteArray before = contents(file);
        if (plant.endsWith("link")) {
            QVERIFY(QFile::rename(file, target));
            if (plant == "hard link")
                QVERIFY(::link(target.toLocal8Bit().constData(), local.constData()) == 0);
            else
                QVERIFY(QFile::link(target, file));
        } else if (plant == "another user's") {
            QVERIFY(::chown(local.constData(), 65534, 65534) == 0);
        } else {
            QVERIFY(::chmod(local.constData(), mode_t(plant.toInt(nullptr, 8))) == 0);
        }
        std::string error;
        QVERIFY(!openImage(image, &error));
        const QString message = QString::fromStdString(error);
        QVERIFY2(message.contains(problem) && message.contains(file), qPrintable(message));
        QCOMPARE(contents(file), before);
        QCOMPARE(contents(image), factoryBytes());
    }

    // What lies where a new image is made before it gets its name is never
    // filled; only a name that links to a file elsewhere is taken away.
    void plantedNewImageIsLeftAlone_data()
    {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<bool>("created");
        QTest::newRow("hard link to a file of the user's") << "hard link" << true;
        QTest::newRow("symbolic link to a file of the user's") << "symbolic link" << true;
        QTest::newRow("a file larger than an image") << "large" << false;
        QTest::newRow("another user's file") << "another user's" << false;
    }

    void plantedNewImageIsLeftAlone()
    {
        QFETCH(QString, plant);
        QFETCH(bool, created);
        if (plant == "another user's" && ::geteuid() != 0)
            QSKIP("a file of another user needs root");
        const QString image = path(QTest::currentDataTag());
        const QString fresh = image + ".new";
        const QString kept = plant.endsWith("link") ? image + ".kept" : fresh;
        const QByteArray precious(plant == "large" ? 100000 : 1000, 'P');
        QVERIFY(writeFile(kept, precious));
        if (plant == "hard link")
            QVERIFY(::link(kept.toLocal8Bit().constData(), fresh.toLocal8Bit().constData()) == 0);
        if (plant == "symbolic link")
            QVERIFY(QFile::link(kept, fresh));
        if (plant == "another user's")
            QVERIFY(::chown(kept.toLocal8Bit().constData(), 65534, 65534) == 0);
        std::string error;
        QCOMPARE(bool(openImage(image, &error)), created);
        QCOMPARE(contents(kept), precious);
        if (!created) {
            QVERIFY2(QString::fromStdString(error).contains(fresh), error.c_str());
            QVERIFY(!QFile::exists(image));
            return;
        }
        QCOMPARE(contents(image), factoryBytes());
        QCOMPARE(modeOf(image), 0600);
        QCOMPARE(QFileInfo(image).ownerId(), ::geteuid());
        QVERIFY(!QFileInfo::exists(fresh) && !QFileInfo(fresh).isSymLink());
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
        QTest::newRow("record's copy not yet emptied") << 3 << 0 << 0;
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
                     DiskFaults::dieAtWrite(3, 0);
                     remote->poke(0x5000, {0xDE, 0xAD});
                 }),
                 DiskFaults::killedExitCode);
        std::string error;
        QVERIFY(WriteJournal::open(journal, FactoryImage::memorySize, &error)->takePending());
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
