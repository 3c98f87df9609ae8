#include <QtTest>

#include <cmath>
#include <limits>

#include "InfraredReceiver.h"
#include "ReceiverCapture.h"

Q_DECLARE_METATYPE(InfraredSignal)

namespace
{
using Words = std::vector<std::uint16_t>;

// What a reader of the capture gets back: durations in microseconds with the
// receiver's skew taken out (marks: units / 3 - 58, spaces: units / 3 + 58,
// truncated), the carrier from the closing words, and whether the capture
// was well formed: mark first, alternating, closed by twenty "7FFF" words
// in a space position and two closing words.
struct Readback
{
    std::vector<int> durations;
    int carrierKHz = 0;
    bool wellFormed = false;
    QString problem;
};

Readback readBack(const Words &words)
{
    Readback result;
    std::size_t i = 0;
    bool mark = true;
    while (i < words.size()) {
        if (mark) {
            std::uint32_t units = 0;
            if (words[i] == 0x7FFF && i + 1 < words.size() && (words[i + 1] & 0x8000)) {
                units = 0x7FFF + (words[i + 1] & 0x7FFF);
                i += 2;
            } else if (words[i] & 0x8000) {
                units = words[i++] & 0x7FFF;
            } else {
                result.problem = QString("word %1 is not a mark").arg(i);
                return result;
            }
            result.durations.push_back(static_cast<int>(units / 3) - 58);
        } else {
            std::size_t run = 0;
            while (i + run < words.size() && words[i + run] == 0x7FFF) {
                ++run;
            }
            if (run >= 20) {
                if (run != 20 || i + 22 != words.size()) {
                    result.problem = "the closing silence is not followed by exactly two words";
                    return result;
                }
                const int p1 = words[i + 20] >> 8, p2 = words[i + 20] & 0xFF, p3 = words[i + 21] >> 8;
                const int sum = p1 + p2 + p3;
                result.carrierKHz = sum == 0 ? 0 : static_cast<int>(1000 / (sum / 9.0));
                result.wellFormed = (words[i + 21] & 0xFF) == 0;
                return result;
            }
            if (i + run >= words.size() || (words[i + run] & 0x8000)) {
                result.problem = QString("the space at word %1 has no remainder").arg(i);
                return result;
            }
            result.durations.push_back(static_cast<int>((run * 0x7FFF + words[i + run]) / 3) + 58);
            i += run + 1;
        }
        mark = !mark;
    }
    result.problem = "no closing silence";
    return result;
}

Words capture(const InfraredSignal &signal)
{
    const auto words = ReceiverCapture::words(signal);
    return words ? *words : Words();
}

// An NEC-like frame: leader, 32 bits of address, inverse, command, inverse, stop mark.
std::vector<double> necFrame(std::uint32_t bits)
{
    std::vector<double> durations = {9000, 4500};
    for (int i = 0; i < 32; ++i) {
        durations.push_back(560);
        durations.push_back((bits >> i) & 1 ? 1690 : 560);
    }
    durations.push_back(560);
    return durations;
}

void verifyWithinOneMicrosecond(const std::vector<double> &sent, const Readback &back)
{
    QVERIFY2(back.wellFormed, qPrintable(back.problem));
    QCOMPARE(back.durations.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        QVERIFY2(std::abs(back.durations[i] - sent[i]) < 1.0,
                 qPrintable(QString("duration %1: sent %2, read %3").arg(i).arg(sent[i]).arg(back.durations[i])));
    }
}
}  // namespace

class InfraredReceiverTest : public QObject
{
    Q_OBJECT

private slots:
    void singleFrame()
    {
        const auto frame = necFrame(0xEF10FB04);
        const Words words = capture({38000, frame});
        QCOMPARE(words.size(), frame.size() + 22);
        QCOMPARE(words[0], std::uint16_t(0x8000 | 27174));  // 3 x (9000 + 58)
        QCOMPARE(words[1], std::uint16_t(13326));           // 3 x (4500 - 58)
        const Readback back = readBack(words);
        verifyWithinOneMicrosecond(frame, back);
        QCOMPARE(back.carrierKHz, 38);
    }

