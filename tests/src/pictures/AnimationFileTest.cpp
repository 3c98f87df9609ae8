#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sys/stat.h>

#include "AnimationFile.h"
#include "TestFiles.h"

// Where the animation file lives and how it is replaced and removed.
class AnimationFileTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> runtime;
    std::unique_ptr<QTemporaryDir> cache;

    QString runtimeFile() const { return runtime->filePath("qlr-learn/" + AnimationFile::fileName()); }
    QString cacheFile() const { return cache->filePath("qlr-learn/" + AnimationFile::fileName()); }

    static mode_t modeOf(const QString &path)
    {
        struct stat status
        { };
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
    }

private slots:
    void init()
    {
        runtime = std::make_unique<QTemporaryDir>();
        cache = std::make_unique<QTemporaryDir>();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache->path()));
    }

    void livesInAPrivateRuntimeFolder()
    {
        QCOMPARE(AnimationFile::path(), runtimeFile());
        QVERIFY(AnimationFile::replace("movie"));
        QCOMPARE(TestFiles::contents(runtimeFile()), QByteArray("movie"));
        QCOMPARE(modeOf(runtime->filePath("qlr-learn")), mode_t(0700));
        QCOMPARE(modeOf(runtimeFile()), mode_t(0600));
    }

    void tightensAFolderOfOursThatIsTooOpen()
    {
        QVERIFY(QDir(runtime->path()).mkdir("qlr-learn"));
        QVERIFY(::chmod(QFile::encodeName(runtime->filePath("qlr-learn")).constData(), 0777) == 0);
        QVERIFY(AnimationFile::replace("movie"));
        QCOMPARE(modeOf(runtime->filePath("qlr-learn")), mode_t(0700));
    }

    void fallsBackToTheCacheFolder_data()
    {
        QTest::addColumn<QString>("runtimeDir");
        QTest::newRow("no runtime directory") << "";
        QTest::newRow("relative runtime directory") << "relative/run";
        QTest::newRow("runtime directory missing") << "/nonexistent/run";
    }

    void fallsBackToTheCacheFolder()
    {
        QFETCH(QString, runtimeDir);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir));
        QCOMPARE(AnimationFile::path(), cacheFile());
        QVERIFY(AnimationFile::replace("movie"));
        QCOMPARE(TestFiles::contents(cacheFile()), QByteArray("movie"));
        QCOMPARE(modeOf(cache->filePath("qlr-learn")), mode_t(0700));
    }

    void refusesAFolderThatIsALink()
    {
        QTemporaryDir elsewhere;
        QVERIFY(QFile::link(elsewhere.path(), runtime->filePath("qlr-learn")));
        QVERIFY(AnimationFile::replace("movie"));
        QVERIFY(QDir(elsewhere.path()).isEmpty());
        QCOMPARE(TestFiles::contents(cacheFile()), QByteArray("movie"));
    }

    void refusesAFolderThatIsAFile()
    {
        QVERIFY(TestFiles::write(runtime->filePath("qlr-learn"), "planted"));
        QVERIFY(AnimationFile::replace("movie"));
        QCOMPARE(TestFiles::contents(runtime->filePath("qlr-learn")), QByteArray("planted"));
        QCOMPARE(TestFiles::contents(cacheFile()), QByteArray("movie"));
    }

    void replacesRatherThanOverwrites()
    {
        QVERIFY(AnimationFile::replace("first"));
        const QString otherName = runtime->filePath("second-name");
        QVERIFY(::link(QFile::encodeName(runtimeFile()).constData(), QFile::encodeName(otherName).constData()) == 0);
        QVERIFY(AnimationFile::replace("second"));
        QCOMPARE(TestFiles::contents(runtimeFile()), QByteArray("second"));
        QCOMPARE(TestFiles::contents(otherName), QByteArray("first"));
    }

    void neverFollowsALinkAtItsName()
    {
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath("victim");
        QVERIFY(TestFiles::write(victim, "precious"));
        QVERIFY(QDir().mkpath(runtime->filePath("qlr-learn")));
        QVERIFY(QFile::link(victim, runtimeFile()));
        QVERIFY(AnimationFile::replace("movie"));
        QCOMPARE(TestFiles::contents(victim), QByteArray("precious"));
        QVERIFY(!QFileInfo(runtimeFile()).isSymLink());

        QVERIFY(QFile::remove(runtimeFile()));
        QVERIFY(QFile::link(victim, runtimeFile()));
        QVERIFY(AnimationFile::remove());
        QVERIFY(!QFileInfo(runtimeFile()).isSymLink());
        QCOMPARE(TestFiles::contents(victim), QByteArray("precious"));
    }

    void aDirectoryAtItsNameFailsQuietly()
    {
        QVERIFY(QDir().mkpath(runtimeFile()));
        QVERIFY(!AnimationFile::replace("movie"));
        QVERIFY(QFileInfo(runtimeFile()).isDir());
        QVERIFY(!AnimationFile::remove());
    }

    void removeDeletesAndToleratesAbsence()
    {
        QVERIFY(AnimationFile::replace("movie"));
        QVERIFY(AnimationFile::remove());
        QVERIFY(!QFileInfo::exists(runtimeFile()));
        QVERIFY(AnimationFile::remove());
    }

    void nothingToWriteStillRemovesTheOldFile()
    {
        QVERIFY(AnimationFile::replace("old"));
        QVERIFY(!AnimationFile::replace(QByteArray()));
        QVERIFY(!QFileInfo::exists(runtimeFile()));
    }
};

QTEST_MAIN(AnimationFileTest)
#include "AnimationFileTest.moc"
