#include <QPointer>
#include <QTest>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>

#include "FactoryImage.h"
#include "QuickRemote.h"
#include "VirtualRemote.h"
#include "linkstate.h"

using namespace std::chrono_literals;

namespace
{
constexpr std::chrono::milliseconds testInterval{5};

// Stands where the window stands: records what the monitor asks for, on this
// thread, and answers its questions from a script. A script token is R
// (Retry), C (Cancel) or O (OK); a trailing + plugs the remote back in first.
class Observer : public QObject
{
public:
    QStringList events;
    QPointer<linkstate> thread;
    bool ended = false;

    Observer(RemoteDevice &device, VirtualRemote &remote, std::string remoteid, QString script,
             std::chrono::milliseconds interval = testInterval)
        : m_remote(remote)
        , m_script(script.split(QLatin1Char(' '), Qt::SkipEmptyParts))
    {
        thread = new linkstate(device, std::move(remoteid), interval);
        connect(thread, &linkstate::linkLost, this, [this] { events << QStringLiteral("lost"); });
        connect(thread, &linkstate::linkRestored, this, [this] { events << QStringLiteral("restored"); });
        connect(thread, &linkstate::reconnectQuestion, this, [this] { answer(QStringLiteral("reconnect")); });
        connect(thread, &linkstate::quitQuestion, this, [this] { answer(QStringLiteral("quit")); });
        connect(thread, &QThread::finished, this, [this] { ended = true; });
        thread->start();
    }

    ~Observer() override
    {
        if (thread)
            thread->requestStop();
        if (!QTest::qWaitFor([this] { return thread.isNull(); }, 5000))
            qFatal("the monitor neither ended nor released itself");
    }

    // Until `count` events were seen or the monitor ended.
    bool waitFor(qsizetype count)
    {
        return QTest::qWaitFor([&] { return ended || events.size() >= count; }, 5000);
    }

    qsizetype unusedAnswers() const { return m_script.size(); }

private:
    void answer(const QString &question)
    {
        events << question;
        if (m_script.isEmpty())
            return;  // left open, as by a user who does not answer
        QString token = m_script.takeFirst();
        if (token.endsWith(QLatin1Char('+')))
            m_remote.attach();
        thread->reply(token.startsWith(QLatin1Char('R')) || token.startsWith(QLatin1Char('O')));
    }

    VirtualRemote &m_remote;
    QStringList m_script;
};

enum class Comeback
{
    Same,
    OtherRemote,
    Unreadable,
    LastIdentityCharacterChanged,
    ChangedPastIdentity
};
}  // namespace

Q_DECLARE_METATYPE(Comeback)

class LinkstateTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QuickRemote> quick;

private slots:
    void init() { quick = std::make_unique<QuickRemote>(); }
    void answers_data();
    void answers();
    void comeback_data();
    void comeback();
    void lossIsReportedBeforeThePause();
    void stopEndsThePauseAtOnce();
    void stopReleasesAnOpenQuestion();
};

void LinkstateTest::answers_data()
{
    QTest::addColumn<bool>("withIdentity");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("endsByItself");

    QTest::newRow("Retry while away, then back") << true << "R R R+"
                                                 << "lost reconnect lost reconnect lost reconnect restored" << false;
    QTest::newRow("back before Retry") << true << "R+"
                                       << "lost reconnect restored" << false;
    QTest::newRow("Cancel then OK quits") << true << "C O"
                                          << "lost reconnect quit" << true;
    QTest::newRow("Cancel then OK quits, remote back or not") << true << "C O+"
                                                              << "lost reconnect quit" << true;
    QTest::newRow("Cancel then Cancel goes on like Retry") << true << "C C R+"
                                                           << "lost reconnect quit lost reconnect restored" << false;
    QTest::newRow("Cancel then Cancel with the remote back") << true << "C C+"
                                                             << "lost reconnect quit restored" << false;
    QTest::newRow("no identity: ends after Retry") << false << "R+"
                                                   << "lost reconnect" << true;
    QTest::newRow("no identity: ends after the quit box is cancelled") << false << "C C+"
                                                                       << "lost reconnect quit" << true;
    QTest::newRow("no identity: Cancel then OK") << false << "C O"
                                                 << "lost reconnect quit" << true;
}

