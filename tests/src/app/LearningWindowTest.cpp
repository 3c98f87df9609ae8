#include <QLabel>
#include <QtTest>

#include "HintAnimationPlayer.h"
#include "IBtn.h"
#include "InfraredSignal.h"
#include "LearningRig.h"
#include "MemoryCheck.h"
#include "RemotePanel.h"
#include "TestTime.h"

using Button = MessageBoxes::Button;

namespace
{
const QString failly = QStringLiteral("RC code is learned failly!");
const QString received = QStringLiteral("RC code is received!");

// A pulse-distance frame: lead-in, `bits` least significant first, closing mark.
InfraredSignal pulseDistance(double leadMark, double leadSpace, double mark, double zero, double one,
                             std::uint32_t bits, int count)
{
    InfraredSignal signal;
    signal.durations = {leadMark, leadSpace};
    for (int i = 0; i < count; ++i)
        signal.durations.insert(signal.durations.end(), {mark, (bits >> i & 1) != 0 ? one : zero});
    signal.durations.push_back(mark);
    return signal;
}

// An NEC frame, a protocol the remote knows.
InfraredSignal knownSignal()
{
    return pulseDistance(9000, 4500, 560, 560, 1690, 0xF708FB04, 32);
}

// A remote of no known protocol: stored as a learned format.
InfraredSignal learnedSignal()
{
    return pulseDistance(3400, 1700, 420, 420, 1280, 0x2A5C3, 20);
}
}  // namespace

Q_DECLARE_METATYPE(InfraredSignal)

// Learning keys through the main window: the start/stop button, the key-click
// table, captures against the virtual remote and what their outcome shows.
class LearningWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LearningRig> rig;

    WindowRig::Window &window() { return rig->window(); }
    ScriptedBoxes &boxes() { return rig->boxes(); }

    // The picture of what the key holds in the current mode.
    QImage byKind(const QString &code)
    {
        const Pictures &pictures = window().pictures;
        const char kind = window().tables.keystates[std::size_t(rig->rig().entry(0, code))][3];
        return LearningRig::entryOf(kind == '2'   ? pictures.learnedpics
                                    : kind == '1' ? pictures.downloadedpics
                                                  : pictures.normalpics,
                                    code);
    }

    void startLearning()
    {
        rig->click("beginstudyibtn");
        QVERIFY(window().studymode);
    }
    // Starts learning `code` and waits until the remote listens.
    void learnUntilArmed(const QString &code)
    {
        rig->clickKey(code);
        QVERIFY(window().collectthread);
        QTRY_VERIFY_WITH_TIMEOUT(rig->remote().captureArmed(), TestTime::scaled(3000));
    }

