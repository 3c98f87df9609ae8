#include <QtTest>

#include "ModeSlice.h"

using Kind = KeyStateEntry::Kind;
using Kinds = std::map<std::string, Kind>;
Q_DECLARE_METATYPE(Kinds)

// Reading one device mode's entries of the key-state list.
class ModeSliceTest : public QObject
{
    Q_OBJECT

private:
    // Three modes of three entries each.
    static RemoteTables tables()
    {
        RemoteTables tables;
        tables.keyspermode = 3;
        tables.keystates = {"10|1|0", "12|0|0", "13|2|1|0000", "12|1|0", "10|0|0", "12|2|0", "12|1|0", "12|7|0", "1"};
        return tables;
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
        const RemoteTables keys = tables();
        const ModeSlice slice(keys, mode);
        QCOMPARE(slice.kinds(), expected);
        QCOMPARE(slice.hasLearned(), learned);
    }

    // A key's entry is looked for in the mode alone.
    void findsTheKeyInTheMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("keycode");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("learned");
        QTest::newRow("TV, learned") << 0 << "13" << 2 << true;
        // The first entry of 12 is downloaded; the learned one after it counts.
        QTest::newRow("CBL, first of two") << 1 << "12" << 3 << true;
        QTest::newRow("learned in another mode") << 1 << "13" << -1 << false;
        QTest::newRow("not a key code") << 2 << "1" << -1 << false;
    }

    void findsTheKeyInTheMode()
    {
        QFETCH(int, mode);
        QFETCH(QString, keycode);
        QFETCH(int, index);
        QFETCH(bool, learned);
        const RemoteTables keys = tables();
        const ModeSlice slice(keys, mode);
        const auto found = slice.find(keycode.toStdString(), KeyStateEntry::CodeMatch::Exact);
        QCOMPARE(found ? int(*found) : -1, index);
        QCOMPARE(slice.isLearned(keycode.toStdString()), learned);
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
        RemoteTables keys;
        keys.keyspermode = keyspermode;
        keys.keystates = {"10|2|0", "12|2|0", "13|2|0", "14|2|0"};
        const ModeSlice slice(keys, mode);
        QCOMPARE(int(slice.kinds().size()), codes);
        QCOMPARE(slice.hasLearned(), codes > 0);
    }
};

QTEST_APPLESS_MAIN(ModeSliceTest)
#include "ModeSliceTest.moc"
