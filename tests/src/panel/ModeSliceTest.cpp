#include <QtTest>

#include "ModeSlice.h"

using Kind = ModeSlice::Kind;
using Kinds = std::map<std::string, Kind>;
Q_DECLARE_METATYPE(Kinds)

// Reading one device mode's entries of the key-state list.
class ModeSliceTest : public QObject
{
    Q_OBJECT

private:
    // Three modes of three entries each.
    static std::vector<std::string> list(std::vector<std::string> tv, std::vector<std::string> cbl,
                                         std::vector<std::string> sat)
    {
        std::vector<std::string> all = tv;
        all.insert(all.end(), cbl.begin(), cbl.end());
        all.insert(all.end(), sat.begin(), sat.end());
        return all;
    }

private slots:
    void kindsOfTheMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Kinds>("expected");
        QTest::addColumn<bool>("learned");
        QTest::newRow("TV") << 0 << Kinds{{"10", Kind::Downloaded}, {"12", Kind::None}, {"13", Kind::Learned}} << true;
        // 12 twice: the later entry decides; an unknown kind and a short entry change nothing.
        QTest::newRow("CBL, later wins") << 1 << Kinds{{"10", Kind::None}, {"12", Kind::Learned}} << true;
        QTest::newRow("SAT, unknown kind ignored") << 2 << Kinds{{"12", Kind::Downloaded}} << false;
    }

    void kindsOfTheMode()
    {
        QFETCH(int, mode);
        QFETCH(Kinds, expected);
        QFETCH(bool, learned);
        const std::vector<std::string> keystates =
            list({"10|1|0", "12|0|0", "13|2|1|0000"}, {"12|1|0", "10|0|0", "12|2|0"}, {"12|1|0", "12|7|0", "1"});
        const ModeSlice slice(keystates, mode, 3);
        QCOMPARE(slice.kinds(), expected);
        QCOMPARE(slice.hasLearned(), learned);
    }

    void aSliceHoldsOnlyWhatTheListHas_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("keyspermode");
        QTest::addColumn<int>("codes");
        QTest::newRow("cut short") << 1 << 3 << 1;
        QTest::newRow("beyond the end") << 5 << 3 << 0;
        QTest::newRow("no keys per mode") << 0 << 0 << 0;
        QTest::newRow("negative mode") << -1 << 3 << 0;
    }

    void aSliceHoldsOnlyWhatTheListHas()
    {
        QFETCH(int, mode);
        QFETCH(int, keyspermode);
        QFETCH(int, codes);
        const std::vector<std::string> keystates{"10|2|0", "12|2|0", "13|2|0", "14|2|0"};
        const ModeSlice slice(keystates, mode, keyspermode);
        QCOMPARE(int(slice.kinds().size()), codes);
        QCOMPARE(slice.hasLearned(), codes > 0);
    }
};

QTEST_APPLESS_MAIN(ModeSliceTest)
#include "ModeSliceTest.moc"
