#include <QtTest>

#include "CodeConverter.h"
#include "ConverterInput.h"
#include "ConverterResult.h"
#include "FormatCodec.h"
#include "HexText.h"
#include "KnownProtocols.h"
#include "LearnedFormat.h"
#include "RecognisedCode.h"
#include "SignalMatch.h"
#include "TestSignals.h"

using Fields = ProtocolCodec::Fields;
Q_DECLARE_METATYPE(Fields)

namespace
{
// The converter's answer for a signal as the tool's road gives it: the
// duration text and the carrier of the capture's header.
ConverterResult convert(const InfraredSignal &signal)
{
    const int carrierHz = ConverterInput::carrierOf(signal);
    return ConverterResult::of(CodeConverter::convert(ConverterInput::of(signal), carrierHz));
}

std::optional<IrSignal> regenerate(const ConverterResult &result)
{
    return result.known() ? FormatCodec::regenerate(result.knownRecord(), "")
                          : FormatCodec::regenerate(result.learnedRecord(), result.data.toStdString());
}

// `signal` as the receiver hears it at `carrierHz`.
InfraredSignal heardAt(const IrSignal &signal, int carrierHz)
{
    InfraredSignal heard = SignalMatch::asSent(signal);
    heard.carrierHz = carrierHz;
    return heard;
}

Fields withToggle(Fields fields, int toggle)
{
    fields.emplace_back("T", toggle);
    return fields;
}

std::optional<IrSignal> made(const QString &protocol, const Fields &fields, int repeats)
{
    const std::optional<KnownCode> code = KnownProtocols::make(protocol.toStdString(), fields, repeats);
    return code ? KnownProtocols::encode(*code) : std::nullopt;
}

// One MCE frame straight from its IRP, {36k,444,msb}<-1,1|1,-1>
// (6,-2,1:1,6:3,-2,2,OEM1:8,S:8,T:1,D:7,F:8,^107m), in units of 444 us:
// positive marks, negative spaces.
std::vector<int> mceUnits(int oem1, int s, int t, int d, int f)
{
    std::vector<int> units{6, -2, 1, -1};
    const auto bits = [&units](std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            const bool one = (value >> i & 1) != 0;
            units.push_back(one ? 1 : -1);
            units.push_back(one ? -1 : 1);
        }
    };
    bits(6, 3);
    units.push_back(-2);
    units.push_back(2);
    bits(static_cast<std::uint32_t>(oem1 << 24 | s << 16 | t << 15 | d << 8 | f), 32);
    return units;
}

// Microseconds of `units`, runs of one sign merged, with the gap that pads each
// frame to 107 ms; `frames` frames.
InfraredSignal timed(const std::vector<int> &units, int frames)
{
    std::vector<double> frame;
    for (const int unit : units) {
        const bool mark = unit > 0;
        if (!frame.empty() && (frame.size() % 2 == 1) == mark) {
            frame.back() += 444.0 * std::abs(unit);
        } else {
            frame.push_back(444.0 * std::abs(unit));
        }
    }
    if (frame.size() % 2 == 0) {
        frame.pop_back();
    }
    double length = 0;
    for (const double d : frame) {
        length += d;
    }
    InfraredSignal signal;
    signal.carrierHz = 36000;
    for (int i = 0; i < frames; ++i) {
        signal.durations.insert(signal.durations.end(), frame.begin(), frame.end());
        if (i + 1 < frames) {
            signal.durations.push_back(107000 - length);
        }
    }
    return signal;
}

const TestSignals::PulseDistance custom;
const std::vector<bool> powerKey = TestSignals::bitsOf(0x123456789ABCull, 48);
}  // namespace

