#include <QtTest>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>
#include <thread>

#include "OriginalWindow.h"
#include "RemoteLayout.h"
#include "RemotePicture.h"
#include "RemoteServer.h"
#include "RemoteService.h"
#include "VirtualRemote.h"

namespace
{
// A memory-only virtual remote served on its own thread for one test.
class ServedRemote
{
public:
    explicit ServedRemote(const std::string &socketPath)
    {
        VirtualRemote::Options options;
        options.transferTime = std::chrono::microseconds(0);
        std::string error;
        remote = VirtualRemote::open(options, &error);
        service = std::make_unique<RemoteService>(*remote, "memory");
        server = std::make_unique<RemoteServer>(
            RemoteServer::Options{socketPath, geteuid(), std::chrono::milliseconds(2000), 8});
        if (server->listen(&error))
            thread = std::thread([this] { server->run(*service); });
    }
    ~ServedRemote()
    {
        server->stop();
        if (thread.joinable())
            thread.join();
    }
    bool running() const { return thread.joinable(); }

    std::unique_ptr<VirtualRemote> remote;
    std::unique_ptr<RemoteService> service;
    std::unique_ptr<RemoteServer> server;
    std::thread thread;
};

void click(OriginalWindow &window, OriginalKey key)
{
    const RemoteLayout::Place &place = RemoteLayout::placeOf(key);
    QTest::mouseClick(window.picture(), Qt::LeftButton, {}, QPoint(place.centerX(), place.centerY()));
}

QPushButton *button(OriginalWindow &window, const char *name)
{
    return window.findChild<QPushButton *>(name);
}
}  // namespace

class OriginalWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void pressReachesTheWaitingRemote();
    void pressWhenNotWaiting();
    void noServer();
    void linkButtons();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::string m_socket;
};

void OriginalWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_socket = m_dir->filePath("socket").toStdString();
}

void OriginalWindowTest::pressReachesTheWaitingRemote()
{
    ServedRemote served(m_socket);
    QVERIFY(served.running());
    OriginalWindow window(m_socket);
    // Armed as the tool arms it when a key waits to be learned.
    QVERIFY(served.remote->setCodeCarrierWave());
    window.refreshStatus();
    QTRY_VERIFY(window.linkLine().contains("waiting for a code"));

    click(window, OriginalKey::Power);
    QTRY_COMPARE(window.statusLine(), QString("NEC1 D=4 F=8 sent"));
    QVERIFY(!served.remote->captureArmed());
    std::string capture;
    QVERIFY(served.remote->collectCodeInfo(capture));
    QVERIFY(!capture.empty());
    QTRY_VERIFY(!window.linkLine().contains("waiting for a code"));

    // Another device: its protocol, its toggle starting at 0.
    auto *devices = window.findChild<QComboBox *>("device");
    devices->setCurrentIndex(devices->findText("RC5 amplifier (RC5 D=16)"));
    QVERIFY(served.remote->setCodeCarrierWave());
    click(window, OriginalKey::VolumeUp);
    QTRY_COMPARE(window.statusLine(), QString("RC5 D=16 F=16 T=0 sent"));
    QVERIFY(!served.remote->captureArmed());
}

void OriginalWindowTest::pressWhenNotWaiting()
{
    ServedRemote served(m_socket);
    QVERIFY(served.running());
    OriginalWindow window(m_socket);
    click(window, OriginalKey::Mute);
    QTRY_COMPARE(window.statusLine(), QString("NEC1 D=4 F=9 not taken: the remote is not waiting for a code"));
    std::string capture;
    QVERIFY(!served.remote->collectCodeInfo(capture));

    // The result before moves into the history, what was on its way never does.
    auto *history = window.findChild<QListWidget *>("history");
    QCOMPARE(history->count(), 0);
    click(window, OriginalKey::Digit0);
    QTRY_COMPARE(window.statusLine(), QString("NEC1 D=4 F=16 not taken: the remote is not waiting for a code"));
    QCOMPARE(history->count(), 1);
    QCOMPARE(history->item(0)->text(), QString("NEC1 D=4 F=9 not taken: the remote is not waiting for a code"));
}

void OriginalWindowTest::noServer()
{
    OriginalWindow window(m_socket);
    QTRY_VERIFY(window.linkLine().startsWith("No virtual remote answers"));
    QVERIFY(!button(window, "attach")->isEnabled());
    QVERIFY(!button(window, "detach")->isEnabled());
    QVERIFY(!button(window, "identity")->isEnabled());
    click(window, OriginalKey::Digit7);
    QTRY_VERIFY(window.statusLine().startsWith("No virtual remote answers"));
    QVERIFY(window.statusLine().contains(QString::fromStdString(m_socket)));
}

void OriginalWindowTest::linkButtons()
{
    ServedRemote served(m_socket);
    QVERIFY(served.running());
    OriginalWindow window(m_socket);
    QTRY_VERIFY(button(window, "detach")->isEnabled());
    QVERIFY(!button(window, "attach")->isEnabled());
    QVERIFY(window.linkLine().startsWith("Attached"));

    QTest::mouseClick(button(window, "detach"), Qt::LeftButton);
    QTRY_VERIFY(!served.remote->attached());
    QTRY_VERIFY(button(window, "attach")->isEnabled());
    QVERIFY(window.linkLine().startsWith("Detached"));
    QVERIFY(!button(window, "detach")->isEnabled());

    QTest::mouseClick(button(window, "identity"), Qt::LeftButton);
    QTRY_COMPARE(served.remote->identity(), VirtualRemote::Identity::Other);
    QTRY_VERIFY(window.linkLine().contains("another QLR-815"));
    QTest::mouseClick(button(window, "attach"), Qt::LeftButton);
    QTRY_VERIFY(served.remote->attached());
    QTest::mouseClick(button(window, "identity"), Qt::LeftButton);
    QTRY_COMPARE(served.remote->identity(), VirtualRemote::Identity::Original);
    QTRY_VERIFY(window.linkLine().startsWith("Attached, the original"));

    // A link that changes behind the window's back shows within a poll.
    served.remote->detach();
    QTRY_VERIFY_WITH_TIMEOUT(window.linkLine().startsWith("Detached"), 3 * OriginalWindow::pollIntervalMs);
}

QTEST_MAIN(OriginalWindowTest)
#include "OriginalWindowTest.moc"
