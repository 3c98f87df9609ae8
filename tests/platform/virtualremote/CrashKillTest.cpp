#include <QtTest>

#include "CrashKillRun.h"

// The server killed at random moments while it writes, a few dozen times.
class CrashKillTest : public QObject
{
    Q_OBJECT

private slots:
    void acknowledgedWritesSurviveKills_data()
    {
        QTest::addColumn<bool>("damageJournal");
        QTest::newRow("kills") << false;
        QTest::newRow("kills and a byte of the journal flipped") << true;
    }

    void acknowledgedWritesSurviveKills()
    {
        QFETCH(bool, damageJournal);
        QTemporaryDir directory;
        CrashKillRun::Options options;
        options.directory = directory.path();
        options.damageJournal = damageJournal;
        options.rounds = 25;
        options.longestLife = std::chrono::milliseconds(60);
        const auto figures = CrashKillRun::run(options);
        qInfo("%ld writes acknowledged, %ld cut off by a kill but whole", figures.acknowledged,
              figures.inFlightApplied);
        QVERIFY2(figures.problem.isEmpty(), qPrintable(figures.problem));
        QCOMPARE(figures.rounds, options.rounds);
        QCOMPARE(figures.lost, 0L);
        QCOMPARE(figures.halfApplied, 0L);
        // The kills must have met a server at work, not only ones just started.
        QVERIFY2(figures.acknowledged >= options.rounds, qPrintable(QString::number(figures.acknowledged)));
    }
};

QTEST_GUILESS_MAIN(CrashKillTest)
#include "CrashKillTest.moc"