class CarrierProtocolsTest : public QObject
{
    Q_OBJECT

private slots:
    void carrierTellsProtocolsApart_data();
    void carrierTellsProtocolsApart();
    void knownCodeKeepsTheCarrierHeard_data();
    void knownCodeKeepsTheCarrierHeard();
    void oldRecordsSendAtTheProtocolsCarrier_data();
    void oldRecordsSendAtTheProtocolsCarrier();
    void toggleSurvivesEveryCarrier_data();
    void toggleSurvivesEveryCarrier();
    void mceCodes_data();
    void mceCodes();
    void mceFollowsItsIrp();
    void notMce_data();
    void notMce();
    void learnedFormatKeepsItsCarrier_data();
    void learnedFormatKeepsItsCarrier();
    void carrierInFormatData_data();
    void carrierInFormatData();
};

void CarrierProtocolsTest::carrierTellsProtocolsApart_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<int>("carrierHz");
    QTest::addColumn<QString>("recognised");
    QTest::addColumn<int>("sentHz");

    const Fields nec{{"D", 0x20}, {"S", 0xDF}, {"F", 0x10}, {"E", 0xEF}};
    const Fields pioneer{{"D", 165}, {"S", 90}, {"F", 28}, {"E", 227}};
    const Fields rca{{"D", 15}, {"F", 0xA5}};
    // Sent at the carrier heard, to the kHz; without one at the protocol's own.
    QTest::newRow("NEC2 at 40 kHz is Pioneer") << "NEC2" << nec << 40000 << "Pioneer" << 40000;
    QTest::newRow("NEC2 at 38.4 kHz") << "NEC2" << nec << 38400 << "NEC2" << 38000;
    QTest::newRow("NEC2 without carrier") << "NEC2" << nec << 0 << "NEC2" << 38400;
    QTest::newRow("Pioneer device at 38 kHz is NEC2") << "Pioneer" << pioneer << 38000 << "NEC2" << 38000;
    QTest::newRow("Pioneer device without carrier") << "Pioneer" << pioneer << 0 << "Pioneer" << 40000;
    QTest::newRow("NEC1 dittos at 40 kHz stay NEC1") << "NEC1" << nec << 40000 << "NEC1" << 40000;
    QTest::newRow("RCA at 38.7 kHz is RCA-38") << "RCA" << rca << 38700 << "RCA-38" << 39000;
    QTest::newRow("RCA-38 at 58 kHz is RCA") << "RCA-38" << rca << 58000 << "RCA" << 58000;
    QTest::newRow("RCA without carrier") << "RCA-38" << rca << 0 << "RCA" << 58000;
}

void CarrierProtocolsTest::carrierTellsProtocolsApart()
{
    QFETCH(QString, protocol);
    QFETCH(Fields, fields);
    QFETCH(int, carrierHz);
    QFETCH(QString, recognised);
    QFETCH(int, sentHz);

    const std::optional<IrSignal> signal = made(protocol, fields, 1);
    QVERIFY(signal);
    InfraredSignal pressed = heardAt(*signal, carrierHz);
    const ConverterResult result = convert(pressed);
    const auto [name, got] = RecognisedCode::of(result);
    QCOMPARE(QString::fromStdString(name), recognised);
    QCOMPARE(got, fields);
    const std::optional<IrSignal> sent = regenerate(result);
    QVERIFY(sent);
    QCOMPARE(sent->carrierHz, sentHz);
    QCOMPARE(sent->flatDurations(), signal->flatDurations());
}

