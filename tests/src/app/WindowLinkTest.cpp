#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "IBtn.h"
#include "LearningRig.h"
#include "RemotePanel.h"
#include "TestTime.h"

using Button = MessageBoxes::Button;

namespace
{
const QString reconnect = QStringLiteral("未检测到遥控器，请重新连接遥控器！");

QMessageBox *shownBox(const QString &caption)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(window);
        if (box && box->isVisible() && box->windowTitle() == caption)
            return box;
    }
    return nullptr;
}

// A click on a box's button as the window system brings it: a box that a
// modal box blocks does not get it.
void clickAsUser(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *button : box->buttons()) {
        if (button->text() == text) {
            // The box may be gone once the click is taken.
            QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {}, button->mapTo(box, button->rect().center()));
            return;
        }
    }
}
}  // namespace

// The link monitor as the main window shows it.
class WindowLinkTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LearningRig> rig;

    WindowRig::Window &window() { return rig->window(); }
    ScriptedBoxes &boxes() { return rig->boxes(); }
    bool panelUsable()
    {
        return !window().ykqbox->isHidden() && window().beginstudyibtn->isEnabled() && window().delstudykey->isEnabled()
               && window().delallstudykey->isEnabled();
    }
    bool panelOff()
    {
        return window().ykqbox->isHidden() && !window().beginstudyibtn->isEnabled()
               && !window().delstudykey->isEnabled() && !window().delallstudykey->isEnabled();
    }

private slots:
    void init()
    {
        rig = std::make_unique<LearningRig>([](WindowRig &windowRig) { windowRig.setKind(0, "12", '2'); });
    }

    void cleanup()
    {
        VERIFY_BOXES(boxes());
        rig.reset();
    }

    void theSameRemoteBackRestoresThePanel()
    {
        QVERIFY(panelUsable());
        bool offWhileAsked = false;
        int modeWhileAsked = -1;
        boxes().then(Button::Retry, [&] {
            offWhileAsked = panelOff();
            rig->click("CBL_IBTN");
            modeWhileAsked = window().devicemode;
            rig->click("TV_IBTN");
            rig->remote().attach();
        });
        rig->remote().detach();
        QTRY_VERIFY_WITH_TIMEOUT(boxes().shown().size() == 1, 2000);
        QCOMPARE(boxes().texts(), QStringList{reconnect});
        QVERIFY(offWhileAsked);
        QCOMPARE(modeWhileAsked, 1);
        QTRY_VERIFY_WITH_TIMEOUT(panelUsable(), 2000);
        QVERIFY(window().isVisible());
    }

    void anotherRemoteClosesTheWindow_data()
    {
        QTest::addColumn<bool>("learning");
        QTest::newRow("idle") << false;
        QTest::newRow("learning") << true;
    }

    void anotherRemoteClosesTheWindow()
    {
        QFETCH(bool, learning);
        if (learning)
            rig->click("beginstudyibtn");
        boxes().then(Button::Retry, [this] {
            rig->remote().setIdentity(VirtualRemote::Identity::Other);
            rig->remote().attach();
        });
        rig->remote().detach();
        QTRY_VERIFY_WITH_TIMEOUT(!window().isVisible(), 2000);
        QCOMPARE(boxes().texts(), QStringList{reconnect});
        QVERIFY(panelOff());
        QVERIFY(!window().studymode);
    }

    void theMonitorsBoxIsAnsweredOverANotice()
    {
        // The real boxes, answered with the mouse.
        MessageBoxes::setPresenter(nullptr);
        rig->click("beginstudyibtn");
        rig->clickKey("13");
        QTRY_VERIFY_WITH_TIMEOUT(rig->remote().captureArmed(), TestTime::scaled(3000));

        // The capture's notice and the monitor's box come up together; the
        // user plugs the remote back in and answers both, the monitor's first.
        enum class Step
        {
            BothOpen,
            MonitorAnswered,
            Done,
            GaveUp
        } step = Step::BothOpen;
        QElapsedTimer waiting;
        waiting.start();
        QTimer user;
        connect(&user, &QTimer::timeout, this, [&] {
            QMessageBox *notice = shownBox(QStringLiteral("Information"));
            QMessageBox *monitor = shownBox(QStringLiteral("提示"));
            if (step == Step::BothOpen && notice && monitor) {
                rig->remote().attach();
                clickAsUser(monitor, QStringLiteral("&Retry"));
                step = Step::MonitorAnswered;
            } else if (step == Step::MonitorAnswered && notice && !monitor) {
                clickAsUser(notice, QStringLiteral("OK"));
                step = Step::Done;
            } else if (step != Step::Done && waiting.elapsed() > TestTime::scaled(5000)) {
                // Unreachable boxes: close them, so the test ends.
                for (QMessageBox *box : {notice, monitor}) {
                    if (box)
                        box->reject();
                }
                step = Step::GaveUp;
            }
        });
        user.start(20);
        rig->remote().detach();
        QTRY_VERIFY_WITH_TIMEOUT(step == Step::Done || step == Step::GaveUp, TestTime::scaled(8000));
        QVERIFY(step == Step::Done);
        QTRY_VERIFY(!shownBox(QStringLiteral("Information")));
        QTRY_VERIFY_WITH_TIMEOUT(panelUsable(), 2000);
        QVERIFY(window().studymode);
        QVERIFY(window().pendingkeys.isEmpty());
        QCOMPARE(window().runstate_lab->text(), QStringLiteral("choose one button needs to learn again!"));
    }

    void closingStopsTheMonitorWithinOnePoll()
    {
        QPointer<QThread> monitor = window().linkthread;
        QVERIFY(monitor);
        QVERIFY(window().close());
        QTRY_VERIFY_WITH_TIMEOUT(!monitor, 400);
    }

    void closingIsRefusedWhileLearning()
    {
        rig->click("beginstudyibtn");
        boxes().then(Button::Ok);
        QVERIFY(!window().close());
        QCOMPARE(boxes().texts(), QStringList{"It is learning now! Please stop learning first if you want to quit "
                                              "operational system！"});
        QVERIFY(window().linkthread);
        rig->click("beginstudyibtn");
        QVERIFY(window().close());
    }
};

QTEST_MAIN(WindowLinkTest)
#include "WindowLinkTest.moc"
