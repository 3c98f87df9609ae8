#include <QtTest>

#include <algorithm>

#include "CodeConverter.h"
#include "ConverterInput.h"
#include "ConverterResult.h"
#include "FormatCodec.h"
#include "IrCorpus.h"
#include "SignalMatch.h"

namespace
{
constexpr std::size_t smokeCount = 400;

std::optional<IrSignal> regenerate(const ConverterResult &result)
{
    return result.known() ? FormatCodec::regenerate(result.knownRecord(), "")
                          : FormatCodec::regenerate(result.learnedRecord(), result.data.toStdString());
}

QString percent(int part, int whole)
{
    return QString::number(100.0 * part / std::max(whole, 1), 'f', 1) + " %";
}
}  // namespace

// Recordings of real remotes through the whole road: capture, conversion,
// and the transmitter's signal from the key record.
class CorpusTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recordingsConvertAndSendAgain();
    void damagedRecordingsGiveNothing();
    void largestRecordingFitsTheCodeArea();

private:
    std::vector<IrCorpus::Recording> m_all;
};

void CorpusTest::initTestCase()
{
    m_all = IrCorpus::rawRecordings(0);
    if (m_all.empty()) {
        QSKIP("the infrared corpus is not there");
    }
}

void CorpusTest::recordingsConvertAndSendAgain()
{
    int converted = 0;
    int known = 0;
    int faithful = 0;
    int close = 0;
    int relearned = 0;
    for (std::size_t i = 0; i < std::min(smokeCount, m_all.size()); ++i) {
        const IrCorpus::Recording &recording = m_all[i];
        const std::string text = CodeConverter::convert(ConverterInput::of(recording.signal));
        if (text.empty()) {
            continue;
        }
        const ConverterResult result = ConverterResult::of(text);
        const QString where = recording.remote + " " + recording.name;
        QVERIFY2(result.wellFormed, qPrintable(where));
        ++converted;
        known += result.known() ? 1 : 0;
        const std::optional<IrSignal> sent = regenerate(result);
        QVERIFY2(sent, qPrintable(where));
        faithful += SignalMatch::difference(recording.signal, *sent, 0.05).isEmpty() ? 1 : 0;
        close += SignalMatch::difference(recording.signal, *sent, 0.10).isEmpty() ? 1 : 0;
        // The transmitter's signal learns back as the same key.
        const ConverterResult again =
            ConverterResult::of(CodeConverter::convert(ConverterInput::of(SignalMatch::asSent(*sent))));
        const bool same = again.id == result.id && again.partA + again.partB == result.partA + result.partB;
        // A known key keeps its fields and repeats; its stretches may settle
        // on others that copy the sent signal as faithfully.
        const bool sameKey = again.keyCode() == result.keyCode();
        QVERIFY2(sameKey || !result.known(), qPrintable(where));
        relearned += same ? 1 : 0;
    }
    qInfo("%d recordings: %d converted (%d known formats); sent again within 5 %%: %s, within 10 %%: %s; "
          "learned back as the same key: %s",
          int(std::min(smokeCount, m_all.size())), converted, known, qPrintable(percent(faithful, converted)),
          qPrintable(percent(close, converted)), qPrintable(percent(relearned, converted)));
    QVERIFY(converted > 0);
}

void CorpusTest::damagedRecordingsGiveNothing()
{
    int damaged = 0;
    for (const IrCorpus::Recording &recording : m_all) {
        const auto &d = recording.signal.durations;
        const bool broken = d.size() < 4 || std::any_of(d.begin(), d.end(), [](double v) { return v <= 0; });
        if (broken) {
            ++damaged;
            QCOMPARE(CodeConverter::convert(ConverterInput::of(recording.signal)), std::string());
        }
    }
    QVERIFY(damaged > 0);
}

void CorpusTest::largestRecordingFitsTheCodeArea()
{
    const auto largest = std::max_element(m_all.begin(), m_all.end(), [](const auto &a, const auto &b) {
        return a.signal.durations.size() < b.signal.durations.size();
    });
    const ConverterResult result = ConverterResult::of(CodeConverter::convert(ConverterInput::of(largest->signal)));
    QVERIFY(result.wellFormed);
    const int blocks = int((result.data.size() / 2 + 7) / 8);
    qInfo("largest recording, %s %s: %d durations, format data %d bytes = %d blocks of 8", qPrintable(largest->remote),
          qPrintable(largest->name), int(largest->signal.durations.size()), int(result.data.size() / 2), blocks);
    QVERIFY(blocks <= 255);
    QVERIFY(regenerate(result));
}

QTEST_APPLESS_MAIN(CorpusTest)
#include "CorpusTest.moc"