void CarrierProtocolsTest::knownCodeKeepsTheCarrierHeard_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<int>("carrierHz");
    QTest::addColumn<int>("storedKHz");
    QTest::addColumn<int>("sentHz");

    const Fields rc5{{"D", 20}, {"F", 90}, {"T", 1}};
    QTest::newRow("RC5 at 38 kHz") << "RC5" << rc5 << 38000 << 38 << 38000;
    QTest::newRow("RC5 at 36 kHz") << "RC5" << rc5 << 36000 << 36 << 36000;
    QTest::newRow("RC5 without carrier: its own") << "RC5" << rc5 << 0 << 0 << 36000;
    QTest::newRow("RC5, toggle 0, at 38 kHz")
        << "RC5" << Fields{{"D", 20}, {"F", 90}, {"T", 0}} << 38000 << 38 << 38000;
    QTest::newRow("37.6 kHz: the nearest kHz") << "RC5" << rc5 << 37600 << 38 << 38000;
    QTest::newRow("37.4 kHz: the nearest kHz") << "RC5" << rc5 << 37400 << 37 << 37000;
    // Part B holds up to 127 kHz; the receiver reads 126 kHz, but 127 as 128.
    QTest::newRow("126 kHz") << "RC5" << rc5 << 126000 << 126 << 126000;
    QTest::newRow("128 kHz, more than part B holds: its own") << "RC5" << rc5 << 128000 << 0 << 36000;
    QTest::newRow("455 kHz, more than the receiver reads: its own") << "RC5" << rc5 << 455000 << 0 << 36000;
    QTest::newRow("RC5x at 38 kHz") << "RC5x" << Fields{{"D", 3}, {"S", 0x45}, {"F", 0x21}, {"T", 1}} << 38000 << 38
                                    << 38000;
    QTest::newRow("MCE at 38 kHz") << "MCE" << Fields{{"D", 4}, {"S", 0x0F}, {"F", 0x0C}, {"T", 1}} << 38000 << 38
                                   << 38000;
    QTest::newRow("NEC1 at 36 kHz") << "NEC1" << Fields{{"D", 4}, {"S", 0xFB}, {"F", 8}, {"E", 0xF7}} << 36000 << 36
                                    << 36000;
    QTest::newRow("Sony12 at 38 kHz") << "Sony12" << Fields{{"D", 1}, {"F", 21}} << 38000 << 38 << 38000;
}

// The carrier heard goes with the code, and the code's T and timing stay as without it.
void CarrierProtocolsTest::knownCodeKeepsTheCarrierHeard()
{
    QFETCH(QString, protocol);
    QFETCH(Fields, fields);
    QFETCH(int, carrierHz);
    QFETCH(int, storedKHz);
    QFETCH(int, sentHz);

    const std::optional<IrSignal> signal = made(protocol, fields, 1);
    QVERIFY(signal);
    InfraredSignal pressed = heardAt(*signal, carrierHz);
    const ConverterResult result = convert(pressed);
    QVERIFY(result.known());
    QCOMPARE(RecognisedCode::of(result), std::make_pair(protocol.toStdString(), fields));
    const std::optional<IrSignal> sent = regenerate(result);
    QVERIFY(sent);
    QCOMPARE(sent->carrierHz, sentHz);
    QCOMPARE(sent->flatDurations(), signal->flatDurations());

    // Only part B's first byte tells the carrier: T stays in its bit 0.
    pressed.carrierHz = 0;
    const ConverterResult without = convert(pressed);
    QCOMPARE(without.id, result.id);
    QCOMPARE(without.partA, result.partA);
    QCOMPARE(without.partB.mid(2), result.partB.mid(2));
    const int byte0 = result.partB.left(2).toInt(nullptr, 16);
    QCOMPARE(byte0 & 1, without.partB.left(2).toInt(nullptr, 16));
    QCOMPARE(byte0 >> 1, storedKHz);

    // Jittered captures at the same carrier learn the key as the same code.
    pressed.carrierHz = carrierHz;
    const auto code = [carrierHz](const InfraredSignal &capture) {
        return ConverterResult::of(CodeConverter::convert(ConverterInput::of(capture), carrierHz))
            .keyCode()
            .toStdString();
    };
    const std::optional<TestSignals::Moved> moved = TestSignals::firstMoved(pressed, TestSignals::captureJitter, code);
    QVERIFY2(!moved, moved ? qPrintable(QString("seed %1: %2").arg(moved->seed).arg(moved->key.c_str())) : "");
}

