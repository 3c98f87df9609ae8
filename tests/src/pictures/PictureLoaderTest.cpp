#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <unistd.h>

#include "AnimationFile.h"
#include "ArtNames.h"
#include "GifDecoder.h"
#include "JpegDecoder.h"
#include "MappedFiles.h"
#include "PanelLayout.h"
#include "PictureLoader.h"
#include "TestFiles.h"
#include "TestPacks.h"

// The picture loader against the built packs and against crafted ones.
class PictureLoaderTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> runtime;

    QString animationPath() const { return runtime->filePath("qlr-learn/" + AnimationFile::fileName()); }

    // A stale animation file from an earlier run.
    void plantStaleAnimation()
    {
        QVERIFY(QDir().mkpath(runtime->filePath("qlr-learn")));
        QVERIFY(TestFiles::write(animationPath(), "stale"));
    }

private slots:
    void init()
    {
        runtime = std::make_unique<QTemporaryDir>();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
    }

    void loadsEveryPictureFromTheBuiltPacks()
    {
        QString whyNot;
        const std::optional<Pictures> pictures = PictureLoader::load(&whyNot);
        QVERIFY2(pictures, qPrintable(whyNot));
        const QList<const QList<QPixmap> *> sets{&pictures->normalpics, &pictures->learnedpics, &pictures->selectedpics,
                                                 &pictures->downloadedpics};
        for (const QList<QPixmap> *set : sets) {
            QCOMPARE(set->size(), ArtNames::keySetSize);
            for (const QPixmap &picture : *set)
                QVERIFY(!picture.isNull());
            // Each key's entry is the size of its button.
            for (const KeyPlace &key : PanelLayout::keys())
                QCOMPARE(set->at(Pictures::indexOf(key.code)).size(), key.rect.size());
        }
        QCOMPARE(pictures->hintpicture.size(), QSize(409, 72));
        QCOMPARE(pictures->staticpicture.size(), QSize(409, 72));
        for (const QPixmap *picture :
             {&pictures->stopdeletepicture, &pictures->deletegreypicture, &pictures->deletepicture})
            QCOMPARE(picture->size(), QSize(152, 49));
        QCOMPARE(pictures->clearpicture.size(), QSize(150, 49));
        QCOMPARE(pictures->cleargreypicture.size(), QSize(150, 49));

        TestPacks packs;
        QCOMPARE(TestFiles::contents(animationPath()), packs.builtEntry(ArtNames::singlesPack, ArtNames::animation));
    }

    void eachPictureComesFromItsPack_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("index");  // in its set; -1 for a single picture
        QTest::addColumn<QString>("stem");
        QTest::addColumn<QString>("name");
        QTest::newRow("no code") << "normalpics" << 0 << "on1805"
                                 << "gif0";
        QTest::newRow("learned") << "learnedpics" << 69 << "sn1805"
                                 << "gif69";
        QTest::newRow("selected") << "selectedpics" << 100 << "fn1805"
                                  << "gif100";
        QTest::newRow("downloaded") << "downloadedpics" << 113 << "dn1805"
                                    << "gif113";
        QTest::newRow("hint, idle") << "hintpicture" << -1 << "bn1805"
                                    << "gifzelmar";
        QTest::newRow("hint, learning") << "staticpicture" << -1 << "bn1805"
                                        << "jpgjingtai";
        QTest::newRow("delete mode on") << "stopdeletepicture" << -1 << "bn1805"
                                        << "stopdelete";
        QTest::newRow("delete greyed") << "deletegreypicture" << -1 << "bn1805"
                                       << "deletehui";
        QTest::newRow("delete") << "deletepicture" << -1 << "bn1805"
                                << "delete";
        QTest::newRow("clear") << "clearpicture" << -1 << "bn1805"
                               << "clear";
        QTest::newRow("clear greyed") << "cleargreypicture" << -1 << "bn1805"
                                      << "clearhui";
    }

    void eachPictureComesFromItsPack()
    {
        QFETCH(QString, picture);
        QFETCH(int, index);
        QFETCH(QString, stem);
        QFETCH(QString, name);
        const std::optional<Pictures> loaded = PictureLoader::load();
        QVERIFY(loaded);
        const QMap<QString, const QList<QPixmap> *> sets{{"normalpics", &loaded->normalpics},
                                                         {"learnedpics", &loaded->learnedpics},
                                                         {"selectedpics", &loaded->selectedpics},
                                                         {"downloadedpics", &loaded->downloadedpics}};
        const QMap<QString, const QPixmap *> singles{{"hintpicture", &loaded->hintpicture},
                                                     {"staticpicture", &loaded->staticpicture},
                                                     {"stopdeletepicture", &loaded->stopdeletepicture},
                                                     {"deletegreypicture", &loaded->deletegreypicture},
                                                     {"deletepicture", &loaded->deletepicture},
                                                     {"clearpicture", &loaded->clearpicture},
                                                     {"cleargreypicture", &loaded->cleargreypicture}};
        const QPixmap &got = index >= 0 ? sets.value(picture)->at(index) : *singles.value(picture);
        const QByteArray data = TestPacks().builtEntry(stem, name);
        const QImage expected = index >= 0 ? GifDecoder::firstFrame(data) : JpegDecoder::decode(data);
        QVERIFY(!expected.isNull());
        QVERIFY(got.toImage() == QPixmap::fromImage(expected).toImage());
    }

    void packsAreUnloadedWhenTheLoaderReturns()
    {
        QVERIFY(PictureLoader::load());
        QCOMPARE(MappedFiles::endingWith(".rcc"), QStringList());
        TestPacks packs;
        QVERIFY(packs.copyAll());
        QVERIFY(packs.rebuild("dn1805", {{"gif7", std::nullopt}}));
        QVERIFY(!PictureLoader::load());
        QCOMPARE(MappedFiles::endingWith(".rcc"), QStringList());
        QVERIFY(!QFileInfo::exists(":/qlr-pack"));
    }

    void failsWhenAPackIsMissing_data()
    {
        QTest::addColumn<QString>("missing");
        for (const QString &stem : ArtNames::packs())
            QTest::newRow(qPrintable(stem)) << stem;
    }

    void failsWhenAPackIsMissing()
    {
        QFETCH(QString, missing);
        TestPacks packs;
        QVERIFY(packs.copyAll(missing));
        plantStaleAnimation();
        QString whyNot;
        QVERIFY(!PictureLoader::load(&whyNot));
        QVERIFY2(whyNot.contains(missing + ".rcc"), qPrintable(whyNot));
        // Nothing else is done: the animation file is left as it was.
        QCOMPARE(TestFiles::contents(animationPath()), QByteArray("stale"));
    }

    void failsOnAMissingOrDamagedPicture_data()
    {
        QTest::addColumn<QString>("stem");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("damage");
        QTest::newRow("gif100 missing from the chosen set") << "fn1805"
                                                            << "gif100"
                                                            << "missing";
        QTest::newRow("first no-code picture missing") << "on1805"
                                                       << "gif0"
                                                       << "missing";
        QTest::newRow("last downloaded picture missing") << "dn1805"
                                                         << "gif167"
                                                         << "missing";
        QTest::newRow("learned picture truncated") << "sn1805"
                                                   << "gif69"
                                                   << "truncated";
        QTest::newRow("no-code picture not a picture") << "on1805"
                                                       << "gif5"
                                                       << "garbage";
        QTest::newRow("key picture empty") << "dn1805"
                                           << "gif26"
                                           << "empty";
        QTest::newRow("hint picture missing") << "bn1805"
                                              << "gifzelmar"
                                              << "missing";
        QTest::newRow("greyed clear button missing") << "bn1805"
                                                     << "clearhui"
                                                     << "missing";
        QTest::newRow("delete button truncated") << "bn1805"
                                                 << "delete"
                                                 << "truncated";
        QTest::newRow("single picture in GIF instead of JPEG") << "bn1805"
                                                               << "jpgjingtai"
                                                               << "gif";
    }

    void failsOnAMissingOrDamagedPicture()
    {
        QFETCH(QString, stem);
        QFETCH(QString, name);
        QFETCH(QString, damage);
        TestPacks packs;
        QVERIFY(packs.copyAll());
        const QByteArray original = packs.builtEntry(stem, name);
        QVERIFY(!original.isEmpty());
        std::optional<QByteArray> replacement;
        if (damage == "truncated")
            replacement = original.left(original.size() / 2);
        else if (damage == "garbage")
            replacement = QByteArray("this is not a picture");
        else if (damage == "empty")
            replacement = QByteArray();
        else if (damage == "gif")
            replacement = packs.builtEntry("on1805", "gif0");
        QVERIFY(packs.rebuild(stem, {{name, replacement}}));

        QString whyNot;
        QVERIFY(!PictureLoader::load(&whyNot));
        QVERIFY2(whyNot.contains(stem + ".rcc") && whyNot.contains(name), qPrintable(whyNot));
    }

    void keyPictureFailureComesAfterTheAnimationIsWritten()
    {
        TestPacks packs;
        QVERIFY(packs.copyAll());
        QVERIFY(packs.rebuild("fn1805", {{"gif100", std::nullopt}}));
        plantStaleAnimation();
        QVERIFY(!PictureLoader::load());
        QCOMPARE(TestFiles::contents(animationPath()), packs.builtEntry(ArtNames::singlesPack, ArtNames::animation));
    }

    void animationFileIsReplacedOnEveryRun()
    {
        TestPacks packs;
        QVERIFY(packs.copyAll());
        const QByteArray animation = packs.builtEntry(ArtNames::singlesPack, ArtNames::animation);
        plantStaleAnimation();
        QVERIFY(PictureLoader::load());
        QCOMPARE(TestFiles::contents(animationPath()), animation);

        // A second name for the file: a rewrite in place would show through it.
        const QString otherName = runtime->filePath("second-name");
        QVERIFY(::link(QFile::encodeName(animationPath()), QFile::encodeName(otherName)) == 0);
        QVERIFY(TestFiles::write(animationPath(), "edited"));
        QVERIFY(PictureLoader::load());
        QCOMPARE(TestFiles::contents(animationPath()), animation);
        QCOMPARE(TestFiles::contents(otherName), QByteArray("edited"));
    }

    void plantedLinkIsNotFollowed()
    {
        TestPacks packs;
        QVERIFY(packs.copyAll());
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath("victim");
        QVERIFY(TestFiles::write(victim, "precious"));
        QVERIFY(QDir().mkpath(runtime->filePath("qlr-learn")));
        QVERIFY(QFile::link(victim, animationPath()));

        QVERIFY(PictureLoader::load());
        QCOMPARE(TestFiles::contents(victim), QByteArray("precious"));
        QVERIFY(!QFileInfo(animationPath()).isSymLink());
        QCOMPARE(TestFiles::contents(animationPath()), packs.builtEntry(ArtNames::singlesPack, ArtNames::animation));
    }

    void missingAnimationLeavesNoFileButLoads()
    {
        TestPacks packs;
        QVERIFY(packs.copyAll());
        QVERIFY(packs.rebuild(ArtNames::singlesPack, {{ArtNames::animation, std::nullopt}}));
        plantStaleAnimation();
        QVERIFY(PictureLoader::load());
        QVERIFY(!QFileInfo::exists(animationPath()));
    }

    void keyCodeIndexesTheSets_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("index");
        QTest::newRow("first key") << "00" << 0;
        QTest::newRow("right arrow") << "45" << 69;
        QTest::newRow("last key") << "71" << 113;
        QTest::newRow("hex letter") << "1A" << 26;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("no number") << "xy" << -1;
        QTest::newRow("negative") << "-1" << -1;
    }

    void keyCodeIndexesTheSets()
    {
        QFETCH(QString, code);
        QFETCH(int, index);
        QCOMPARE(Pictures::indexOf(code), index);
    }
};

QTEST_MAIN(PictureLoaderTest)
#include "PictureLoaderTest.moc"