    void repeatFrames()
    {
        // A frame, then repeat codes 40 ms and 96 ms later: the gaps become
        // runs of "7FFF" and a remainder; a trailing space is not captured.
        std::vector<double> signal = necFrame(0x00FF00FF);
        const std::size_t firstGap = signal.size();
        signal.insert(signal.end(), {40000, 9000, 2250, 560, 96000, 9000, 2250, 560, 100000});
        const Words words = capture({38000, signal});
        const Readback back = readBack(words);
        signal.pop_back();
        verifyWithinOneMicrosecond(signal, back);
        const std::size_t gapWord = firstGap;  // one word per duration up to the gap
        const std::uint32_t units = 3 * (40000 - 58);
        QCOMPARE(Words(words.begin() + gapWord, words.begin() + gapWord + 4),
                 Words({0x7FFF, 0x7FFF, 0x7FFF, static_cast<std::uint16_t>(units - 3 * 0x7FFF)}));
    }

    void longDurations_data()
    {
        QTest::addColumn<double>("mark");
        QTest::addColumn<double>("space");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("long mark") << 15000.0 << 600.0 << QList<int>{0x7FFF, 0x8000 | (45174 - 0x7FFF), 1626};
        QTest::newRow("longest mark") << 50000.0 << 600.0 << QList<int>{0x7FFF, 0xFFFF, 1626};
        QTest::newRow("mark of one word") << 10864.0 << 600.0 << QList<int>{0x8000 | 32766, 1626};
        QTest::newRow("space of two words exactly")
            << 600.0 << 2 * 0x7FFF / 3.0 + 58 << QList<int>{0x8000 | 1974, 0x7FFF, 0x7FFF, 0};
        QTest::newRow("space of nineteen words")
            << 600.0 << 19 * 0x7FFF / 3.0 + 58 + 100
            << QList<int>{0x8000 | 1974} + QList<int>(19, 0x7FFF) + QList<int>{300};
    }

    void longDurations()
    {
        QFETCH(double, mark);
        QFETCH(double, space);
        QFETCH(QList<int>, expected);
        const Words words = capture({38000, {mark, space, 600}});
        QList<int> head(words.begin(), words.begin() + expected.size());
        QCOMPARE(head, expected);
        const Readback back = readBack(words);
        QVERIFY2(back.wellFormed, qPrintable(back.problem));
        QCOMPARE(back.durations.size(), std::size_t{3});
        if (mark < 20000) {
            QVERIFY(std::abs(back.durations[0] - mark) < 1.0);
        }
        QVERIFY(std::abs(back.durations[1] - space) < 1.0);
    }

    void longSilenceEndsTheCapture()
    {
        // Twenty "7FFF" words of silence and the receiver stops listening.
        const double silence = 20 * 0x7FFF / 3.0 + 58;
        const Words words = capture({38000, {600, silence, 600, 600, 600}});
        const Readback back = readBack(words);
        QVERIFY2(back.wellFormed, qPrintable(back.problem));
        QCOMPARE(back.durations, std::vector<int>{600});
        QCOMPARE(readBack(capture({38000, {600, silence - 1, 600}})).durations.size(), std::size_t{3});
    }

    void carrier_data()
    {
        QTest::addColumn<int>("hz");
        QTest::addColumn<int>("kHz");
        QTest::newRow("36 kHz") << 36000 << 36;
        QTest::newRow("38 kHz") << 38000 << 38;
        QTest::newRow("40 kHz") << 40000 << 40;
        QTest::newRow("56 kHz") << 56000 << 56;
        QTest::newRow("37.9 kHz") << 37900 << 38;
        QTest::newRow("12 kHz") << 12000 << 12;
        QTest::newRow("15 kHz") << 15000 << 15;
        QTest::newRow("30 kHz") << 30000 << 30;
        QTest::newRow("no carrier") << 0 << 0;
        QTest::newRow("too low to carry") << 11000 << 0;
    }

