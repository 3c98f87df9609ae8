#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include "RoundTrip.h"

namespace
{
QJsonObject objectOf(const std::string &text)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

// The answer is one line: nothing of it may break the line.
QJsonObject answerTo(const std::string &line, RoundTrip::Totals &totals)
{
    const std::string text = RoundTrip::run(line, totals);
    return text.find('\n') == std::string::npos ? objectOf(text) : QJsonObject();
}

// NEC1 D=0x20 F=0x02 as a remote of its own timing sends it: marks 640 us,
// one frame and one ditto, or the frame alone.
std::string necLine(int carrierHz, bool ditto = true)
{
    std::string durations = "9400,4450";
    const std::uint32_t bits = 0x20u | 0xDFu << 8 | 0x02u << 16 | 0xFDu << 24;
    for (int i = 0; i < 32; ++i) {
        durations += ",640," + std::string((bits >> i & 1) != 0 ? "1620" : "500");
    }
    durations += ditto ? ",640,40000,9400,2200,640" : ",640";
    return "{\"frequency\":" + std::to_string(carrierHz) + ",\"durations\":[" + durations + "]}";
}
}  // namespace

class RoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    void errorsKeepWhatTheLineSaid();
    void rawNecKeepsItsTiming();
    void carrierCounts();
    void carrierGoesTheToolsWay_data();
    void carrierGoesTheToolsWay();
    void parsedSignalsComeBackAsTheirProtocol_data();
    void parsedSignalsComeBackAsTheirProtocol();
    void badSignalsGetAnError_data();
    void badSignalsGetAnError();
    void learnedCodeCostsItsBlocks();
};

// A name read with escapes comes back in the error as it was meant.
void RoundTripTest::errorsKeepWhatTheLineSaid()
{
    RoundTrip::Totals totals;
    const QJsonObject answer = answerTo(R"({"protocol":"X\"Y\\\u00e9\n","address":1,"command":1})", totals);
    QCOMPARE(answer.value("error").toString(), QString::fromUtf8("no protocol definition for X\"Y\\\u00e9\n"));
}

void RoundTripTest::rawNecKeepsItsTiming()
{
    RoundTrip::Totals totals;
    const QJsonObject answer = answerTo(necLine(38000), totals);
    QCOMPARE(answer.value("protocol").toString(), "NEC1");
    QCOMPARE(answer.value("fields").toObject(), objectOf(R"({"D":32,"S":223,"F":2,"E":253})"));
    QCOMPARE(answer.value("bytes").toDouble(-1), 22.0);
    QVERIFY(answer.value("faithful").toBool());
    // Within 5 % of the longest mark, 9400 us.
    QVERIFY(answer.value("worst_us").toDouble(471) <= 470);
    QCOMPARE(answer.value("sent")["durations"].toArray().size(), 2 + 64 + 1 + 1 + 3);
    QCOMPARE(totals.rawFaithful, 1);
    QCOMPARE(totals.rawKnown, 1);
}

void RoundTripTest::carrierCounts()
{
    RoundTrip::Totals totals;
    // 200 kHz is more than a known code keeps: it goes out at NEC's own.
    const QJsonObject answer = answerTo(necLine(200000), totals);
    QVERIFY(!answer.value("faithful").toBool(true));
    QCOMPARE(totals.rawTimingFaithful, 1);
}

// 20 bits of no known protocol.
std::string learnedLine(int carrierHz)
{
    std::string durations = "3000,3000";
    for (int i = 0; i < 20; ++i) {
        durations += ",500," + std::string(i % 3 == 0 ? "1500" : "500");
    }
    return "{\"frequency\":" + std::to_string(carrierHz) + ",\"durations\":[" + durations + ",500]}";
}

// The capture's carrier reaches the converter through the encoded capture's header.
void RoundTripTest::carrierGoesTheToolsWay_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<int>("sentHz");
    QTest::addColumn<bool>("faithful");

    QTest::newRow("learned at 56 kHz") << QString::fromStdString(learnedLine(56000)) << "learned" << 56000 << true;
    QTest::newRow("learned at 36 kHz") << QString::fromStdString(learnedLine(36000)) << "learned" << 36000 << true;
    QTest::newRow("learned without carrier") << QString::fromStdString(learnedLine(0)) << "learned" << 38000 << false;
    QTest::newRow("NEC frame at 40 kHz is Pioneer")
        << QString::fromStdString(necLine(40000, false)) << "Pioneer" << 40000 << true;
    QTest::newRow("NEC frame at 38 kHz") << QString::fromStdString(necLine(38000, false)) << "NEC1" << 38000 << true;
    QTest::newRow("NEC at 56 kHz goes out at 56 kHz")
        << QString::fromStdString(necLine(56000)) << "NEC1" << 56000 << true;
    QTest::newRow("NEC at 200 kHz goes out at NEC's own")
        << QString::fromStdString(necLine(200000)) << "NEC1" << 38400 << false;
}

void RoundTripTest::carrierGoesTheToolsWay()
{
    QFETCH(QString, line);
    QFETCH(QString, protocol);
    QFETCH(int, sentHz);
    QFETCH(bool, faithful);
    RoundTrip::Totals totals;
    const QJsonObject answer = answerTo(line.toStdString(), totals);
    QCOMPARE(answer.value("protocol").toString(), protocol);
    QCOMPARE(answer.value("sent")["frequency"].toDouble(-1), double(sentHz));
    QCOMPARE(answer.value("faithful").toBool(!faithful), faithful);
    QCOMPARE(totals.rawTimingFaithful, 1);
}

