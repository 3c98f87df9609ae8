#include <QtTest>

#include "CodeConverter.h"
#include "ConverterInput.h"
#include "ConverterResult.h"
#include "FormatCodec.h"
#include "KnownProtocols.h"
#include "RecognisedCode.h"
#include "SignalMatch.h"
#include "TestSignals.h"
#include "TimingFit.h"

using Fields = ProtocolCodec::Fields;
Q_DECLARE_METATYPE(Fields)

namespace
{
InfraredSignal asInput(const IrSignal &signal)
{
    return SignalMatch::asSent(signal);
}

// What the converter made of a signal: the IRP name and fields it names.
std::pair<std::string, Fields> recognised(const InfraredSignal &signal, ConverterResult &result)
{
    result = ConverterResult::of(CodeConverter::convert(ConverterInput::of(signal)));
    return RecognisedCode::of(result);
}
}  // namespace

class IrpProtocolsTest : public QObject
{
    Q_OBJECT

private slots:
    void sentCodesComeBack_data();
    void sentCodesComeBack();
    void remotesOwnTimingIsKept_data();
    void remotesOwnTimingIsKept();
    void jitterAboutAnOffRemoteKeepsItsProtocol();
    void fieldsOutOfRangeMakeNoCode_data();
    void fieldsOutOfRangeMakeNoCode();
    void brokenChecksStayLearned_data();
    void brokenChecksStayLearned();
};

void IrpProtocolsTest::sentCodesComeBack_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<int>("repeats");

    QTest::newRow("NEC1 dittos") << "NEC1" << Fields{{"D", 4}, {"S", 251}, {"F", 8}, {"E", 247}} << 2;
    QTest::newRow("NEC1 16-bit device") << "NEC1" << Fields{{"D", 0x86}, {"S", 0x6B}, {"F", 0x12}, {"E", 0xED}} << 1;
    QTest::newRow("NEC1-f16") << "NEC1-f16" << Fields{{"D", 0x40}, {"S", 0xBF}, {"F", 0x12}, {"E", 0x34}} << 1;
    QTest::newRow("NEC2") << "NEC2" << Fields{{"D", 0x20}, {"S", 0xDF}, {"F", 0x10}, {"E", 0xEF}} << 2;
    QTest::newRow("NECx1") << "NECx1" << Fields{{"D", 7}, {"S", 7}, {"F", 2}, {"E", 253}} << 1;
    QTest::newRow("NECx2") << "NECx2" << Fields{{"D", 7}, {"S", 7}, {"F", 2}, {"E", 253}} << 2;
    QTest::newRow("Pioneer") << "Pioneer" << Fields{{"D", 165}, {"S", 90}, {"F", 28}, {"E", 227}} << 1;
    QTest::newRow("RC5 toggle") << "RC5" << Fields{{"D", 20}, {"F", 90}, {"T", 1}} << 1;
    QTest::newRow("RC5x") << "RC5x" << Fields{{"D", 3}, {"S", 0x45}, {"F", 0x21}, {"T", 1}} << 1;
    QTest::newRow("RC5x, S below 64, F ending on 0")
        << "RC5x" << Fields{{"D", 31}, {"S", 5}, {"F", 0x3E}, {"T", 0}} << 0;
    QTest::newRow("RC6") << "RC6" << Fields{{"D", 4}, {"F", 12}, {"T", 0}} << 1;
    QTest::newRow("RC6 toggle") << "RC6" << Fields{{"D", 0xD2}, {"F", 0x81}, {"T", 1}} << 2;
    QTest::newRow("Sony12") << "Sony12" << Fields{{"D", 1}, {"F", 21}} << 2;
    QTest::newRow("Sony15") << "Sony15" << Fields{{"D", 0xA4}, {"F", 0x7F}} << 2;
    QTest::newRow("Sony20, frames closer than a frame gap")
        << "Sony20" << Fields{{"D", 26}, {"S", 218}, {"F", 95}} << 2;
    QTest::newRow("Kaseikyo") << "Kaseikyo"
                              << Fields{{"D", 4}, {"S", 0x21}, {"F", 0x17}, {"E", 6}, {"M", 0x54}, {"N", 0x32}} << 1;
    QTest::newRow("Panasonic") << "Panasonic" << Fields{{"D", 0x80}, {"S", 0}, {"F", 0x3D}} << 1;
    QTest::newRow("NEC42, 13-bit device") << "NEC42" << Fields{{"D", 0x1A5C}, {"F", 0x33}} << 2;
    QTest::newRow("Samsung36") << "Samsung36" << Fields{{"D", 0x00}, {"S", 0x57}, {"F", 0x21}, {"E", 9}} << 1;
    QTest::newRow("JVC") << "JVC" << Fields{{"D", 0x03}, {"F", 0x17}} << 2;
    QTest::newRow("JVC, lead-in missing") << "JVC{2}" << Fields{{"D", 0xC1}, {"F", 0x80}} << 1;
    QTest::newRow("Sharp, three halves") << "Sharp" << Fields{{"D", 1}, {"F", 0xE9}} << 2;
    QTest::newRow("Denon") << "Denon" << Fields{{"D", 8}, {"F", 0x4A}} << 1;
    QTest::newRow("Mitsubishi") << "Mitsubishi" << Fields{{"D", 0x47}, {"F", 0x1C}} << 1;
    QTest::newRow("RCA, gaps inside the capture's frame") << "RCA" << Fields{{"D", 15}, {"F", 0xA5}} << 2;
}

