#include <QLabel>
#include <QScrollBar>
#include <QtTest>

#include "FormPictures.h"
#include "HintAnimationPlayer.h"
#include "IBtn.h"
#include "PanelLayout.h"
#include "RemotePanel.h"
#include "ScriptedBoxes.h"
#include "WindowRig.h"

// The shown main window: its controls, device modes, key pictures, delete
// buttons, cursors and key clicks.
class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowRig> rig;
    std::unique_ptr<ScriptedBoxes> boxes;

    // The mode-button and device-key names of each mode.
    static QString modeButton(int mode) { return PanelLayout::modeButtons().at(mode).button; }
    static QString deviceKey(int mode) { return PanelLayout::deviceKey(mode)->button; }

    WindowRig::Window &shown()
    {
        WindowRig::Window &window = rig->window();
        window.show();
        return window;
    }

    void click(const QString &name) { rig->click(name); }

    QImage keyPicture(const QString &code) const { return rig->window().ykqbox->key(code)->picture().toImage(); }

    char kindIn(int mode, const QString &code) const
    {
        return rig->window().tables.keystates[std::size_t(rig->entry(mode, code))][3];
    }

    QImage pictureOf(char kind, const QString &code) const
    {
        const Pictures &pictures = rig->window().pictures;
        const QList<QPixmap> &set = kind == '2'   ? pictures.learnedpics
                                    : kind == '1' ? pictures.downloadedpics
                                                  : pictures.normalpics;
        return set[code.toInt(nullptr, 16)].toImage();
    }

