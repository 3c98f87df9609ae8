#include <QtTest>

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

#include "FakeDisplayMode.h"
#include "IBtn.h"
#include "ModeSlice.h"
#include "OriginalWindow.h"
#include "RcportDevice.h"
#include "RemoteLayout.h"
#include "RemotePanel.h"
#include "RemotePicture.h"
#include "ScriptedBoxes.h"
#include "ServerProcess.h"
#include "Tmainselfstudy.h"

using Button = MessageBoxes::Button;

namespace
{
constexpr int tv = 0;
constexpr int amp = 6;
const QString received = QStringLiteral("RC code is received!");

void click(QWidget *widget)
{
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}
}  // namespace

// The README's walk-through end to end: the tool talks to a `qlr-remote serve`
// process through librcport, as installed, and the keys come from the original
// remote's window, which reaches the same server on its own connection.
class WalkTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServerProcess> m_server;
    ScriptedBoxes m_boxes;

    std::unique_ptr<Tmainselfstudy> openTool(RcportDevice &device)
    {
        auto window = std::make_unique<Tmainselfstudy>(device);
        window->setDisplayMode(std::make_unique<FakeDisplayMode>(QSize(1024, 768)));
        window->show();
        return window;
    }

    QString status() const { return QString::fromUtf8(m_server->command({"status"}).out); }

    // The key's kind digit in `mode`, as the tool holds it; 0 when it has no entry.
    static char kindOf(const Tmainselfstudy &window, int mode, const QString &code)
    {
        const auto index = ModeSlice(window.tables, mode).find(code.toStdString(), KeyStateEntry::CodeMatch::Exact);
        const auto kind = index ? KeyStateEntry::kind(window.tables.keystates[*index]) : std::nullopt;
        return kind ? static_cast<char>(*kind) : 0;
    }

    // Clicks `code` on the tool's picture, waits for the remote to listen and
    // presses `key` in the original remote's window.
    void learn(Tmainselfstudy &window, OriginalWindow &original, const QString &code, OriginalKey key)
    {
        m_boxes.then(Button::Ok);
        click(window.ykqbox->key(code));
        QTRY_VERIFY_WITH_TIMEOUT(status().contains("capture armed"), 5000);
        const RemoteLayout::Place &place = RemoteLayout::placeOf(key);
        QTest::mouseClick(original.picture(), Qt::LeftButton, {}, QPoint(place.centerX(), place.centerY()));
        QTRY_VERIFY_WITH_TIMEOUT(m_boxes.texts().contains(received), 5000);
        QTRY_VERIFY(original.statusLine().endsWith(" sent"));
        QCOMPARE(kindOf(window, window.devicemode, code), '2');
        m_boxes.clear();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The tool's animation file and the library's socket stay in the test's folder.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
        const QString socket = m_dir.filePath("socket");
        qputenv("QLR_REMOTE_SOCKET", QFile::encodeName(socket));
        m_server = std::make_unique<ServerProcess>(socket, m_dir.filePath("remote.img"));
        QVERIFY(m_server->start());
    }

    void learnDeleteClearAndUnplug()
    {
        RcportDevice device;
        std::unique_ptr<Tmainselfstudy> window = openTool(device);
        QVERIFY(!window->startfailed);
        OriginalWindow original(m_server->socketPath().toStdString());

        // Three keys in two modes, each device of the original remote its own protocol.
        click(window->beginstudyibtn);
        QVERIFY(window->studymode);
        learn(*window, original, "10", OriginalKey::Power);
        learn(*window, original, "26", OriginalKey::VolumeUp);
        click(window->findChild<IBtn *>("AMP_INTN"));
        QCOMPARE(window->devicemode, amp);
        auto *devices = original.findChild<QComboBox *>("device");
        devices->setCurrentIndex(devices->findText("RC5 amplifier (RC5 D=16)"));
        QVERIFY(devices->currentIndex() >= 0);
        learn(*window, original, "26", OriginalKey::VolumeUp);
        QTRY_VERIFY(original.statusLine().startsWith("RC5 D=16 F=16"));
        click(window->beginstudyibtn);
        QVERIFY(!window->studymode);

        // One key deleted in TV, the whole of AMP cleared.
        click(window->findChild<IBtn *>("TV_IBTN"));
        click(window->delstudykey);
        QVERIFY(window->deletemode);
        m_boxes.then(Button::Yes).then(Button::Ok);
        click(window->ykqbox->key("26"));
        QVERIFY(kindOf(*window, tv, "26") != '2');
        QCOMPARE(kindOf(*window, tv, "10"), '2');
        click(window->delstudykey);
        click(window->findChild<IBtn *>("AMP_INTN"));
        // No backup first.
        m_boxes.then(Button::No).then(Button::Yes).then(Button::Ok);
        click(window->delallstudykey);
        QVERIFY(kindOf(*window, amp, "26") != '2');
        VERIFY_BOXES(m_boxes);
        m_boxes.clear();

        // Unplugged from the original remote's window; plugged in again while the tool asks.
        m_boxes.then(Button::Retry, [this] { QCOMPARE(m_server->command({"attach"}).exitCode, 0); });
        click(original.findChild<QPushButton *>("detach"));
        QTRY_VERIFY_WITH_TIMEOUT(m_boxes.shown().size() == 1, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!window->ykqbox->isHidden() && window->beginstudyibtn->isEnabled(), 5000);
        QVERIFY(window->isVisible());
        VERIFY_BOXES(m_boxes);
        m_boxes.clear();
        window.reset();

        // What is left lives in the remote's image: a sound store, read back by a restarted server and tool.
        QCOMPARE(m_server->command({"check"}).exitCode, 0);
        QVERIFY(m_server->terminate());
        QVERIFY(m_server->start());
        RcportDevice again;
        std::unique_ptr<Tmainselfstudy> reopened = openTool(again);
        QCOMPARE(kindOf(*reopened, tv, "10"), '2');
        QVERIFY(kindOf(*reopened, tv, "26") != '2');
        QVERIFY(kindOf(*reopened, amp, "26") != '2');
        VERIFY_BOXES(m_boxes);
    }
};

QTEST_MAIN(WalkTest)
#include "WalkTest.moc"