void RoundTripTest::parsedSignalsComeBackAsTheirProtocol_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("fields");

    QTest::newRow("NEC") << R"({"protocol":"NEC","address":4,"command":8})"
                         << "NEC1"
                         << R"({"D":4,"S":251,"F":8,"E":247})";
    QTest::newRow("NECext, 16-bit command") << R"({"protocol":"NECext","address":65280,"command":4660})"
                                            << "NEC1-f16"
                                            << R"({"D":0,"S":255,"F":52,"E":18})";
    QTest::newRow("Samsung32") << R"({"protocol":"Samsung32","address":7,"command":2})"
                               << "NECx1"
                               << R"({"D":7,"S":7,"F":2,"E":253})";
    QTest::newRow("RC5X") << R"({"protocol":"RC5X","address":5,"command":2})"
                          << "RC5"
                          << R"({"D":5,"F":66,"T":0})";
    QTest::newRow("SIRC20") << R"({"protocol":"SIRC20","address":7002,"command":95})"
                            << "Sony20"
                            << R"({"D":26,"S":218,"F":95})";
    // Denon's maker code is Denon-K's; its F is the recorder's command.
    QTest::newRow("Kaseikyo of Denon") << R"({"protocol":"Kaseikyo","address":3298369,"command":368})"
                                       << "Denon-K"
                                       << R"({"D":4,"S":1,"F":368})";
    QTest::newRow("Kaseikyo of JVC") << R"({"protocol":"Kaseikyo","address":66341,"command":291})"
                                     << "JVC-48"
                                     << R"({"D":34,"S":53,"F":18})";
    QTest::newRow("Kaseikyo of Panasonic") << R"({"protocol":"Kaseikyo","address":2097792,"command":1})"
                                           << "Panasonic"
                                           << R"({"D":128,"S":16,"F":0})";
    QTest::newRow("NEC42") << R"({"protocol":"NEC42","address":28,"command":9})"
                           << "NEC42"
                           << R"({"D":28,"F":9})";
    QTest::newRow("RCA") << R"({"protocol":"RCA","address":15,"command":84})"
                         << "RCA"
                         << R"({"D":15,"F":84})";
    QTest::newRow("Pioneer") << R"({"protocol":"Pioneer","address":165,"command":28})"
                             << "Pioneer"
                             << R"({"D":165,"S":90,"F":28,"E":227})";
}

void RoundTripTest::parsedSignalsComeBackAsTheirProtocol()
{
    QFETCH(QString, line);
    QFETCH(QString, protocol);
    QFETCH(QString, fields);
    RoundTrip::Totals totals;
    const QJsonObject answer = answerTo(line.toStdString(), totals);
    QCOMPARE(answer.value("protocol").toString(), protocol);
    QCOMPARE(answer.value("fields").toObject(), objectOf(fields.toStdString()));
    QCOMPARE(answer.value("expected")["fields"].toObject(), objectOf(fields.toStdString()));
    QVERIFY(answer.value("faithful").toBool());
    QCOMPARE(totals.parsedRecognised, 1);
}

void RoundTripTest::badSignalsGetAnError_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("not JSON") << "{";
    QTest::newRow("unclosed object") << R"({"a":1)";
    QTest::newRow("trailing text") << R"({"a":1} x)";
    QTest::newRow("no value") << R"({"a":})";
    QTest::newRow("bare word") << "nothing";
    QTest::newRow("unclosed string") << R"({"a":"b)";
    QTest::newRow("deep nesting") << QString(100, '[') + QString(100, ']');
    QTest::newRow("an array") << "[1,2]";
    QTest::newRow("zero duration") << R"({"frequency":38000,"durations":[9000,0,560]})";
    QTest::newRow("durations not numbers") << R"({"durations":["a"]})";
    QTest::newRow("three durations: no code") << R"({"durations":[9000,4500,560]})";
    QTest::newRow("unknown protocol") << R"({"protocol":"XYZ","address":1,"command":1})";
    QTest::newRow("Sony15 address beyond 8 bits") << R"({"protocol":"SIRC15","address":6650,"command":1})";
    QTest::newRow("no address") << R"({"protocol":"NEC","command":1})";
}

void RoundTripTest::badSignalsGetAnError()
{
    QFETCH(QString, line);
    RoundTrip::Totals totals;
    const QJsonObject answer = answerTo(line.toStdString(), totals);
    QVERIFY(!answer.value("error").toString().isEmpty());
    QCOMPARE(totals.errors, 1);
}

void RoundTripTest::learnedCodeCostsItsBlocks()
{
    // A learned format takes whole blocks.
    RoundTrip::Totals totals;
    const QJsonObject answer = answerTo(learnedLine(38000), totals);
    QCOMPARE(answer.value("protocol").toString(), "learned");
    QCOMPARE(answer.value("fields"), QJsonValue(QJsonObject()));
    const double bytes = answer.value("bytes").toDouble(-1);
    QVERIFY(bytes > 22);
    QCOMPARE(std::fmod(bytes - 22, 8.0), 0.0);
    QVERIFY(answer.value("faithful").toBool());
}

QTEST_GUILESS_MAIN(RoundTripTest)
#include "RoundTripTest.moc"