void CarrierProtocolsTest::oldRecordsSendAtTheProtocolsCarrier_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<int>("repeats");

    // Key records as stored before the carrier went into part B: its first byte T alone.
    QTest::newRow("RC5, T 1") << "C00000020000"
                                 "14005A0000000000"
                                 "0102010000000000"
                              << "RC5" << Fields{{"D", 20}, {"F", 90}, {"T", 1}} << 1;
    QTest::newRow("RC6, T 0") << "C00000060000"
                                 "04000C0000000000"
                                 "0000000000000000"
                              << "RC6" << Fields{{"D", 4}, {"F", 12}, {"T", 0}} << 0;
    QTest::newRow("NEC1, dittos") << "C00000010000"
                                     "04FB08F700000000"
                                     "0001020000000000"
                                  << "NEC1" << Fields{{"D", 4}, {"S", 0xFB}, {"F", 8}, {"E", 0xF7}} << 2;
    QTest::newRow("Pioneer") << "C00000040000"
                                "A55A1CE300000000"
                                "0002010000000000"
                             << "Pioneer" << Fields{{"D", 165}, {"S", 90}, {"F", 28}, {"E", 227}} << 1;
    QTest::newRow("RCA-38") << "C00000150000"
                               "0F00A50000000000"
                               "0002010000000000"
                            << "RCA-38" << Fields{{"D", 15}, {"F", 0xA5}} << 1;
}

void CarrierProtocolsTest::oldRecordsSendAtTheProtocolsCarrier()
{
    QFETCH(QString, record);
    QFETCH(QString, protocol);
    QFETCH(Fields, fields);
    QFETCH(int, repeats);

    const std::optional<IrSignal> expected = made(protocol, fields, repeats);
    QVERIFY(expected);
    const std::optional<IrSignal> sent = FormatCodec::regenerate(record.toStdString(), "");
    QVERIFY(sent);
    QCOMPARE(sent->carrierHz, expected->carrierHz);
    QCOMPARE(sent->flatDurations(), expected->flatDurations());
}

void CarrierProtocolsTest::toggleSurvivesEveryCarrier_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<Fields>("fields");

    // T outside the data (RC5, RC6) and in it (MCE).
    QTest::newRow("RC5") << "RC5" << Fields{{"D", 31}, {"F", 127}};
    QTest::newRow("RC6") << "RC6" << Fields{{"D", 0xD2}, {"F", 0x81}};
    QTest::newRow("MCE") << "MCE" << Fields{{"D", 127}, {"S", 0xFF}, {"F", 0xFF}};
}

void CarrierProtocolsTest::toggleSurvivesEveryCarrier()
{
    QFETCH(QString, protocol);
    QFETCH(Fields, fields);

    const std::optional<IrSignal> own = made(protocol, withToggle(fields, 0), 1);
    QVERIFY(own);
    for (int toggle = 0; toggle <= 1; ++toggle) {
        std::optional<KnownCode> code = KnownProtocols::make(protocol.toStdString(), withToggle(fields, toggle), 1);
        QVERIFY(code);
        for (int kHz = 0; kHz <= 127; ++kHz) {
            code->carrierKHz = static_cast<std::uint8_t>(kHz);
            const std::optional<KnownCode> stored = KnownCode::fromParts(code->formatId, code->parts());
            QCOMPARE(stored, code);
            const std::optional<IrSignal> sent = KnownProtocols::encode(*stored);
            QVERIFY(sent);
            QCOMPARE(sent->carrierHz, kHz == 0 ? own->carrierHz : 1000 * kHz);
            const std::optional<KnownCode> heard = KnownProtocols::decode(*sent);
            QVERIFY2(heard, qPrintable(QString("T=%1 at %2 kHz").arg(toggle).arg(kHz)));
            QCOMPARE(heard->toggle, std::uint8_t(toggle));
            QCOMPARE(heard->fields, code->fields);
        }
    }
}

void CarrierProtocolsTest::mceCodes_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<int>("repeats");

    QTest::newRow("toggle 0") << "MCE" << Fields{{"D", 4}, {"S", 0x0F}, {"F", 0x0C}, {"T", 0}} << 0;
    QTest::newRow("toggle 1, repeated") << "MCE" << Fields{{"D", 4}, {"S", 0x0F}, {"F", 0x0C}, {"T", 1}} << 2;
    QTest::newRow("largest device, last bit 1") << "MCE" << Fields{{"D", 127}, {"S", 0xFF}, {"F", 0x81}, {"T", 1}} << 1;
    QTest::newRow("all zero") << "MCE" << Fields{{"D", 0}, {"S", 0}, {"F", 0}, {"T", 0}} << 1;
    QTest::newRow("by its alias") << "RC6-6-32" << Fields{{"D", 0x12}, {"S", 0x52}, {"F", 0x7E}, {"T", 0}} << 1;
}

