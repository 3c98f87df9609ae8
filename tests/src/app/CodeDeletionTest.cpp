#include <QLabel>
#include <QtTest>

#include "IBtn.h"
#include "LearningRig.h"

using Button = MessageBoxes::Button;

namespace
{
const QString finished = QStringLiteral("Deleting is finished!");
const QString never = QStringLiteral("This button is never done for learning before!");
const std::uint8_t recordMark = 0xC0;
}  // namespace

// Deleting learned codes through the main window: the delete-mode toggle, one
// key in delete mode, and clearing the current device mode.
class CodeDeletionTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LearningRig> rig;

    WindowRig::Window &window() { return rig->window(); }
    ScriptedBoxes &boxes() { return rig->boxes(); }

    // Marks keys learned before the window is shown, with a record on the remote
    // whose first byte says it is in use.
    void learned(const QList<QPair<int, QString>> &keys)
    {
        rig = std::make_unique<LearningRig>([keys](WindowRig &windowRig) {
            for (const auto &[mode, code] : keys) {
                QVERIFY(windowRig.setKind(mode, code, '2'));
                const int index = windowRig.entry(mode, code);
                windowRig.remote().poke(std::uint16_t(windowRig.window().tables.keytableaddr + 22 * index),
                                        {recordMark});
            }
        });
    }
    std::uint8_t firstByte(int mode, const QString &code) { return rig->record(rig->rig().entry(mode, code), 1).at(0); }
    std::string entry(int mode, const QString &code)
    {
        return window().tables.keystates[std::size_t(rig->rig().entry(mode, code))];
    }
    bool visible(QWidget *widget) { return widget->isVisibleTo(&window()); }
    // The next write reports failure: refused by the remote, or carried out and its reply lost.
    void failTheNextWrite(bool carriedOut)
    {
        if (carriedOut)
            rig->rig().device().loseReplies(VirtualRemote::Operation::WriteData, 1, 1);
        else
            rig->remote().injectFault(VirtualRemote::Operation::WriteData, 1);
    }