    void carrier()
    {
        QFETCH(int, hz);
        QFETCH(int, kHz);
        const auto closing = ReceiverCapture::carrierWords(hz);
        QVERIFY(closing[0] != 0x7FFF && closing[1] != 0x7FFF);
        QCOMPARE(closing[1] & 0xFF, 0);
        if (kHz == 0) {
            QCOMPARE(closing[0] | closing[1], 0);
        }
        // The three bytes differ by at most one.
        const int p1 = closing[0] >> 8, p2 = closing[0] & 0xFF, p3 = closing[1] >> 8;
        QVERIFY(std::max({p1, p2, p3}) - std::min({p1, p2, p3}) <= 1);
        QCOMPARE(readBack(capture({hz, {600}})).carrierKHz, kHz);
    }

    void everyCommonCarrierReadsBack()
    {
        for (int kHz = 12; kHz <= 94; ++kHz) {
            QCOMPARE(readBack(capture({1000 * kHz, {600}})).carrierKHz, kHz);
        }
    }

    void capacity()
    {
        // More than the 2560-word buffer holds: cut after a mark, then closed.
        std::vector<double> signal;
        for (int i = 0; i < 3000; ++i) {
            signal.push_back(500 + i % 7);
        }
        const Words words = capture({38000, signal});
        QCOMPARE(words.size(), std::size_t{2537 + 22});
        const Readback back = readBack(words);
        QVERIFY2(back.wellFormed, qPrintable(back.problem));
        signal.resize(2537);
        verifyWithinOneMicrosecond(signal, back);

        // A long mark that would not fit is dropped whole, with the space before it.
        std::vector<double> tight(2537, 560.0);
        tight.push_back(600);
        tight.push_back(15000);
        const Words cut = capture({38000, tight});
        QCOMPARE(cut.size(), std::size_t{2537 + 22});
        QVERIFY(cut[2536] & 0x8000);
    }

    void readbackWithinOneMicrosecond()
    {
        // Fractional durations across the whole one-word range, as marks and spaces.
        std::vector<double> signal;
        for (double d = 60.3; d < 10860; d += 9.77) {
            signal.push_back(d);
        }
        for (std::size_t from = 0; from < signal.size(); from += 1001) {
            std::vector<double> part(signal.begin() + from, signal.begin() + std::min(signal.size(), from + 1001));
            // Each capture ends on its last mark.
            for (int kind = 0; kind < 2; ++kind) {
                if (part.size() % 2 == 0) {
                    part.pop_back();
                }
                verifyWithinOneMicrosecond(part, readBack(capture({38000, part})));
                part.insert(part.begin(), 700);  // the same durations as the other kind
            }
        }
    }

    void unsoundSignals_data()
    {
        QTest::addColumn<InfraredSignal>("signal");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("empty") << InfraredSignal{38000, {}};
        QTest::newRow("zero") << InfraredSignal{38000, {600, 0, 600}};
        QTest::newRow("negative") << InfraredSignal{38000, {600, -5, 600}};
        QTest::newRow("not a number") << InfraredSignal{38000, {nan}};
        QTest::newRow("infinite") << InfraredSignal{38000, {600, inf}};
        QTest::newRow("negative carrier") << InfraredSignal{-38000, {600}};
    }

    void unsoundSignals()
    {
        QFETCH(InfraredSignal, signal);
        QVERIFY(!ReceiverCapture::words(signal));
        InfraredReceiver receiver;
        receiver.arm();
        QVERIFY(!receiver.hear(signal));
        QVERIFY(receiver.waiting());
    }
};

QTEST_GUILESS_MAIN(InfraredReceiverTest)
#include "InfraredReceiverTest.moc"