void CarrierProtocolsTest::mceCodes()
{
    QFETCH(QString, protocol);
    QFETCH(Fields, fields);
    QFETCH(int, repeats);

    const std::optional<IrSignal> signal = made(protocol, fields, repeats);
    QVERIFY(signal);
    QCOMPARE(signal->frames.size(), std::size_t(repeats + 1));
    for (const int carrierHz : {36000, 0}) {
        InfraredSignal pressed = SignalMatch::asSent(*signal);
        pressed.carrierHz = carrierHz;
        const ConverterResult result = convert(pressed);
        QCOMPARE(result.id, QString("140000"));
        const auto [name, got] = RecognisedCode::of(result);
        QCOMPARE(QString::fromStdString(name), QString("MCE"));
        QCOMPARE(got, fields);
        const std::optional<IrSignal> sent = regenerate(result);
        QVERIFY(sent);
        QCOMPARE(sent->carrierHz, 36000);
        QCOMPARE(sent->flatDurations(), signal->flatDurations());
    }
    // The next press flips T, which lies in the data: the code differs only there.
    Fields next = fields;
    next.back().second = 1 - next.back().second;
    const std::optional<IrSignal> flipped = made(protocol, next, repeats);
    QVERIFY(flipped);
    const ConverterResult again = convert(SignalMatch::asSent(*flipped));
    QCOMPARE(RecognisedCode::of(again).second, next);
    QCOMPARE(again.partA, convert(SignalMatch::asSent(*signal)).partA);
}

// The codec's own frames are the IRP's, and the IRP's frames are read as MCE.
void CarrierProtocolsTest::mceFollowsItsIrp()
{
    const InfraredSignal irp = timed(mceUnits(128, 0x0F, 1, 4, 0x0D), 3);
    const std::optional<IrSignal> signal = made("MCE", {{"D", 4}, {"S", 0x0F}, {"F", 0x0D}, {"T", 1}}, 2);
    QVERIFY(signal);
    QCOMPARE(SignalMatch::difference(irp, *signal, 0, 1), QString());
    const auto [name, fields] = RecognisedCode::of(convert(irp));
    QCOMPARE(QString::fromStdString(name), QString("MCE"));
    QCOMPARE(fields, (Fields{{"D", 4}, {"S", 0x0F}, {"F", 0x0D}, {"T", 1}}));
}

void CarrierProtocolsTest::notMce_data()
{
    QTest::addColumn<InfraredSignal>("signal");
    QTest::addColumn<QString>("recognised");

    QTest::newRow("another OEM1") << timed(mceUnits(0x81, 0x0F, 0, 4, 0x0C), 2) << QString();
    std::vector<int> toggledTrailer = mceUnits(128, 0x0F, 0, 4, 0x0C);
    // The trailer bit 1 (2,-2) of RC6-6-32 with the toggle in the trailer.
    toggledTrailer[10] = 2;
    toggledTrailer[11] = -2;
    QTest::newRow("trailer bit 1") << timed(toggledTrailer, 2) << QString();
    std::vector<int> shortFrame = mceUnits(128, 0x0F, 0, 4, 0x0C);
    shortFrame.resize(shortFrame.size() - 4);
    QTest::newRow("a bit missing") << timed(shortFrame, 2) << QString();
    QTest::newRow("RC6 mode 0 stays RC6")
        << SignalMatch::asSent(*made("RC6", {{"D", 4}, {"F", 12}, {"T", 1}}, 1)) << QString("RC6");
}

void CarrierProtocolsTest::notMce()
{
    QFETCH(InfraredSignal, signal);
    QFETCH(QString, recognised);
    const ConverterResult result = convert(signal);
    QVERIFY(result.wellFormed);
    QCOMPARE(QString::fromStdString(RecognisedCode::of(result).first), recognised);
    // What is not MCE is still learned and sent again faithfully.
    const std::optional<IrSignal> sent = regenerate(result);
    QVERIFY(sent);
    QCOMPARE(SignalMatch::difference(signal, *sent, 0.05), QString());
}

