#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <chrono>
#include <memory>

#include "LinkStateWatcher.h"
#include "QuickRemote.h"
#include "ScriptedBoxes.h"
#include "VirtualRemote.h"

using namespace std::chrono_literals;
using Button = MessageBoxes::Button;

namespace
{
constexpr std::chrono::milliseconds shortInterval{10};

const QString caption = QStringLiteral("提示");
const QString reconnectText = QStringLiteral("未检测到遥控器，请重新连接遥控器！");
const QString quitText = QStringLiteral("您需要关闭自学习软件吗！");

// Stand-ins for the main window: the remote panel, the three commands and a
// mode button, and a count of the closes the monitor's end asked for.
struct Window
{
    QWidget widget;
    QWidget *ykqbox = new QWidget(&widget);
    QWidget *beginstudyibtn = new QWidget(&widget);
    QWidget *delstudykey = new QWidget(&widget);
    QWidget *delallstudykey = new QWidget(&widget);
    QPushButton *modeButton = new QPushButton(QStringLiteral("TV"), &widget);
    bool closing = false;
    int closes = 0;
    LinkStateWatcher watcher;

    explicit Window(RemoteDevice &device)
        : watcher(
            device, {ykqbox, beginstudyibtn, delstudykey, delallstudykey}, [this] { return closing; },
            [this] { ++closes; })
    {
        widget.show();
    }

    bool panelPresent() const
    {
        return ykqbox->isVisible() && beginstudyibtn->isEnabled() && delstudykey->isEnabled()
               && delallstudykey->isEnabled();
    }
    bool panelGone() const
    {
        return !ykqbox->isVisible() && !beginstudyibtn->isEnabled() && !delstudykey->isEnabled()
               && !delallstudykey->isEnabled();
    }
};

QMessageBox *openBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            return box;
    }
    return nullptr;
}

void verifyBox(const MessageBoxes::Box &box, const QString &text, const QList<Button> &buttons)
{
    QCOMPARE(box.caption, caption);
    QCOMPARE(box.text, text);
    QCOMPARE(box.buttons, buttons);
    QCOMPARE(box.defaultButton, buttons.first());
    QCOMPARE(box.escapeButton, Button::Cancel);
}
}  // namespace

class LinkStateWatcherTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QuickRemote> quick;

private slots:
    void init() { quick = std::make_unique<QuickRemote>(); }
    void cleanup();
    void lossHidesThePanelAndAsks();
    void ends_data();
    void ends();
    void noCloseWhileClosing();
    void windowStaysUsableWhileABoxIsOpen();
    void stopEndsTheMonitorWithinOnePoll();
    void stopWithdrawsAnOpenBox();
    void destroyingTheWatcherStopsTheMonitor();
};

void LinkStateWatcherTest::cleanup()
{
    const bool withdrawn = QTest::qWaitFor([] { return openBox() == nullptr; }, 1000);
    while (QMessageBox *left = openBox())
        delete left;  // so that the next test starts without it
    QVERIFY2(withdrawn, "a box was left open");
}

void LinkStateWatcherTest::lossHidesThePanelAndAsks()
{
    Window window(*quick->device);
    // Enabled on reconnection whatever they were before.
    window.delstudykey->setEnabled(false);
    window.delallstudykey->setEnabled(false);
    QElapsedTimer sinceLoss;
    qint64 askedAfter = -1;
    bool goneWhenAsked = false;
    ScriptedBoxes boxes;
    boxes.then(Button::Retry, [&] {
        askedAfter = sinceLoss.elapsed();
        goneWhenAsked = window.panelGone();
        quick->remote->attach();
    });
    window.watcher.start(quick->remoteid);
    QTest::qWait(50);  // the monitor is between polls when the remote goes
    quick->remote->detach();
    sinceLoss.start();

    QTRY_VERIFY_WITH_TIMEOUT(askedAfter >= 0, 1000);
    QVERIFY2(askedAfter <= 300, qPrintable(QStringLiteral("asked after %1 ms").arg(askedAfter)));
    QVERIFY(goneWhenAsked);
    QTRY_VERIFY(window.panelPresent());
    VERIFY_BOXES(boxes);
    QCOMPARE(boxes.shown().size(), 1);
    verifyBox(boxes.shown().first(), reconnectText, {Button::Retry, Button::Cancel});
    QVERIFY(window.watcher.thread());
    QCOMPARE(window.closes, 0);
}

void LinkStateWatcherTest::ends_data()
{
    QTest::addColumn<bool>("withIdentity");
    QTest::addColumn<bool>("otherRemote");
    QTest::addColumn<QList<Button>>("answers");
    QTest::addColumn<bool>("closes");

    QTest::newRow("another remote, Retry") << true << true << QList<Button>{Button::Retry} << true;
    QTest::newRow("Cancel, OK") << true << false << QList<Button>{Button::Cancel, Button::Ok} << true;
    QTest::newRow("Cancel, Cancel: like Retry")
        << true << false << QList<Button>{Button::Cancel, Button::Cancel} << false;
    QTest::newRow("no identity, Retry") << false << false << QList<Button>{Button::Retry} << true;
    QTest::newRow("no identity, Cancel, Cancel")
        << false << false << QList<Button>{Button::Cancel, Button::Cancel} << true;
}