void IrpProtocolsTest::sentCodesComeBack()
{
    QFETCH(QString, protocol);
    QFETCH(Fields, fields);
    QFETCH(int, repeats);

    const std::optional<KnownCode> code = KnownProtocols::make(protocol.toStdString(), fields, repeats);
    QVERIFY(code);
    const std::optional<IrSignal> signal = KnownProtocols::encode(*code);
    QVERIFY(signal);
    ConverterResult result;
    const auto [name, got] = recognised(asInput(*signal), result);
    QCOMPARE(QString::fromStdString(name), protocol);
    QCOMPARE(got, fields);
    const std::optional<IrSignal> sent = FormatCodec::regenerate(result.knownRecord(), "");
    QVERIFY(sent);
    QCOMPARE(sent->carrierHz, signal->carrierHz);
    QCOMPARE(sent->flatDurations(), signal->flatDurations());
}

void IrpProtocolsTest::remotesOwnTimingIsKept_data()
{
    QTest::addColumn<double>("markStretch");
    QTest::addColumn<double>("spaceStretch");
    QTest::addColumn<double>("gapStretch");
    QTest::addColumn<bool>("known");

    QTest::newRow("nominal") << 1.0 << 1.0 << 1.0 << true;
    QTest::newRow("marks 12 % long, spaces 4 % short") << 1.12 << 0.96 << 1.0 << true;
    QTest::newRow("everything 15 % slow") << 1.15 << 1.15 << 1.15 << true;
    QTest::newRow("everything 10 % slow") << 1.10 << 1.10 << 1.0 << true;
    QTest::newRow("everything 10 % fast") << 0.9 << 0.9 << 0.9 << true;
    // Just beyond what a faithful copy of the nominal length allows.
    QTest::newRow("spaces 5.1 % short") << 1.0 << 0.949 << 1.0 << true;
    QTest::newRow("gaps 7 % short") << 1.0 << 1.0 << 0.93 << true;
    QTest::newRow("gaps 9 % long") << 1.0 << 1.0 << 1.09 << true;
    QTest::newRow("beyond what a stretch holds") << 1.0 << 1.6 << 1.0 << false;
}

void IrpProtocolsTest::remotesOwnTimingIsKept()
{
    QFETCH(double, markStretch);
    QFETCH(double, spaceStretch);
    QFETCH(double, gapStretch);
    QFETCH(bool, known);

    InfraredSignal signal = TestSignals::nec(0x20, 0xDF, 0x02, TestSignals::NecRepeat::Ditto, 3);
    for (std::size_t i = 0; i < signal.durations.size(); ++i) {
        const bool gap = signal.durations[i] > 20000;
        signal.durations[i] *= gap ? gapStretch : i % 2 == 0 ? markStretch : spaceStretch;
    }
    const ConverterResult result = ConverterResult::of(CodeConverter::convert(ConverterInput::of(signal)));
    QCOMPARE(result.known(), known);
    const std::optional<IrSignal> sent =
        known ? FormatCodec::regenerate(result.knownRecord(), "")
              : FormatCodec::regenerate(result.learnedRecord(), result.data.toStdString());
    QVERIFY(sent);
    QCOMPARE(SignalMatch::difference(signal, *sent, 0.05), QString());
}

