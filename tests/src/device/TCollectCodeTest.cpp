#include <QDateTime>
#include <QElapsedTimer>
#include <QPointer>
#include <QSemaphore>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <string>

#include "RemoteDevice.h"
#include "TCollectCode.h"
#include "TestTime.h"

Q_DECLARE_METATYPE(std::string)

namespace
{
// A remote that follows a script and counts the capture calls. Its clock is
// advanced by the calls themselves, so a window of seconds passes in no time.
class ScriptedRemote : public RemoteDevice
{
public:
    // Script
    bool carrierAccepted = true;
    int successfulPoll = 0;  // 1-based; 0: never
    int linkLostAfterPoll = 0;
    int stopAtPoll = 0;
    std::string code;
    qint64 carrierMillis = 0;
    qint64 pollMillis = 100;
    QSemaphore *carrierEntered = nullptr;  // when set, capture mode waits for carrierGo
    QSemaphore *carrierGo = nullptr;
    // The capture's own clock, and polls that take their time.
    bool steadyClock = false;

    // Record
    qint64 millis = 0;
    int carrierCalls = 0;
    int polls = 0;
    int linkCalls = 0;
    int dirtyBuffers = 0;

    TCollectCode::Clock clock()
    {
        if (steadyClock)
            return {};
        return [this] { return millis / 1000; };
    }

    bool SetCodeCarrierWave() override
    {
        ++carrierCalls;
        if (carrierEntered) {
            carrierEntered->release();
            carrierGo->acquire();
        }
        millis += carrierMillis;
        return carrierAccepted;
    }
    bool RCollectCodeInfo(char *buffer) override
    {
        ++polls;
        millis += pollMillis;
        if (steadyClock)
            QThread::msleep(static_cast<unsigned long>(pollMillis));
        if (std::any_of(buffer, buffer + TCollectCode::bufferSize, [](char c) { return c != '\0'; }))
            ++dirtyBuffers;
        if (polls == stopAtPoll)
            QThread::currentThread()->requestInterruption();
        if (polls == successfulPoll) {
            std::memcpy(buffer, code.data(), code.size());
            return true;
        }
        // The library may leave anything behind in a buffer it fails to fill.
        std::memset(buffer, 'F', TCollectCode::bufferSize);
        return false;
    }
    bool link_state() override
    {
        ++linkCalls;
        return polls != linkLostAfterPoll;
    }

    bool ReadVersion(char *) override { return false; }
    bool readdatav20(char *, int, const char *, const char *, const char *) override { return false; }
    bool writedatav20(const char *, const char *, const char *, const char *) override { return false; }
    bool WCodeTypeData(const char *) override { return false; }
    bool RBasicInfo(char *) override { return false; }
};

struct Outcome
{
    bool completed = false;
    bool onUiThread = false;
    bool aliveAtCompletion = false;
    bool deleted = false;
    std::string code;
};

// Runs one capture to its end; `whileRunning` acts on the thread meanwhile.
Outcome capture(ScriptedRemote &remote, const std::function<void(TCollectCode *)> &whileRunning = {})
{
    Outcome outcome;
    std::string collectedcode = "left from an earlier capture";
    QObject window;
    QPointer<TCollectCode> thread;
    thread = TCollectCode::start(
        remote, collectedcode, &window,
        [&] {
            outcome.completed = true;
            outcome.onUiThread = QThread::currentThread() == window.thread();
            outcome.aliveAtCompletion = !thread.isNull();
            outcome.code = collectedcode;
        },
        remote.clock());
    if (whileRunning)
        whileRunning(thread);
    if (!QTest::qWaitFor([&] { return outcome.completed && thread.isNull(); }, TestTime::scaled(10000)))
        qWarning("the capture did not end and release itself within 10 s");
    outcome.deleted = thread.isNull();
    return outcome;
}

void verifyCompletion(const Outcome &outcome)
{
    QVERIFY(outcome.completed);
    QVERIFY(outcome.onUiThread);
    QVERIFY(outcome.aliveAtCompletion);
    QVERIFY(outcome.deleted);
}

std::string buffered(const std::string &code)
{
    std::string text = code;
    text.resize(TCollectCode::bufferSize, '\0');
    return text;
}
}  // namespace

class TCollectCodeTest : public QObject
{
    Q_OBJECT

private slots:
    void endings_data();
    void endings();
    void window_data();
    void window();
    void stopWhileSettingCaptureMode();
    void stopWhilePolling();
};