void LinkStateWatcherTest::ends()
{
    QFETCH(bool, withIdentity);
    QFETCH(bool, otherRemote);
    QFETCH(QList<Button>, answers);
    QFETCH(bool, closes);

    Window window(*quick->device);
    ScriptedBoxes boxes;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        // The remote is back when the last box is answered.
        boxes.then(
            answers[i], i + 1 < answers.size() ? std::function<void()>() : [&] {
                if (otherRemote)
                    quick->remote->setIdentity(VirtualRemote::Identity::Other);
                quick->remote->attach();
            });
    }
    quick->remote->detach();
    window.watcher.start(withIdentity ? quick->remoteid : std::string(), shortInterval);

    if (closes) {
        QTRY_COMPARE(window.closes, 1);
        QVERIFY(window.panelGone());
        QTRY_VERIFY(!window.watcher.thread());
    } else {
        QTRY_VERIFY(window.panelPresent());
        QVERIFY(window.watcher.thread());
    }
    QTest::qWait(int(10 * shortInterval.count()));  // no box after the end
    VERIFY_BOXES(boxes);
    QCOMPARE(boxes.shown().size(), answers.size());
    verifyBox(boxes.shown().first(), reconnectText, {Button::Retry, Button::Cancel});
    if (answers.size() > 1)
        verifyBox(boxes.shown()[1], quitText, {Button::Ok, Button::Cancel});
    QCOMPARE(window.closes, closes ? 1 : 0);
}

void LinkStateWatcherTest::noCloseWhileClosing()
{
    Window window(*quick->device);
    window.closing = true;
    ScriptedBoxes boxes;
    boxes.then(Button::Retry, [&] {
        quick->remote->setIdentity(VirtualRemote::Identity::Other);
        quick->remote->attach();
    });
    quick->remote->detach();
    window.watcher.start(quick->remoteid, shortInterval);
    QTRY_VERIFY(!window.watcher.thread());
    QCOMPARE(window.closes, 0);
    VERIFY_BOXES(boxes);
}

void LinkStateWatcherTest::windowStaysUsableWhileABoxIsOpen()
{
    Window window(*quick->device);
    int modeClicks = 0;
    connect(window.modeButton, &QPushButton::clicked, this, [&] { ++modeClicks; });
    quick->remote->detach();
    window.watcher.start(quick->remoteid, shortInterval);

    QTRY_VERIFY(openBox());
    QMessageBox *box = openBox();
    QCOMPARE(box->windowTitle(), caption);
    QCOMPARE(box->text(), reconnectText);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // Through the window system, where a modal box would swallow the click.
    QTest::mouseClick(window.widget.windowHandle(), Qt::LeftButton, {},
                      window.modeButton->mapTo(&window.widget, window.modeButton->rect().center()));
    QTRY_COMPARE(modeClicks, 1);
    QVERIFY(window.watcher.thread()->isRunning());

    quick->remote->attach();
    const auto buttons = box->buttons();
    const auto retry = std::find_if(buttons.begin(), buttons.end(), [](QAbstractButton *button) {
        return button->text() == MessageBoxes::buttonText(Button::Retry);
    });
    QVERIFY(retry != buttons.end());
    QTest::mouseClick(*retry, Qt::LeftButton);
    QTRY_VERIFY(window.panelPresent());
    QVERIFY(openBox() == nullptr);
}

void LinkStateWatcherTest::stopEndsTheMonitorWithinOnePoll()
{
    Window window(*quick->device);
    window.watcher.start(quick->remoteid);
    QTest::qWait(20);
    window.closing = true;  // as the close query does
    window.watcher.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!window.watcher.thread(), int(linkstate::pollInterval.count()));
    QCOMPARE(window.closes, 0);
}

void LinkStateWatcherTest::stopWithdrawsAnOpenBox()
{
    Window window(*quick->device);
    quick->remote->detach();
    window.watcher.start(quick->remoteid, shortInterval);
    QTRY_VERIFY(openBox());
    window.closing = true;
    window.watcher.stop();
    QTRY_VERIFY(openBox() == nullptr);
    QTRY_VERIFY(!window.watcher.thread());
    QCOMPARE(window.closes, 0);
}

void LinkStateWatcherTest::destroyingTheWatcherStopsTheMonitor()
{
    QPointer<linkstate> thread;
    {
        Window window(*quick->device);
        quick->remote->detach();
        window.watcher.start(quick->remoteid, shortInterval);
        QTRY_VERIFY(openBox());
        thread = window.watcher.thread();
    }
    QVERIFY(thread.isNull());
    QTRY_VERIFY(openBox() == nullptr);
}

QTEST_MAIN(LinkStateWatcherTest)
#include "LinkStateWatcherTest.moc"
