#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "MappedFiles.h"
#include "ResourcePack.h"
#include "TestFiles.h"
#include "TestPacks.h"

// Finding, loading, reading and unloading one resource pack.
class ResourcePackTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        ResourcePack::setSearchPathForTesting(std::nullopt);
        qunsetenv("LD_LIBRARY_PATH");
    }

    void searchesBesideTheProgramThenTheLibraryPath()
    {
        qputenv("LD_LIBRARY_PATH", ":/opt/a::/opt/b:");
        const QString besideProgram = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../" QLR_PRIVATE_DIR);
        // Empty entries would stand for the current directory; they are left out.
        QCOMPARE(ResourcePack::searchPath(), QStringList({besideProgram, "/opt/a", "/opt/b"}));
    }

    void findsTheFirstPackOnThePath()
    {
        QTemporaryDir first;
        QTemporaryDir second;
        QVERIFY(TestFiles::write(second.filePath("on1805.rcc"), "second"));
        ResourcePack::setSearchPathForTesting(QStringList{first.path(), second.path()});
        QCOMPARE(ResourcePack::find("on1805.rcc"), second.filePath("on1805.rcc"));
        QVERIFY(TestFiles::write(first.filePath("on1805.rcc"), "first"));
        QCOMPARE(ResourcePack::find("on1805.rcc"), first.filePath("on1805.rcc"));
        QVERIFY(QDir(first.path()).mkdir("sn1805.rcc"));
        QCOMPARE(ResourcePack::find("sn1805.rcc"), QString());
    }

    void loadsReadsAndUnloads()
    {
        TestPacks packs;
        QVERIFY(packs.copyAll());
        ResourcePack pack("on1805");
        QVERIFY(!pack.read("gif0"));
        QVERIFY(pack.load());
        const QString file = QDir(packs.folder()).filePath("on1805.rcc");
        QCOMPARE(MappedFiles::endingWith("on1805.rcc"), QStringList{file});

        const std::optional<QByteArray> picture = pack.read("gif0");
        QVERIFY(picture);
        QVERIFY(picture->startsWith("GIF89a") || picture->startsWith("GIF87a"));
        QVERIFY(!pack.read("gif168"));
        QVERIFY(!pack.read("flash1"));

        pack.unload();
        QCOMPARE(MappedFiles::endingWith("on1805.rcc"), QStringList());
        QVERIFY(!pack.read("gif0"));
        // The copy read before stays whole after the pack is gone.
        QVERIFY(picture->startsWith("GIF8"));
        QCOMPARE(picture->right(1), QByteArray(";"));
    }

    void packsKeepTheirNamesApart()
    {
        TestPacks packs;
        QVERIFY(packs.copyAll());
        ResourcePack noCode("on1805");
        ResourcePack learned("sn1805");
        ResourcePack noCodeAgain("on1805");
        QVERIFY(noCode.load() && learned.load() && noCodeAgain.load());
        QCOMPARE(noCode.read("gif69"), packs.builtEntry("on1805", "gif69"));
        QCOMPARE(learned.read("gif69"), packs.builtEntry("sn1805", "gif69"));
        QVERIFY(noCode.read("gif69") != learned.read("gif69"));
        noCode.unload();
        QCOMPARE(noCodeAgain.read("gif69"), packs.builtEntry("on1805", "gif69"));
    }

    void refusesWhatIsNoPack()
    {
        TestPacks packs;
        QVERIFY(TestFiles::write(QDir(packs.folder()).filePath("on1805.rcc"), "not a resource pack"));
        ResourcePack pack("on1805");
        QVERIFY(!pack.load());
        QVERIFY(!pack.isLoaded());
        ResourcePack missing("dn1805");
        QVERIFY(!missing.load());
    }

    void destructionUnloads()
    {
        TestPacks packs;
        QVERIFY(packs.copyAll());
        {
            ResourcePack pack("bn1805");
            QVERIFY(pack.load());
            QCOMPARE(MappedFiles::endingWith("bn1805.rcc").size(), 1);
        }
        QCOMPARE(MappedFiles::endingWith("bn1805.rcc"), QStringList());
    }
};

QTEST_MAIN(ResourcePackTest)
#include "ResourcePackTest.moc"