void TCollectCodeTest::endings_data()
{
    QTest::addColumn<bool>("carrierAccepted");
    QTest::addColumn<int>("successfulPoll");
    QTest::addColumn<int>("linkLostAfterPoll");
    QTest::addColumn<std::string>("code");
    QTest::addColumn<int>("polls");
    QTest::addColumn<int>("linkCalls");
    QTest::addColumn<std::string>("collected");

    const std::string code = "830003008600" + std::string(80, 'F') + "4E4E4E00";
    QTest::newRow("capture mode refused") << false << 1 << 0 << code << 0 << 0 << std::string();
    QTest::newRow("code at the first poll") << true << 1 << 0 << code << 1 << 0 << buffered(code);
    QTest::newRow("code at the fourth poll") << true << 4 << 0 << code << 4 << 3 << buffered(code);
    QTest::newRow("code of zero bytes only")
        << true << 2 << 0 << std::string() << 2 << 1 << std::string(TCollectCode::bufferSize, '\0');
    QTest::newRow("link lost at the first poll") << true << 0 << 1 << code << 1 << 1 << std::string();
    QTest::newRow("link lost later") << true << 0 << 5 << code << 5 << 5 << std::string();
}

void TCollectCodeTest::endings()
{
    ScriptedRemote remote;
    QFETCH(bool, carrierAccepted);
    QFETCH(int, successfulPoll);
    QFETCH(int, linkLostAfterPoll);
    QFETCH(std::string, code);
    remote.carrierAccepted = carrierAccepted;
    remote.successfulPoll = successfulPoll;
    remote.linkLostAfterPoll = linkLostAfterPoll;
    remote.code = code;

    const Outcome outcome = capture(remote);
    verifyCompletion(outcome);
    QFETCH(std::string, collected);
    QCOMPARE(outcome.code.size(), collected.size());
    QVERIFY(outcome.code == collected);
    QCOMPARE(remote.carrierCalls, 1);
    QTEST(remote.polls, "polls");
    QTEST(remote.linkCalls, "linkCalls");
    QCOMPARE(remote.dirtyBuffers, 0);
}

void TCollectCodeTest::window_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<int>("carrierMillis");
    QTest::addColumn<int>("polls");
    QTest::addColumn<bool>("steadyClock");

    // Polls of 100 ms; the capture ends at the first check 7 whole seconds on.
    const QDate day(2024, 6, 14);
    QTest::newRow("noon") << QDateTime(day, QTime(12, 0)) << 0 << 70 << false;
    QTest::newRow("23:59:57") << QDateTime(day, QTime(23, 59, 57)) << 0 << 70 << false;
    QTest::newRow("23:59:57.500") << QDateTime(day, QTime(23, 59, 57, 500)) << 0 << 65 << false;
    QTest::newRow("23:59:59.999") << QDateTime(day, QTime(23, 59, 59, 999)) << 0 << 61 << false;
    QTest::newRow("end of the year") << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 57)) << 0 << 70 << false;
    QTest::newRow("capture mode takes 300 ms") << QDateTime(day, QTime(12, 0)) << 300 << 67 << false;
    // The window as the program has it: the polls depend on where in its second it starts.
    QTest::newRow("the steady clock") << QDateTime() << 0 << -1 << true;
}

void TCollectCodeTest::window()
{
    QFETCH(QDateTime, start);
    QFETCH(int, carrierMillis);
    QFETCH(bool, steadyClock);
    ScriptedRemote remote;
    remote.millis = start.toMSecsSinceEpoch();
    remote.carrierMillis = carrierMillis;
    remote.steadyClock = steadyClock;

    QElapsedTimer timer;
    timer.start();
    const Outcome outcome = capture(remote);
    verifyCompletion(outcome);
    QVERIFY(outcome.code.empty());
    if (!steadyClock)
        QTEST(remote.polls, "polls");
    const qint64 elapsed = steadyClock ? timer.elapsed() : remote.millis - start.toMSecsSinceEpoch();
    // The last poll and the hand-over to this thread take their time too.
    const qint64 latest = steadyClock ? 7000 + TestTime::scaled(500) : 7000;
    QVERIFY2(elapsed >= 6000 && elapsed <= latest, qPrintable(QString::number(elapsed)));
}

void TCollectCodeTest::stopWhileSettingCaptureMode()
{
    ScriptedRemote remote;
    remote.successfulPoll = 1;
    QSemaphore entered;
    QSemaphore go;
    remote.carrierEntered = &entered;
    remote.carrierGo = &go;

    const Outcome outcome = capture(remote, [&](TCollectCode *thread) {
        QVERIFY(entered.tryAcquire(1, 5000));
        // Returns at once although the thread is held inside the remote.
        thread->requestInterruption();
        go.release();
    });
    verifyCompletion(outcome);
    QVERIFY(outcome.code.empty());
    QCOMPARE(remote.polls, 0);
    QCOMPARE(remote.linkCalls, 0);
}

void TCollectCodeTest::stopWhilePolling()
{
    ScriptedRemote remote;
    remote.stopAtPoll = 3;
    remote.successfulPoll = 4;

    const Outcome outcome = capture(remote);
    verifyCompletion(outcome);
    QVERIFY(outcome.code.empty());
    QCOMPARE(remote.polls, 3);
    QCOMPARE(remote.linkCalls, 3);
}

QTEST_GUILESS_MAIN(TCollectCodeTest)
#include "TCollectCodeTest.moc"
