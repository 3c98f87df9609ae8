#include <QtTest>

#include "IBtn.h"
#include "LearningRig.h"
#include "RemotePanel.h"

using Button = MessageBoxes::Button;

namespace
{
const QString reconnect = QStringLiteral("未检测到遥控器，请重新连接遥控器！");
}

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

    void anotherRemoteClosesTheWindow()
    {
        boxes().then(Button::Retry, [this] {
            rig->remote().setIdentity(VirtualRemote::Identity::Other);
            rig->remote().attach();
        });
        rig->remote().detach();
        QTRY_VERIFY_WITH_TIMEOUT(!window().isVisible(), 2000);
        QCOMPARE(boxes().texts(), QStringList{reconnect});
        QVERIFY(panelOff());
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
