#include <QtTest>

#include <random>

#include "DurationClusters.h"
#include "DurationText.h"

Q_DECLARE_METATYPE(std::vector<int>)
Q_DECLARE_METATYPE(DurationClusters::Spread)

// Reading the duration text and grouping its lengths.
class TimingTest : public QObject
{
    Q_OBJECT

private slots:
    void durationText_data();
    void durationText();
    void jitterNeverMovesALengthToAnotherCluster_data();
    void jitterNeverMovesALengthToAnotherCluster();
    void tightClustersPartLengthsThatWideOnesJoin();
    void clustersOfOneLengthStayNarrow();
    void tooManyClustersMergeTheClosest();
};

void TimingTest::durationText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::vector<int>>("durations");  // all frames, gaps as spaces

    QTest::newRow("lone frame") << "2328119402300230023006990230FEFE0014EDED"
                                << std::vector<int>{9000, 4500, 560, 560, 560, 1689, 560};
    QTest::newRow("two frames") << "23281194023006990230FEFE0028EDED232808CA0230EDED"
                                << std::vector<int>{9000, 4500, 560, 1689, 560, 40500, 9000, 2250, 560};
    QTest::newRow("lower case") << "23281194023006990230fefe0028eded232808ca0230eded"
                                << std::vector<int>{9000, 4500, 560, 1689, 560, 40500, 9000, 2250, 560};
    QTest::newRow("negative mark") << "2328119402300230FFFFFFC40230023006990230FEFE0014EDED"
                                   << std::vector<int>{9000, 4500, 560, 560, 0, 560, 560, 1689, 560};
    QTest::newRow("rest of a header") << "122328119402300230023006990230FEFE0014EDED"
                                      << std::vector<int>{9000, 4500, 560, 560, 560, 1689, 560};
}

void TimingTest::durationText()
{
    QFETCH(QString, text);
    QFETCH(std::vector<int>, durations);
    const std::optional<IrSignal> signal = DurationText::parse(text.toStdString());
    QVERIFY(signal);
    QCOMPARE(signal->flatDurations(), durations);
    QCOMPARE(signal->frames.back().gapAfterUs, 0);
}

void TimingTest::jitterNeverMovesALengthToAnotherCluster_data()
{
    QTest::addColumn<DurationClusters::Spread>("clusterSpread");
    QTest::newRow("wide") << DurationClusters::Spread::Wide;
    QTest::newRow("tight") << DurationClusters::Spread::Tight;
}

void TimingTest::jitterNeverMovesALengthToAnotherCluster()
{
    QFETCH(DurationClusters::Spread, clusterSpread);
    // Lengths 1.27 times apart or more stay apart under 5 % jitter.
    const std::vector<int> nominal{420, 560, 1280, 1700, 2200, 3400, 4400};
    std::mt19937 random(11);
    std::uniform_real_distribution<double> spread(0.95, 1.05);
    for (int round = 0; round < 200; ++round) {
        std::vector<int> lengths;
        std::vector<std::size_t> kinds;
        for (int i = 0; i < 60; ++i) {
            const std::size_t kind = random() % nominal.size();
            kinds.push_back(kind);
            lengths.push_back(static_cast<int>(nominal[kind] * spread(random)));
        }
        const DurationClusters clusters(lengths, 14, clusterSpread);
        for (std::size_t i = 0; i < lengths.size(); ++i) {
            for (std::size_t j = 0; j < lengths.size(); ++j) {
                QCOMPARE(clusters.clusterOf(i) == clusters.clusterOf(j), kinds[i] == kinds[j]);
            }
        }
    }
}

void TimingTest::tightClustersPartLengthsThatWideOnesJoin()
{
    // Marks of 1050 and 1200 us (one remote's two timings, say), each with 1 %
    // of jitter: one cluster is wider than a faithful copy of its mean allows.
    std::vector<int> lengths;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> spread(0.99, 1.01);
    for (int i = 0; i < 40; ++i) {
        lengths.push_back(static_cast<int>((i % 2 == 0 ? 1050 : 1200) * spread(random)));
    }
    QCOMPARE(DurationClusters(lengths, 14).size(), std::size_t(1));
    const DurationClusters tight(lengths, 14, DurationClusters::Spread::Tight);
    QCOMPARE(tight.size(), std::size_t(2));
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        QCOMPARE(tight.clusterOf(i), i % 2);
    }
}

void TimingTest::clustersOfOneLengthStayNarrow()
{
    // A run of lengths each a little longer than the last is cut where it
    // spans more than 40 %, so no cluster's mean is far from its members.
    std::vector<int> lengths;
    for (double length = 500; length < 3000; length *= 1.05) {
        lengths.push_back(static_cast<int>(length));
    }
    const DurationClusters clusters(lengths, 14);
    QVERIFY(clusters.size() > 1);
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const double mean = clusters.mean(clusters.clusterOf(i));
        QVERIFY2(lengths[i] < 1.4 * mean && mean < 1.4 * lengths[i], qPrintable(QString::number(lengths[i])));
    }
}

void TimingTest::tooManyClustersMergeTheClosest()
{
    const std::vector<int> lengths{100, 200, 400, 800, 1000, 1600, 3200};
    const DurationClusters clusters(lengths, 6);
    QCOMPARE(clusters.size(), std::size_t(6));
    // 800 and 1000 are the closest neighbours.
    QCOMPARE(clusters.clusterOf(3), clusters.clusterOf(4));
    QCOMPARE(clusters.mean(clusters.clusterOf(3)), 900.0);
    for (std::size_t i = 0; i + 1 < clusters.size(); ++i) {
        QVERIFY(clusters.mean(i) < clusters.mean(i + 1));
    }
}

QTEST_APPLESS_MAIN(TimingTest)
#include "TimingTest.moc"