private slots:
    void cleanup()
    {
        if (rig)
            VERIFY_BOXES(boxes());
        rig.reset();
    }

    void theToggleSwitchesDeleteMode()
    {
        learned({{0, "12"}});
        rig->click("delstudykey");
        QVERIFY(window().deletemode);
        QCOMPARE(window().runstate_lab->text(),
                 QStringLiteral("Please click a button needs to delete on the URC panel left"));
        QVERIFY(window().delstudykey->picture().toImage() == window().pictures.stopdeletepicture.toImage());
        QVERIFY(visible(window().Image7));
        QVERIFY(!visible(window().Image4) && !visible(window().Image5) && !visible(window().Image8));

        rig->click("delstudykey");
        QVERIFY(!window().deletemode);
        QVERIFY(window().runstate_lab->text().isEmpty());
        QVERIFY(window().delstudykey->picture().toImage() == window().pictures.deletepicture.toImage());
        QVERIFY(visible(window().Image4));
        QVERIFY(!visible(window().Image7) && !visible(window().Image8));
    }

    void keysThatHoldNoLearnedCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("downloaded") << "10";
        QTest::newRow("no code") << "13";
    }

    void keysThatHoldNoLearnedCode()
    {
        QFETCH(QString, code);
        learned({{0, "12"}, {1, code}});
        rig->click("delstudykey");
        const std::string before = entry(0, code);
        boxes().then(Button::Ok);
        rig->clickKey(code);
        QCOMPARE(boxes().texts(), QStringList{never});
        QCOMPARE(entry(0, code), before);
        QCOMPARE(firstByte(1, code), recordMark);
        QVERIFY(window().deletemode);
    }

    void deletingOneKey_data()
    {
        QTest::addColumn<Button>("answer");
        QTest::addColumn<bool>("another");  // a second learned key in the mode
        QTest::newRow("the last one") << Button::Yes << false;
        QTest::newRow("one of two") << Button::Yes << true;
        QTest::newRow("not confirmed") << Button::No << true;
    }

    void deletingOneKey()
    {
        QFETCH(Button, answer);
        QFETCH(bool, another);
        QList<QPair<int, QString>> keys{{0, "12"}, {2, "12"}};
        if (another)
            keys.append({0, "13"});
        learned(keys);
        rig->click("delstudykey");
        const bool yes = answer == Button::Yes;
        boxes().then(answer);
        if (yes)
            boxes().then(Button::Ok);
        rig->clickKey("12");
        QStringList expected{QStringLiteral("Sure to delete the learned code of this button?")};
        if (yes)
            expected << finished;
        QCOMPARE(boxes().texts(), expected);
        QCOMPARE(boxes().shown().first().caption, QStringLiteral("Confirm"));
        QCOMPARE(entry(0, "12").substr(0, 4), yes ? std::string("12|0") : std::string("12|2"));
        QCOMPARE(firstByte(0, "12"), yes ? std::uint8_t(0) : recordMark);
        // Other modes keep their codes.
        QCOMPARE(entry(2, "12").substr(0, 4), std::string("12|2"));
        QCOMPARE(firstByte(2, "12"), recordMark);
        if (yes)
            QVERIFY(rig->keyPicture("12") == LearningRig::entryOf(window().pictures.normalpics, "12"));

        const bool left = another || !yes;
        QCOMPARE(window().deletemode, left);
        QCOMPARE(window().delstudykey->isEnabled(), left);
        QCOMPARE(window().delallstudykey->isEnabled(), left);
        QCOMPARE(visible(window().Image7), left);
        QCOMPARE(visible(window().Image8), !left);
        if (!left) {
            QVERIFY(window().delstudykey->picture().toImage() == window().pictures.deletegreypicture.toImage());
            QVERIFY(window().delallstudykey->picture().toImage() == window().pictures.cleargreypicture.toImage());
        }
    }

    // A drop whose write reports failure: refused, or carried out with its reply lost.
    void aDropThatReportsFailure_data()
    {
        QTest::addColumn<bool>("carriedOut");
        QTest::newRow("refused") << false;
        QTest::newRow("reply lost") << true;
    }

    void aDropThatReportsFailure()
    {
        QFETCH(bool, carriedOut);
        learned({{0, "12"}, {0, "13"}});
        const std::string before = entry(0, "12");
        rig->click("delstudykey");
        boxes().then(Button::Yes).then(Button::Ok);
        failTheNextWrite(carriedOut);
        rig->clickKey("12");
        QCOMPARE(boxes().texts(), (QStringList{"Sure to delete the learned code of this button?",
                                               carriedOut ? finished : "RC code is deleted failly!"}));
        // What the remote holds, read back, decides the entry and the picture.
        QCOMPARE(firstByte(0, "12"), carriedOut ? std::uint8_t(0) : recordMark);
        QCOMPARE(entry(0, "12"), carriedOut ? std::string("12|0") : before);
        const QList<QPixmap> &pictures = carriedOut ? window().pictures.normalpics : window().pictures.learnedpics;
        QVERIFY(rig->keyPicture("12") == LearningRig::entryOf(pictures, "12"));
        QVERIFY(window().deletemode);
    }

    void clearingTheMode()
    {
        learned({{0, "12"}, {0, "13"}, {1, "12"}});
        const std::uint16_t alloc = window().tables.alloctableaddr;
        const std::vector<std::uint8_t> allocation = rig->remote().dump(alloc, 512);
        const std::vector<std::uint8_t> codeArea = rig->remote().dump(window().tables.codeareaaddr, 512);
        // No backup first: the offer comes before the question.
        boxes().then(Button::No).then(Button::Yes).then(Button::Ok);
        rig->click("delallstudykey");
        QCOMPARE(boxes().texts(),
                 (QStringList{"Back up the remote's memory before clearing the mode?",
                              "Sure to clear all the learned codes of the buttons?", "Clearing is finished!"}));
        QCOMPARE(boxes().shown().at(1).caption, QStringLiteral("Information"));
        QCOMPARE(window().runstate_lab->text(), QStringLiteral("Clearing is finished!"));
        for (const char *code : {"12", "13"}) {
            QCOMPARE(firstByte(0, code), std::uint8_t(0));
            QCOMPARE(entry(0, code), std::string(code) + "|0");
            QVERIFY(rig->keyPicture(code) == LearningRig::entryOf(window().pictures.normalpics, code));
        }
        QCOMPARE(firstByte(1, "12"), recordMark);
        QCOMPARE(entry(1, "12").substr(0, 4), std::string("12|2"));
        QCOMPARE(rig->remote().dump(alloc, 512), allocation);
        QCOMPARE(rig->remote().dump(window().tables.codeareaaddr, 512), codeArea);
        // A downloaded key keeps its picture.
        QVERIFY(rig->keyPicture("10") == LearningRig::entryOf(window().pictures.downloadedpics, "10"));
        QVERIFY(!window().delstudykey->isEnabled());
        QVERIFY(!window().delallstudykey->isEnabled());
        QVERIFY(visible(window().Image8));
        QVERIFY(!visible(window().Image4));
    }

    void clearingAKeyWhoseWriteReportsFailure_data() { aDropThatReportsFailure_data(); }

    void clearingAKeyWhoseWriteReportsFailure()
    {
        QFETCH(bool, carriedOut);
        learned({{0, "12"}, {0, "13"}});
        const std::string kept = entry(0, "12");
        boxes().then(Button::No).then(Button::Yes).then(Button::Ok);
        if (!carriedOut)
            boxes().then(Button::Ok);
        failTheNextWrite(carriedOut);
        rig->click("delallstudykey");
        QStringList expected{"Back up the remote's memory before clearing the mode?",
                             "Sure to clear all the learned codes of the buttons?"};
        if (!carriedOut)
            expected << "RC code is deleted failly!";
        QCOMPARE(boxes().texts(), expected << "Clearing is finished!");
        QCOMPARE(firstByte(0, "12"), carriedOut ? std::uint8_t(0) : recordMark);
        QCOMPARE(entry(0, "12"), carriedOut ? std::string("12|0") : kept);
        const QList<QPixmap> &pictures = carriedOut ? window().pictures.normalpics : window().pictures.learnedpics;
        QVERIFY(rig->keyPicture("12") == LearningRig::entryOf(pictures, "12"));
        QCOMPARE(firstByte(0, "13"), std::uint8_t(0));
        QCOMPARE(entry(0, "13"), std::string("13|0"));
        QCOMPARE(window().delallstudykey->isEnabled(), !carriedOut);
    }

    void clearingRefusals_data()
    {
        QTest::addColumn<bool>("deleting");
        QTest::addColumn<bool>("learnedHere");
        QTest::addColumn<QString>("notice");
        QTest::newRow("learned keys only in other modes") << false << false << "No code can be deleted！";
        QTest::newRow("delete mode")
            << true << true << "It is on deleting mode! Please click on Stop Deleting first for other operations!";
    }

    void clearingRefusals()
    {
        QFETCH(bool, deleting);
        QFETCH(bool, learnedHere);
        QFETCH(QString, notice);
        learned({{learnedHere ? 0 : 1, "12"}, {2, "13"}});
        window().delallstudykey->setEnabled(true);
        if (deleting)
            rig->click("delstudykey");
        const std::vector<std::string> before = window().tables.keystates;
        boxes().then(Button::Ok);
        rig->click("delallstudykey");
        QCOMPARE(boxes().texts(), QStringList{notice});
        QCOMPARE(window().tables.keystates, before);
        QCOMPARE(firstByte(learnedHere ? 0 : 1, "12"), recordMark);
    }

    void clearingNotConfirmed()
    {
        learned({{0, "12"}});
        boxes().then(Button::No).then(Button::No);
        rig->click("delallstudykey");
        QCOMPARE(entry(0, "12").substr(0, 4), std::string("12|2"));
        QCOMPARE(firstByte(0, "12"), recordMark);
    }
};

QTEST_MAIN(CodeDeletionTest)
#include "CodeDeletionTest.moc"