void IrpProtocolsTest::jitterAboutAnOffRemoteKeepsItsProtocol()
{
    // A remote 4 % slow, captured with 5 % jitter on every length: no one
    // length copies every member of a class faithfully, yet the protocol and
    // its fields are what the remote sent, within what jitter allows.
    InfraredSignal slow = TestSignals::nec(0x20, 0xDF, 0x02, TestSignals::NecRepeat::Ditto, 1);
    for (double &d : slow.durations) {
        d *= 1.04;
    }
    for (std::uint32_t seed = 1; seed <= TestSignals::jitterSeeds; ++seed) {
        const InfraredSignal capture = TestSignals::jittered(slow, TestSignals::captureJitter, seed);
        ConverterResult result;
        QCOMPARE(recognised(capture, result),
                 std::make_pair(std::string("NEC1"), Fields{{"D", 0x20}, {"S", 0xDF}, {"F", 0x02}, {"E", 0xFD}}));
        const std::optional<IrSignal> sent = FormatCodec::regenerate(result.knownRecord(), "");
        QVERIFY(sent);
        QCOMPARE(SignalMatch::difference(capture, *sent, 0.09), QString());
    }
}

void IrpProtocolsTest::fieldsOutOfRangeMakeNoCode_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<Fields>("fields");

    QTest::newRow("Sony12 D of 6 bits") << "Sony12" << Fields{{"D", 32}, {"F", 1}};
    QTest::newRow("Sony15 F of 8 bits") << "Sony15" << Fields{{"D", 1}, {"F", 128}};
    QTest::newRow("NEC42 D of 14 bits") << "NEC42" << Fields{{"D", 0x2000}, {"F", 1}};
    QTest::newRow("Samsung36 E of 5 bits") << "Samsung36" << Fields{{"D", 1}, {"S", 1}, {"F", 1}, {"E", 16}};
    QTest::newRow("Sharp D of 6 bits") << "Sharp" << Fields{{"D", 32}, {"F", 1}};
    QTest::newRow("RCA D of 5 bits") << "RCA" << Fields{{"D", 16}, {"F", 1}};
    QTest::newRow("Kaseikyo E of 5 bits")
        << "Kaseikyo" << Fields{{"D", 1}, {"S", 1}, {"F", 1}, {"E", 16}, {"M", 1}, {"N", 1}};
    QTest::newRow("NEC1 without E") << "NEC1" << Fields{{"D", 1}, {"S", 254}, {"F", 1}};
    QTest::newRow("NEC1 with E not ~F") << "NEC1" << Fields{{"D", 1}, {"S", 254}, {"F", 1}, {"E", 1}};
    QTest::newRow("Pioneer with E not ~F") << "Pioneer" << Fields{{"D", 165}, {"S", 90}, {"F", 1}, {"E", 1}};
    QTest::newRow("RC6 toggle 2") << "RC6" << Fields{{"D", 1}, {"F", 1}, {"T", 2}};
    QTest::newRow("a field it does not have") << "RC5" << Fields{{"D", 1}, {"F", 1}, {"T", 0}, {"S", 1}};
    QTest::newRow("no such protocol") << "Sony13" << Fields{{"D", 1}, {"F", 1}};
}

void IrpProtocolsTest::fieldsOutOfRangeMakeNoCode()
{
    QFETCH(QString, protocol);
    QFETCH(Fields, fields);
    QVERIFY(!KnownProtocols::make(protocol.toStdString(), fields, 1));
}

void IrpProtocolsTest::brokenChecksStayLearned_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<int>("flippedSpace");

    // A flipped data bit breaks the protocol's check; its signal is a learned code.
    QTest::newRow("Kaseikyo checksum") << "Kaseikyo"
                                       << Fields{{"D", 4}, {"S", 0x21}, {"F", 0x17}, {"E", 6}, {"M", 0x54}, {"N", 0x32}}
                                       << 3 + 2 * 30;
    QTest::newRow("RCA complement") << "RCA" << Fields{{"D", 3}, {"F", 0x11}} << 3 + 2 * 2;
}

void IrpProtocolsTest::brokenChecksStayLearned()
{
    QFETCH(QString, protocol);
    QFETCH(Fields, fields);
    QFETCH(int, flippedSpace);
    const std::optional<KnownCode> code = KnownProtocols::make(protocol.toStdString(), fields, 0);
    QVERIFY(code);
    InfraredSignal signal = asInput(*KnownProtocols::encode(*code));
    double &space = signal.durations[static_cast<std::size_t>(flippedSpace)];
    const double shorter = std::min(signal.durations[2], signal.durations[3]);
    space = space > 1.5 * shorter ? shorter : 3 * shorter;
    ConverterResult result;
    recognised(signal, result);
    QVERIFY(result.wellFormed);
    QVERIFY(!result.known());
}

QTEST_GUILESS_MAIN(IrpProtocolsTest)
#include "IrpProtocolsTest.moc"