private slots:
    void init()
    {
        boxes = std::make_unique<ScriptedBoxes>();
        rig = std::make_unique<WindowRig>();
        rig->create();
    }

    void cleanup()
    {
        VERIFY_BOXES(*boxes);
        rig.reset();
        boxes.reset();
    }

    void controlsSitWhereTheFormPutsThem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::newRow("background") << "Image1" << QRect(0, 0, 1016, 729);
        QTest::newRow("remote panel") << "ykqbox" << QRect(14, 2, 228, 745);
        QTest::newRow("learn") << "beginstudyibtn" << QRect(400, 617, 161, 58);
        QTest::newRow("delete one") << "delstudykey" << QRect(596, 618, 152, 49);
        QTest::newRow("delete all") << "delallstudykey" << QRect(779, 618, 150, 49);
        QTest::newRow("close") << "IBtn79" << QRect(969, 8, 38, 27);
        QTest::newRow("status") << "runstate_lab" << QRect(440, 283, 409, 99);
        QTest::newRow("hint picture") << "Imagehint" << QRect(439, 319, 409, 72);
        QTest::newRow("animation") << "donghuaflash2" << QRect(437, 316, 413, 72);
        for (const char *panel : {"Image4", "Image5", "Image7", "Image8"})
            QTest::newRow(panel) << panel << QRect(440, 391, 409, 166);
        QTest::newRow("TV") << "TV_IBTN" << QRect(447, 210, 77, 20);
        QTest::newRow("CBL") << "CBL_IBTN" << QRect(556, 210, 77, 20);
        QTest::newRow("DVD") << "DVD_IBTN" << QRect(661, 210, 79, 20);
        QTest::newRow("VCR") << "VCR_IBTN" << QRect(760, 210, 78, 20);
        QTest::newRow("AMP") << "AMP_INTN" << QRect(445, 242, 78, 20);
        QTest::newRow("SAT") << "SAT_IBTN" << QRect(558, 242, 77, 20);
        QTest::newRow("CD") << "CD_IBTN" << QRect(663, 242, 77, 20);
        QTest::newRow("AUX") << "AUX_IBTN" << QRect(761, 242, 78, 21);
        QTest::newRow("remote type") << "lab_ykqtype" << QRect(813, 68, -1, -1);
        QTest::newRow("software") << "lab_softver" << QRect(812, 104, -1, -1);
        QTest::newRow("firmware") << "lab_gjbb" << QRect(812, 136, -1, -1);
    }

    void controlsSitWhereTheFormPutsThem()
    {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        WindowRig::Window &window = shown();
        QCOMPARE(window.size(), QSize(1016, 746));
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window.palette().color(QPalette::Window), QColor(53, 124, 168));
        auto *control = window.findChild<QWidget *>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget(), &window);
        if (place.width() < 0)
            QCOMPARE(control->pos(), place.topLeft());
        else
            QCOMPARE(control->geometry(), place);
        // Nothing lies under the background.
        QVERIFY(window.children().indexOf(control) >= window.children().indexOf(window.Image1));
    }

    void remotePanelHoldsTheFaceAndTheKeys()
    {
        WindowRig::Window &window = shown();
        RemotePanel *panel = window.ykqbox;
        QCOMPARE(panel->frameShape(), QFrame::NoFrame);
        QVERIFY(!panel->horizontalScrollBar()->isVisible());
        QVERIFY(!panel->verticalScrollBar()->isVisible());
        QCOMPARE(panel->viewport()->size(), QSize(228, 745));
        auto *face = panel->widget()->findChild<QLabel *>(QStringLiteral("z"));
        QVERIFY(face);
        QCOMPARE(face->geometry(), QRect(0, 0, 228, 745));
        QVERIFY(face->hasScaledContents());
        QCOMPARE(face->pixmap().size(), PanelLayout::faceSize);

        QCOMPARE(panel->findChildren<IBtn *>().size(), 56);
        for (const KeyPlace &place : PanelLayout::keys()) {
            IBtn *key = panel->findChild<IBtn *>(place.button);
            QVERIFY2(key, qPrintable(place.button));
            QCOMPARE(key->parentWidget(), panel->widget());
            QCOMPARE(key->geometry(), place.rect);
            QCOMPARE(key->code(), place.code);
            QCOMPARE(RemotePanel::displayName(key), place.path);
            // A press must not ask the desktop to open a document named like the key.
            QVERIFY(key->path().isEmpty());
            QCOMPARE(key->moveDown(), quint8(1));
            QCOMPARE(key->moveRight(), quint8(1));
            QVERIFY(!key->picture().isNull());
        }
        QCOMPARE(rig->button("IBtn79")->toolTip(), QStringLiteral("关闭软件"));
    }

    void keysOfTheTable_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QRect>("place");
        QTest::newRow("TV device key") << "IBtn1"
                                       << "00"
                                       << "POWER/TV" << QRect(31, 64, 37, 18);
        QTest::newRow("AMP device key, no name") << "IBtn30"
                                                 << "04"
                                                 << "" << QRect(120, 94, 35, 20);
        QTest::newRow("POWER") << "IBtn31"
                               << "10"
                               << "POWER" << QRect(92, 47, 53, 24);
        QTest::newRow("VOL+") << "IBtn22"
                              << "26"
                              << "VOL+" << QRect(41, 285, 41, 41);
        QTest::newRow("rewind, named BACK") << "IBtn53"
                                            << "57"
                                            << "BACK" << QRect(75, 565, 41, 22);
        QTest::newRow("last key") << "IBtn9"
                                  << "71"
                                  << "T" << QRect(163, 633, 35, 19);
    }

    void keysOfTheTable()
    {
        QFETCH(QString, button);
        QFETCH(QString, code);
        QFETCH(QString, path);
        QFETCH(QRect, place);
        IBtn *key = rig->window().ykqbox->key(code);
        QVERIFY(key);
        QCOMPARE(key->objectName(), button);
        QCOMPARE(RemotePanel::displayName(key), path);
        QCOMPARE(key->geometry(), place);
    }

    void eachButtonSelectsItsModeWithItsText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        const QStringList keyTexts{"You select TV device",          "You select CBL device！",
                                   "You select SATILLATE device！", "You select dvd device！",
                                   "You select vcr device！",       "You select CD device！",
                                   "You select AMP device！",       "You select AUX device！"};
        const QStringList buttonTexts{"You select TV device！",       "You select CBL device！",
                                      "You select SATILLATE device!", "You select DVD device！",
                                      "You select VCR device！",      "Your select CD device！",
                                      "You select AMP device！",      "You select AUX device！"};
        for (int mode = 0; mode < 8; ++mode) {
            QTest::newRow(qPrintable(deviceKey(mode))) << deviceKey(mode) << mode << keyTexts[mode];
            QTest::newRow(qPrintable(modeButton(mode))) << modeButton(mode) << mode << buttonTexts[mode];
        }
    }

    void eachButtonSelectsItsModeWithItsText()
    {
        QFETCH(QString, name);
        QFETCH(int, mode);
        QFETCH(QString, text);
        QHash<QString, QImage> normal;
        for (int m = 0; m < 8; ++m) {
            for (const QString &button : {modeButton(m), deviceKey(m)})
                normal[button] = rig->button(button)->picture().toImage();
        }
        WindowRig::Window &window = shown();
        // Away from the mode first, through the other button of another mode.
        const int before = (mode + 3) % 8;
        click(name == deviceKey(mode) ? modeButton(before) : deviceKey(before));
        QCOMPARE(window.devicemode, before);

        click(name);
        QCOMPARE(window.devicemode, mode);
        QCOMPARE(window.runstate_lab->text(), text);
        for (int m = 0; m < 8; ++m) {
            for (const QString &button : {modeButton(m), deviceKey(m)}) {
                IBtn *pairButton = rig->button(button);
                QCOMPARE(pairButton->isEnable(), m != mode);
                const QImage expected = m == mode ? pairButton->disablePic().toImage() : normal[button];
                QVERIFY2(pairButton->picture().toImage() == expected, qPrintable(button));
            }
        }
    }

    void theCurrentModeChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("device key") << "IBtn1";
        QTest::newRow("mode button") << "TV_IBTN";
    }

    void theCurrentModeChangesNothing()
    {
        QFETCH(QString, name);
        const QImage tvKey = rig->button("IBtn1")->picture().toImage();
        WindowRig::Window &window = shown();
        const QString waiting = QStringLiteral("press a button to be learnt on original RC");
        window.runstate_lab->setText(waiting);
        const QImage one = keyPicture("12");
        QVERIFY(rig->setKind(0, "12", '2'));

        click(name);
        QCOMPARE(window.runstate_lab->text(), waiting);
        QVERIFY(keyPicture("12") == one);
        QVERIFY(!rig->button("TV_IBTN")->isEnable());
        // Leaving the mode brings back both normal looks: none was overwritten.
        click("CBL_IBTN");
        QVERIFY(rig->button("IBtn1")->isEnable());
        QVERIFY(rig->button("IBtn1")->picture().toImage() == tvKey);
        QVERIFY(rig->button("TV_IBTN")->picture().toImage() == FormPictures::modeButton(0, false).toImage());
    }

    void keyPicturesFollowTheModesEntries()
    {
        WindowRig::Window &window = rig->window();
        const QImage storedT = keyPicture("71");
        // Code 71 gets no entry in any mode.
        for (int mode = 0; mode < 8; ++mode)
            window.tables.keystates[std::size_t(rig->entry(mode, "71"))] = "";
        const int dvd = 3;
        QVERIFY(rig->setKind(dvd, "12", '2'));
        QVERIFY(rig->setKind(dvd, "13", '1'));
        QVERIFY(rig->setKind(dvd, "14", '0'));
        QVERIFY(rig->setKind(dvd, "17", '9'));
        // Code 15 twice, the later entry learned: it wins. Code 16 loses its entry.
        QVERIFY(rig->setKind(dvd, "15", '1'));
        QVERIFY(rig->entry(dvd, "15") < rig->entry(dvd, "16"));
        window.tables.keystates[std::size_t(rig->entry(dvd, "16"))] = "15|2|0";
        shown();
        const QImage five = keyPicture("16");
        const QImage six = keyPicture("17");

        click("DVD_IBTN");
        const Pictures &pictures = window.pictures;
        QVERIFY(keyPicture("12") == pictures.learnedpics[0x12].toImage());
        QVERIFY(keyPicture("13") == pictures.downloadedpics[0x13].toImage());
        QVERIFY(keyPicture("14") == pictures.normalpics[0x14].toImage());
        QVERIFY(keyPicture("15") == pictures.learnedpics[0x15].toImage());
        QVERIFY(keyPicture("16") == five);
        QVERIFY(keyPicture("17") == six);
        QVERIFY(keyPicture("71") == storedT);
        QVERIFY(pictures.learnedpics[0x12].toImage() != pictures.normalpics[0x12].toImage());

        // Back in TV every key shows TV's entries again.
        click("IBtn1");
        for (const char *code : {"12", "13", "14", "15"}) {
            QVERIFY2(keyPicture(code) == pictureOf(kindIn(0, code), code), qPrintable(code));
        }
        QVERIFY(keyPicture("71") == storedT);
    }

    void deleteButtonsFollowLearnedKeys()
    {
        WindowRig::Window &window = rig->window();
        QVERIFY(rig->setKind(2, "44", '2'));
        window.deletemode = true;
        shown();
        // TV has no learned key.
        QVERIFY(!window.deletemode);
        QVERIFY(window.Image8->isVisibleTo(&window));
        QVERIFY(!window.Image4->isVisibleTo(&window));
        const auto expectUsable = [&](bool usable) {
            const Pictures &pictures = window.pictures;
            QCOMPARE(window.delstudykey->isEnabled(), usable);
            QCOMPARE(window.delallstudykey->isEnabled(), usable);
            QVERIFY(window.delstudykey->picture().toImage()
                    == (usable ? pictures.deletepicture : pictures.deletegreypicture).toImage());
            QVERIFY(window.delallstudykey->picture().toImage()
                    == (usable ? pictures.clearpicture : pictures.cleargreypicture).toImage());
        };
        expectUsable(false);

        window.deletemode = true;
        click("SAT_IBTN");
        expectUsable(true);
        QVERIFY(window.deletemode);
        click("IBtn8");  // CD
        expectUsable(false);
        QVERIFY(window.deletemode);
        // The hint panels are not the mode selector's business.
        QVERIFY(window.Image8->isVisibleTo(&window));
    }

    void deleteButtonsStayOffWhileTheRemoteIsAway()
    {
        WindowRig::Window &window = rig->window();
        QVERIFY(rig->setKind(2, "44", '2'));
        shown();
        window.ykqbox->hide();
        click("SAT_IBTN");
        QCOMPARE(window.devicemode, 2);
        QVERIFY(!window.delstudykey->isEnabled());
        QVERIFY(!window.delallstudykey->isEnabled());
    }

    void aModeWithLearnedKeysOpensWithTheDeleteButtons()
    {
        WindowRig::Window &window = rig->window();
        QVERIFY(rig->setKind(0, "10", '2'));
        shown();
        QVERIFY(window.delstudykey->isEnabled());
        QVERIFY(window.delallstudykey->isEnabled());
        QVERIFY(window.Image4->isVisibleTo(&window));
        QVERIFY(!window.Image8->isVisibleTo(&window));
    }

    void handCursorAfterTheFirstMove_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hand");
        for (const char *name : {"TV_IBTN", "CBL_IBTN", "DVD_IBTN", "IBtn79", "beginstudyibtn"})
            QTest::newRow(name) << name << true;
        for (const char *name : {"VCR_IBTN", "AMP_INTN", "SAT_IBTN", "CD_IBTN", "AUX_IBTN", "IBtn1", "IBtn33"})
            QTest::newRow(name) << name << false;
    }

    void handCursorAfterTheFirstMove()
    {
        QFETCH(QString, name);
        QFETCH(bool, hand);
        shown();
        IBtn *button = rig->button(name);
        QCOMPARE(button->cursor().shape(), Qt::ArrowCursor);
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), button->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button, &move);
        QCOMPARE(button->cursor().shape(), hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }

    void deleteButtonsGetTheHandToo()
    {
        WindowRig::Window &window = rig->window();
        QVERIFY(rig->setKind(0, "10", '2'));
        shown();
        for (IBtn *button : {window.delstudykey, window.delallstudykey}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(4, 4), button->mapToGlobal(QPointF(4, 4)), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(button, &move);
            QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        }
    }

    void everyLearnableKeyClickReachesKeyclick_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("studymode");
        QTest::addColumn<bool>("deletemode");
        QTest::newRow("TV, idle") << 0 << false << false;
        QTest::newRow("CD, learning") << 5 << true << false;
        QTest::newRow("AUX, deleting") << 7 << false << true;
    }

    void everyLearnableKeyClickReachesKeyclick()
    {
        QFETCH(int, mode);
        QFETCH(bool, studymode);
        QFETCH(bool, deletemode);
        WindowRig::Window &window = shown();
        click(modeButton(mode));
        window.studymode = studymode;
        window.deletemode = deletemode;
        QList<IBtn *> expected;
        for (const KeyPlace &place : PanelLayout::keys()) {
            click(place.button);
            if (place.deviceMode < 0)
                expected.append(window.ykqbox->key(place.code));
        }
        QCOMPARE(expected.size(), 48);
        QCOMPARE(window.clicked, expected);
    }

    // A right press: it opens the path but is no click.
    void aButtonsFailedFolderChangeIsShownAsANotice()
    {
        IBtn *button = shown().beginstudyibtn;
        const QString before = QDir::currentPath();
        button->setPath("prog.exe");
        boxes->then(MessageBoxes::Button::Ok);
        QTest::mousePress(button, Qt::RightButton, {}, QPoint(40, 12));
        QTest::mouseRelease(button, Qt::RightButton, {}, QPoint(39, 11));
        QCOMPARE(boxes->texts(), QStringList{"I/O error 2"});
        QCOMPARE(boxes->shown().first().caption, QStringLiteral("Information"));
        QCOMPARE(QDir::currentPath(), before);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