private slots:
    void init() { rig = std::make_unique<LearningRig>(); }

    void cleanup()
    {
        VERIFY_BOXES(boxes());
        rig.reset();
    }

    void startAndStopSwitchTheWindow()
    {
        startLearning();
        QVERIFY(!window().beginstudyibtn->isEnable());
        QCOMPARE(window().runstate_lab->text(), QStringLiteral("click one button needs to learn left."));
        QVERIFY(window().Imagehint->pixmap().toImage() == window().pictures.staticpicture.toImage());
        QVERIFY(window().Image5->isVisibleTo(&window()));
        for (QLabel *other : {window().Image4, window().Image7, window().Image8})
            QVERIFY(!other->isVisibleTo(&window()));

        rig->click("beginstudyibtn");
        QVERIFY(!window().studymode);
        QVERIFY(window().beginstudyibtn->isEnable());
        QVERIFY(window().runstate_lab->text().isEmpty());
        QVERIFY(window().Imagehint->pixmap().toImage() == window().pictures.hintpicture.toImage());
        QVERIFY(window().Image8->isVisibleTo(&window()));
        QVERIFY(!window().Image5->isVisibleTo(&window()));
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("deleting");
        QTest::addColumn<bool>("learning");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("notice");
        QTest::newRow("start while deleting")
            << true << false << "beginstudyibtn"
            << "It is deleting now! Please stop deleting first if you want to stop to learn！";
        QTest::newRow("key outside learning") << false << false << "IBtn5"
                                              << "Please click on Start to learn first!";
        QTest::newRow("delete toggle while learning")
            << false << true << "delstudykey"
            << "It is learning now! Please click on Stop learning for other operations!";
        QTest::newRow("clear while learning")
            << false << true << "delallstudykey"
            << "It is learning now! Please click on Stop Learning for other operations!";
    }

    void refusals()
    {
        QFETCH(bool, deleting);
        QFETCH(bool, learning);
        QFETCH(QString, clicked);
        QFETCH(QString, notice);
        window().deletemode = deleting;
        window().studymode = learning;
        // The delete buttons are usable only with a learned key in the mode.
        window().delstudykey->setEnabled(true);
        window().delallstudykey->setEnabled(true);
        boxes().then(Button::Ok);
        rig->click(clicked);
        QCOMPARE(boxes().texts(), QStringList{notice});
        QCOMPARE(window().studymode, learning);
        QCOMPARE(window().deletemode, deleting);
        QVERIFY(window().pendingkeys.isEmpty());
        QVERIFY(!window().collectthread);
    }

    void learnAKeyEndToEnd_data()
    {
        QTest::addColumn<InfraredSignal>("signal");
        QTest::addColumn<int>("flag");  // third byte of the record
        QTest::newRow("known format") << knownSignal() << 0x00;
        QTest::newRow("learned format") << learnedSignal() << 0x80;
    }

    void learnAKeyEndToEnd()
    {
        QFETCH(InfraredSignal, signal);
        QFETCH(int, flag);
        startLearning();
        learnUntilArmed("12");
        QVERIFY(rig->keyPicture("12") == LearningRig::entryOf(window().pictures.selectedpics, "12"));
        QCOMPARE(window().runstate_lab->text(), QStringLiteral("press a button to be learnt on original RC"));
        QVERIFY(window().donghuaflash2->isVisibleTo(&window()));
        QVERIFY(window().donghuaflash2->isPlaying());
        QVERIFY(!window().Imagehint->isVisibleTo(&window()));

        QString statusWhileConverting;
        boxes().then(Button::Ok, [&] { statusWhileConverting = window().runstate_lab->text(); });
        QVERIFY(rig->remote().press(signal));
        QVERIFY(rig->captureEnded());
        QCOMPARE(boxes().texts(), QStringList{received});
        QVERIFY(window().pendingkeys.isEmpty());
        QVERIFY(window().studymode);
        QCOMPARE(statusWhileConverting, QStringLiteral("1is learning now！"));
        QCOMPARE(window().runstate_lab->text(), QStringLiteral("RC code has been stored in Button1"));
        QVERIFY(rig->keyPicture("12") == LearningRig::entryOf(window().pictures.learnedpics, "12"));
        QVERIFY(!window().donghuaflash2->isVisibleTo(&window()));
        QVERIFY(window().Imagehint->isVisibleTo(&window()));
        QVERIFY(window().Imagehint->pixmap().toImage() == window().pictures.hintpicture.toImage());
        QVERIFY(window().delstudykey->isEnabled());
        QVERIFY(window().delallstudykey->isEnabled());

        const int index = rig->rig().entry(0, "12");
        QCOMPARE(window().tables.keystates[std::size_t(index)].substr(0, 4), std::string("12|2"));
        const std::vector<std::uint8_t> head = rig->record(index, 3);
        QCOMPARE(head, (std::vector<std::uint8_t>{0xC0, 0x00, std::uint8_t(flag)}));
        const MemoryCheck::Report report = MemoryCheck::check(rig->remote().dump(0, VirtualRemote::memorySize));
        QVERIFY2(report.consistent(), report.corruption.empty() ? "" : report.corruption.front().c_str());
    }

    void failedCaptures_data()
    {
        QTest::addColumn<int>("failingWrites");
        QTest::addColumn<bool>("timeout");
        QTest::addColumn<InfraredSignal>("signal");
        QTest::addColumn<QStringList>("notices");
        QTest::newRow("time limit") << 0 << true << InfraredSignal() << QStringList{failly};
        // The converter's empty answer, then the capture-failed steps.
        QTest::newRow("not convertible") << 0 << false << InfraredSignal{38000, {600, 600, 600}}
                                         << QStringList{failly, failly};
        QTest::newRow("old code not dropped")
            << 1 << false << knownSignal() << QStringList{QStringLiteral("RC code is deleted failly!"), received};
        QTest::newRow("record not written")
            << 2 << false << knownSignal() << QStringList{QStringLiteral("RC code is deleted failly!"), failly};
    }

    void failedCaptures()
    {
        QFETCH(int, failingWrites);
        QFETCH(bool, timeout);
        QFETCH(InfraredSignal, signal);
        QFETCH(QStringList, notices);
        const char kindBefore = window().tables.keystates[std::size_t(rig->rig().entry(0, "12"))][3];
        startLearning();
        learnUntilArmed("12");
        // The key turns red with "RC code is received!", not before.
        QList<bool> redAtNotice;
        QList<bool> redAtReceived;
        const QImage red = LearningRig::entryOf(window().pictures.learnedpics, "12");
        for (const QString &notice : notices) {
            redAtReceived.append(notice == received);
            boxes().then(Button::Ok, [&] { redAtNotice.append(rig->keyPicture("12") == red); });
        }
        if (failingWrites > 0)
            rig->remote().injectFault(VirtualRemote::Operation::WriteData, failingWrites);
        if (timeout)
            rig->expireCapture();
        else
            QVERIFY(rig->remote().press(signal));
        QVERIFY(rig->captureEnded());
        QCOMPARE(boxes().texts(), notices);
        QCOMPARE(redAtNotice, redAtReceived);
        QVERIFY(window().pendingkeys.isEmpty());
        QVERIFY(window().studymode);
        const bool stored = notices.last() == received;
        QCOMPARE(window().runstate_lab->text(), stored ? QStringLiteral("RC code has been stored in Button1")
                                                       : QStringLiteral("choose one button needs to learn again!"));
        QVERIFY(rig->keyPicture("12") == byKind("12"));
        QCOMPARE(window().tables.keystates[std::size_t(rig->rig().entry(0, "12"))][3], stored ? '2' : kindBefore);
        if (!stored)
            QVERIFY(window().Imagehint->pixmap().toImage() == window().pictures.staticpicture.toImage());
    }

    void unpluggingDuringACaptureFailsIt()
    {
        startLearning();
        learnUntilArmed("12");
        // The link monitor may see the loss too; either box is answered by
        // plugging the remote back in.
        const auto replug = [this] { rig->remote().attach(); };
        boxes().then(Button::Retry, replug).then(Button::Retry, replug);
        rig->remote().detachDuringCapture();
        QVERIFY(rig->captureEnded());
        QVERIFY(boxes().texts().contains(failly));
        QVERIFY(window().studymode);
        QVERIFY(window().pendingkeys.isEmpty());
        QVERIFY(rig->keyPicture("12") == byKind("12"));
        QTRY_VERIFY(!window().ykqbox->isHidden());
        boxes().clear();
    }

    void closingWhileTheFailureNoticeIsOpen()
    {
        startLearning();
        learnUntilArmed("12");
        // The window closes under the notice: with the remote away, learning does not hold it.
        bool closed = false;
        boxes().then(Button::Ok, [&] {
            rig->remote().detach();
            closed = window().close();
        });
        rig->expireCapture();
        QVERIFY(rig->captureEnded());
        QCOMPARE(boxes().texts(), QStringList{failly});
        QVERIFY(closed);
        QVERIFY(window().pendingkeys.isEmpty());
    }

    void aModeChangeShowsThePendingKeyByKind()
    {
        QVERIFY(rig->rig().setKind(3, "12", '2'));
        startLearning();
        learnUntilArmed("12");
        rig->click("DVD_IBTN");
        QVERIFY(rig->keyPicture("12") == LearningRig::entryOf(window().pictures.learnedpics, "12"));
        // The capture goes on for the key.
        QCOMPARE(window().pendingkeys, QList<IBtn *>{rig->key("12")});
        QVERIFY(rig->remote().captureArmed());
        rig->click("beginstudyibtn");
        QVERIFY(rig->captureEnded());
    }

    void aSecondKeyWhilePendingNamesThePendingKey()
    {
        startLearning();
        rig->clickKey("12");
        const QImage other = rig->keyPicture("13");
        boxes().then(Button::Ok);
        rig->clickKey("13");
        QCOMPARE(boxes().texts(),
                 QStringList{"1buttonis learning now! Click on Stop learning to stop learning operation!"});
        QCOMPARE(window().pendingkeys, QList<IBtn *>{rig->key("12")});
        QVERIFY(rig->keyPicture("12") == LearningRig::entryOf(window().pictures.selectedpics, "12"));
        QVERIFY(rig->keyPicture("13") == other);
        rig->click("beginstudyibtn");
        QVERIFY(rig->captureEnded());
    }

    void relearnQuestion_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<Button>("answer");
        QTest::newRow("downloaded key, no question") << '1' << false << Button::Ok;
        QTest::newRow("learned key, yes") << '2' << true << Button::Yes;
        QTest::newRow("learned key, no") << '2' << true << Button::No;
        QTest::newRow("learned key, box closed") << '2' << true << Button::Cancel;
    }

    void relearnQuestion()
    {
        QFETCH(char, kind);
        QFETCH(bool, asked);
        QFETCH(Button, answer);
        QVERIFY(rig->rig().setKind(0, "12", kind));
        window().refreshkeypictures();
        const QImage before = rig->keyPicture("12");
        startLearning();
        if (asked)
            boxes().then(answer);
        rig->clickKey("12");
        QCOMPARE(boxes().texts(),
                 asked ? QStringList{"1button has learnt, do you need to learn again?"} : QStringList());
        const bool learning = !asked || answer == Button::Yes;
        QCOMPARE(window().pendingkeys.size(), learning ? 1 : 0);
        QCOMPARE(bool(window().collectthread), learning);
        QVERIFY(rig->keyPicture("12")
                == (learning ? LearningRig::entryOf(window().pictures.selectedpics, "12") : before));
        rig->click("beginstudyibtn");
        QVERIFY(rig->captureEnded());
    }

    void stoppingDuringACapture()
    {
        QVERIFY(rig->rig().setKind(0, "12", '1'));
        startLearning();
        learnUntilArmed("12");
        QPointer<QThread> thread = window().collectthread;
        rig->click("beginstudyibtn");
        // At once, without waiting for the thread.
        QVERIFY(window().pendingkeys.isEmpty());
        QVERIFY(rig->keyPicture("12") == LearningRig::entryOf(window().pictures.downloadedpics, "12"));
        QVERIFY(window().Image8->isVisibleTo(&window()));
        QVERIFY(!window().Image5->isVisibleTo(&window()));
        QVERIFY(!window().donghuaflash2->isVisibleTo(&window()));
        QCOMPARE(window().collectthread, thread);
        // It ends at its next check, and its empty outcome is dropped silently.
        QVERIFY(rig->captureEnded());
        QTRY_VERIFY(!thread);
        QVERIFY(boxes().texts().isEmpty());
        QVERIFY(!window().studymode);
    }

    void aStoppedThreadReportsToTheNextKey()
    {
        startLearning();
        learnUntilArmed("12");
        QThread *old = window().collectthread;
        rig->click("beginstudyibtn");
        rig->click("beginstudyibtn");
        rig->clickKey("13");
        QCOMPARE(window().collectthread.data(), old);
        QCOMPARE(window().pendingkeys, QList<IBtn *>{rig->key("13")});
        boxes().then(Button::Ok);
        QVERIFY(rig->captureEnded());
        QCOMPARE(boxes().texts(), QStringList{failly});
        QVERIFY(window().pendingkeys.isEmpty());
        QVERIFY(rig->keyPicture("13") == byKind("13"));
        QVERIFY(window().studymode);
    }

    void markunlearnedTouchesOnlyTheCurrentMode()
    {
        QVERIFY(rig->rig().setKind(0, "12", '2'));
        QVERIFY(rig->rig().setKind(3, "12", '2'));
        rig->click("DVD_IBTN");
        QCOMPARE(window().devicemode, 3);
        const std::vector<std::string> before = window().tables.keystates;
        window().markunlearned("12");
        window().markunlearned("99");
        std::vector<std::string> expected = before;
        expected[std::size_t(rig->rig().entry(3, "12"))] = "12|0";
        QCOMPARE(window().tables.keystates, expected);
    }
};

QTEST_MAIN(LearningWindowTest)
#include "LearningWindowTest.moc"