void CarrierProtocolsTest::learnedFormatKeepsItsCarrier_data()
{
    QTest::addColumn<int>("carrierHz");
    QTest::addColumn<int>("formatKHz");
    QTest::addColumn<int>("sentHz");
    QTest::addColumn<int>("version");

    QTest::newRow("56 kHz") << 56000 << 56 << 56000 << 0xA0;
    QTest::newRow("33 kHz") << 33000 << 33 << 33000 << 0xA0;
    QTest::newRow("37.6 kHz: the default, no carrier byte") << 37600 << 0 << 38000 << 0x90;
    QTest::newRow("38.6 kHz is not the default") << 38600 << 39 << 39000 << 0xA0;
    QTest::newRow("455 kHz, beyond what the receiver reads: none") << 455000 << 0 << 38000 << 0x90;
    QTest::newRow("unknown: 38 kHz") << 0 << 0 << 38000 << 0x90;
}

void CarrierProtocolsTest::learnedFormatKeepsItsCarrier()
{
    QFETCH(int, carrierHz);
    QFETCH(int, formatKHz);
    QFETCH(int, sentHz);
    QFETCH(int, version);

    InfraredSignal signal = TestSignals::pulseDistance(custom, powerKey);
    signal.carrierHz = carrierHz;
    const ConverterResult result = convert(signal);
    QVERIFY(result.wellFormed);
    QVERIFY(!result.known());
    const std::optional<std::vector<std::uint8_t>> data = HexText::bytes(result.data.toStdString());
    QVERIFY(data && !data->empty());
    QCOMPARE((*data)[0] & 0xF0, version);
    const std::optional<LearnedFormat> format = LearnedFormat::parse(*data);
    QVERIFY(format);
    QCOMPARE(int(format->carrierKHz), formatKHz);
    const std::optional<IrSignal> sent = regenerate(result);
    QVERIFY(sent);
    QCOMPARE(sent->carrierHz, sentHz);
    QCOMPARE(SignalMatch::difference(signal, *sent, 0.05), QString());
}

void CarrierProtocolsTest::carrierInFormatData_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("carrierKHz");

    InfraredSignal signal = TestSignals::pulseDistance(custom, powerKey);
    signal.carrierHz = 40000;
    const QByteArray withCarrier = QByteArray::fromHex(convert(signal).data.toLatin1());
    signal.carrierHz = 0;
    const QByteArray without = QByteArray::fromHex(convert(signal).data.toLatin1());
    QTest::newRow("with carrier") << withCarrier << 40;
    QTest::newRow("without carrier") << without << 0;
    QTest::newRow("padded with old data") << withCarrier + QByteArray("\x10\x11\xFF", 3) << 40;
    QTest::newRow("carrier byte 0") << QByteArray(withCarrier).replace(1, 1, QByteArray(1, '\0')) << -1;
    QTest::newRow("flags alone") << withCarrier.left(1) << -1;
    QTest::newRow("carrier, no more") << withCarrier.left(2) << -1;
    // A carrier byte where the counts belong is no format.
    QTest::newRow("carrier flag on data without one")
        << QByteArray(without).replace(0, 1, QByteArray(1, char((without[0] & 0x0F) | 0x60))) << -1;
}

// -1: the bytes hold no learned format.
void CarrierProtocolsTest::carrierInFormatData()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, carrierKHz);
    const std::optional<LearnedFormat> format =
        LearnedFormat::parse(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    QCOMPARE(format.has_value(), carrierKHz >= 0);
    if (format) {
        QCOMPARE(int(format->carrierKHz), carrierKHz);
        const std::vector<std::uint8_t> written = format->serialize();
        QCOMPARE(written, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + written.size()));
    }
}

QTEST_GUILESS_MAIN(CarrierProtocolsTest)
#include "CarrierProtocolsTest.moc"
