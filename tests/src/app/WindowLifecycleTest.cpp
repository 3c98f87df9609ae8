#include <QLabel>
#include <QtTest>

#include "AnimationFile.h"
#include "ArtNames.h"
#include "DisplayMode.h"
#include "FakeDisplayMode.h"
#include "HintAnimationPlayer.h"
#include "IBtn.h"
#include "RemotePanel.h"
#include "ResourcePack.h"
#include "ScriptedBoxes.h"
#include "WindowRig.h"

using Button = MessageBoxes::Button;

// Showing and closing the main window.
class WindowLifecycleTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedBoxes> boxes;
    std::unique_ptr<WindowRig> rig;

    static QString learningNotice()
    {
        return QStringLiteral(
            "It is learning now! Please stop learning first if you want to quit operational system！");
    }

    static bool animationFileExists() { return QFileInfo::exists(AnimationFile::path()); }

private slots:
    void init()
    {
        boxes = std::make_unique<ScriptedBoxes>();
        rig = std::make_unique<WindowRig>();
    }

    void cleanup()
    {
        VERIFY_BOXES(*boxes);
        rig.reset();
        boxes.reset();
        ResourcePack::setSearchPathForTesting(std::nullopt);
    }

    void showSelectsTvAndSetsUpTheWindow()
    {
        WindowRig::Window &window = rig->create();
        window.show();
        QVERIFY(boxes->shown().isEmpty());
        QVERIFY(window.isVisible());
        QCOMPARE(window.devicemode, 0);
        QCOMPARE(window.runstate_lab->text(), QStringLiteral("You select tv device"));
        QCOMPARE(window.lab_softver->text(), QStringLiteral("V 2.2"));
        QVERIFY(window.lab_softver->width() >= window.lab_softver->sizeHint().width());
        QVERIFY(!rig->button("TV_IBTN")->isEnable());
        QVERIFY(!rig->button("IBtn1")->isEnable());
        for (const char *normal : {"VCR_IBTN", "CBL_IBTN", "IBtn3", "IBtn32"})
            QVERIFY2(rig->button(normal)->isEnable(), normal);
        QVERIFY(!window.Image5->isVisibleTo(&window));
        QVERIFY(!window.Image7->isVisibleTo(&window));
        QVERIFY(!window.donghuaflash2->isVisibleTo(&window));
        QCOMPARE(window.pictures.normalpics.size(), ArtNames::keySetSize);
        QVERIFY(window.Imagehint->pixmap().toImage() == window.pictures.hintpicture.toImage());
        QCOMPARE(window.donghuaflash2->movie(), AnimationFile::path());
        QVERIFY(animationFileExists());
        // The factory's downloaded TV power key.
        QVERIFY(rig->button("IBtn31")->picture().toImage() == window.pictures.downloadedpics[0x10].toImage());
    }

    void theLinkMonitorRunsWhileTheWindowIsOpen()
    {
        WindowRig::Window &window = rig->create();
        QVERIFY(rig->setKind(2, "44", '2'));
        QVERIFY(!window.linkthread);
        window.show();
        QVERIFY(window.linkthread);
        QVERIFY(window.linkthread->isRunning());

        // Unplugged: the panel goes, the mode buttons still select, and the
        // delete buttons stay off even in a mode with learned keys.
        bool panelGone = false;
        bool deleteOff = false;
        boxes->then(Button::Retry, [&] {
            panelGone = window.ykqbox->isHidden() && !window.beginstudyibtn->isEnabled();
            rig->click("SAT_IBTN");
            deleteOff =
                window.devicemode == 2 && !window.delstudykey->isEnabled() && !window.delallstudykey->isEnabled();
            rig->remote().attach();
        });
        rig->remote().detach();
        QTRY_VERIFY(boxes->shown().size() == 1);
        QVERIFY(panelGone);
        QVERIFY(deleteOff);
        QTRY_VERIFY(!window.ykqbox->isHidden());
        QVERIFY(window.delstudykey->isEnabled());

        QPointer<QThread> monitor = window.linkthread;
        QVERIFY(window.close());
        QTRY_VERIFY(!monitor);
    }

    void refusedStartClosesOnShow()
    {
        rig->remote().detach();
        boxes->then(Button::Cancel);
        WindowRig::Window &window = rig->create();
        QVERIFY(window.startfailed);
        window.show();
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(window.pictures.normalpics.isEmpty());
        QVERIFY(window.runstate_lab->text().isEmpty());
    }

    void aMissingPackEndsTheShow_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::newRow("learned pictures") << "sn1805";
        QTest::newRow("single pictures") << "bn1805";
    }

    void aMissingPackEndsTheShow()
    {
        QFETCH(QString, missing);
        QTemporaryDir packs;
        for (const QString &stem : ArtNames::packs()) {
            const QString file = stem + QStringLiteral(".rcc");
            if (stem != missing)
                QVERIFY(QFile::copy(ResourcePack::find(file), packs.filePath(file)));
        }
        ResourcePack::setSearchPathForTesting(QStringList{packs.path()});
        boxes->then(Button::Ok);
        WindowRig::Window &window = rig->create();
        QVERIFY(!window.startfailed);
        window.show();
        QCOMPARE(boxes->texts(), QStringList{"load picture failly"});
        QCOMPARE(boxes->shown().first().caption, QStringLiteral("Information"));
        QVERIFY(window.startfailed);
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(window.runstate_lab->text().isEmpty());
    }

    void aSmallScreenIsReported_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("userChangesIt");
        const QString advice = QStringLiteral("\r\nTo run this software, please change it to  1024*768");
        const QString rate = QStringLiteral("Current differentiate rate of your display is");
        QTest::newRow("800 x 600") << QSize(800, 600) << rate + "800*600" + advice << false;
        QTest::newRow("1023 x 768") << QSize(1023, 768) << rate + "1023*768" + advice << false;
        QTest::newRow("changed meanwhile") << QSize(640, 480) << rate + "640*480" + advice << true;
        QTest::newRow("1024 x 768") << QSize(1024, 768) << QString() << false;
        QTest::newRow("wide but low") << QSize(1280, 600) << QString() << false;
    }

    void aSmallScreenIsReported()
    {
        QFETCH(QSize, screen);
        QFETCH(QString, text);
        QFETCH(bool, userChangesIt);
        WindowRig::Window &window = rig->create(screen);
        if (!text.isEmpty()) {
            boxes->then(Button::Ok, [&] {
                if (userChangesIt)
                    rig->display().size = QSize(1024, 768);
            });
        }
        window.show();
        QCOMPARE(boxes->texts(), text.isEmpty() ? QStringList() : QStringList{text});
        const bool asked = !text.isEmpty() && !userChangesIt;
        const QList<QSize> expected = asked ? QList{QSize(1024, 768)} : QList<QSize>();
        QCOMPARE(rig->display().requests, expected);
        // The window opens all the same.
        QVERIFY(window.isVisible());
        QCOMPARE(window.runstate_lab->text(), QStringLiteral("You select tv device"));
    }

    void noDisplayModeChangeWhereNoneCanBeAsked()
    {
        // The test platform has no display settings at all.
        DisplayMode display;
        QVERIFY(!display.request(QSize(1024, 768)));
    }

    void closingWhileLearning_data()
    {
        QTest::addColumn<bool>("learning");
        QTest::addColumn<bool>("attached");
        QTest::addColumn<bool>("closeButton");
        QTest::addColumn<bool>("refused");
        QTest::newRow("learning, attached") << true << true << false << true;
        QTest::newRow("learning, attached, close button") << true << true << true << true;
        QTest::newRow("learning, unplugged") << true << false << false << false;
        QTest::newRow("idle, attached, close button") << false << true << true << false;
    }

    void closingWhileLearning()
    {
        QFETCH(bool, learning);
        QFETCH(bool, attached);
        QFETCH(bool, closeButton);
        QFETCH(bool, refused);
        WindowRig::Window &window = rig->create();
        window.show();
        window.studymode = learning;
        if (!attached)
            rig->remote().detach();
        if (refused)
            boxes->then(Button::Ok);
        if (closeButton)
            rig->click("IBtn79");
        else
            window.close();
        QCOMPARE(boxes->texts(), refused ? QStringList{learningNotice()} : QStringList());
        QCOMPARE(window.isVisible(), refused);
        QCOMPARE(window.closing, !refused);
        // Released at close, kept while the window stays.
        QCOMPARE(window.pictures.normalpics.isEmpty(), !refused);
        QCOMPARE(animationFileExists(), refused);
    }
};

QTEST_MAIN(WindowLifecycleTest)
#include "WindowLifecycleTest.moc"