void LinkstateTest::answers()
{
    QFETCH(bool, withIdentity);
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QFETCH(bool, endsByItself);
    const QStringList events = expected.split(QLatin1Char(' '));

    quick->remote->detach();
    Observer observer(*quick->device, *quick->remote, withIdentity ? quick->remoteid : std::string(), script);
    QVERIFY(observer.waitFor(events.size()));
    if (!observer.ended)
        QTest::qWait(int(10 * testInterval.count()));  // time for anything that should not happen
    QCOMPARE(observer.events, events);
    QCOMPARE(observer.ended, endsByItself);
    QCOMPARE(observer.unusedAnswers(), 0);
}

void LinkstateTest::comeback_data()
{
    QTest::addColumn<Comeback>("comeback");
    QTest::addColumn<bool>("lowerCaseIdentity");
    QTest::addColumn<bool>("same");

    QTest::newRow("the same remote") << Comeback::Same << false << true;
    QTest::newRow("another remote of the model") << Comeback::OtherRemote << false << false;
    QTest::newRow("identity unreadable") << Comeback::Unreadable << false << false;
    QTest::newRow("letter case differs") << Comeback::Same << true << false;
    QTest::newRow("only the last identity character differs")
        << Comeback::LastIdentityCharacterChanged << false << false;
    QTest::newRow("change past the identity") << Comeback::ChangedPastIdentity << false << true;
}

void LinkstateTest::comeback()
{
    QFETCH(Comeback, comeback);
    QFETCH(bool, lowerCaseIdentity);
    QFETCH(bool, same);
    if (lowerCaseIdentity) {
        const std::string upper = quick->remoteid;
        std::transform(quick->remoteid.begin(), quick->remoteid.end(), quick->remoteid.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        QVERIFY(quick->remoteid != upper);
    }

    quick->remote->detach();
    switch (comeback) {
    case Comeback::Same:
        break;
    case Comeback::OtherRemote:
        quick->remote->setIdentity(VirtualRemote::Identity::Other);
        break;
    case Comeback::Unreadable:
        quick->remote->injectFault(VirtualRemote::Operation::BasicInfo, 1);
        break;
    case Comeback::LastIdentityCharacterChanged: {
        // Character 30 is the low digit of byte 14.
        const std::uint16_t byte14 = FactoryImage::basicBlockAddress + linkstate::identityLength / 2 - 1;
        QVERIFY(quick->remote->poke(byte14, {std::uint8_t(quick->remote->dump(byte14, 1).at(0) ^ 0x01)}));
        break;
    }
    case Comeback::ChangedPastIdentity:
        // Byte 15 is characters 31 and 32 of the text.
        QVERIFY(quick->remote->poke(FactoryImage::basicBlockAddress + linkstate::identityLength / 2, {0x5A}));
        break;
    }
    Observer observer(*quick->device, *quick->remote, quick->remoteid, QStringLiteral("R+"));
    QVERIFY(observer.waitFor(3));
    if (!observer.ended)
        QTest::qWait(int(10 * testInterval.count()));
    QStringList expected{QStringLiteral("lost"), QStringLiteral("reconnect")};
    if (same)
        expected << QStringLiteral("restored");
    // Another remote ends the monitor at once: no restore and no further question.
    QCOMPARE(observer.events, expected);
    QCOMPARE(observer.ended, !same);
}

void LinkstateTest::lossIsReportedBeforeThePause()
{
    quick->remote->detach();
    Observer observer(*quick->device, *quick->remote, quick->remoteid, QString(), 60s);
    QVERIFY(observer.waitFor(2));
    QCOMPARE(observer.events, QStringList({QStringLiteral("lost"), QStringLiteral("reconnect")}));
}

void LinkstateTest::stopEndsThePauseAtOnce()
{
    Observer observer(*quick->device, *quick->remote, quick->remoteid, QString(), 60s);
    QTRY_VERIFY(observer.thread->isRunning());
    observer.thread->requestStop();
    QTRY_VERIFY_WITH_TIMEOUT(observer.ended, 2000);
    QVERIFY(observer.events.isEmpty());
}

void LinkstateTest::stopReleasesAnOpenQuestion()
{
    quick->remote->detach();
    Observer observer(*quick->device, *quick->remote, quick->remoteid, QString());
    QVERIFY(observer.waitFor(2));
    QTest::qWait(int(10 * testInterval.count()));
    QVERIFY(!observer.ended);  // waiting for the user, not polling
    observer.thread->requestStop();
    QTRY_VERIFY_WITH_TIMEOUT(observer.ended, 2000);
    QCOMPARE(observer.events, QStringList({QStringLiteral("lost"), QStringLiteral("reconnect")}));
}

QTEST_GUILESS_MAIN(LinkstateTest)
#include "LinkstateTest.moc"
