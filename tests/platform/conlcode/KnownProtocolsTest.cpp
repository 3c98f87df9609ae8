#include <QtTest>

#include "CodeConverter.h"
#include "ConverterInput.h"
#include "ConverterResult.h"
#include "FormatCodec.h"
#include "KnownProtocols.h"
#include "SignalMatch.h"
#include "TestSignals.h"

using TestSignals::NecRepeat;
using Fields = ProtocolCodec::Fields;
Q_DECLARE_METATYPE(InfraredSignal)
Q_DECLARE_METATYPE(NecRepeat)

namespace
{
ConverterResult convert(const InfraredSignal &signal)
{
    return ConverterResult::of(CodeConverter::convert(ConverterInput::of(signal)));
}

QString hexByte(int value)
{
    return QString("%1").arg(value, 2, 16, QChar('0')).toUpper();
}
}  // namespace

class KnownProtocolsTest : public QObject
{
    Q_OBJECT

private slots:
    void nec_data();
    void nec();
    void rc5_data();
    void rc5();
    void rc5TogglesShareTheFormat();
    void notNec_data();
    void notNec();
    void holdFillingTheCaptureBuffer_data();
    void holdFillingTheCaptureBuffer();
    void jitterKeepsTheCode_data();
    void jitterKeepsTheCode();
    void invalidRecordsSendNothing_data();
    void invalidRecordsSendNothing();
};

void KnownProtocolsTest::nec_data()
{
    QTest::addColumn<int>("d");
    QTest::addColumn<int>("s");
    QTest::addColumn<int>("f");
    QTest::addColumn<NecRepeat>("repeat");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("repeatKind");

    QTest::newRow("NEC1 single frame") << 0x20 << 0xDF << 0x02 << NecRepeat::None << 0 << "010000" << 0;
    QTest::newRow("NEC1 with dittos") << 0x04 << 0xFB << 0x08 << NecRepeat::Ditto << 3 << "010000" << 1;
    QTest::newRow("NEC1 one ditto") << 0x00 << 0xFF << 0xFF << NecRepeat::Ditto << 1 << "010000" << 1;
    QTest::newRow("NEC2 whole repeats") << 0x6E << 0x91 << 0x45 << NecRepeat::Full << 2 << "010000" << 2;
    QTest::newRow("NEC1, S not ~D, single") << 0x86 << 0x6B << 0x12 << NecRepeat::None << 0 << "010000" << 0;
    QTest::newRow("NEC1, S not ~D, dittos") << 0x00 << 0x7F << 0x5A << NecRepeat::Ditto << 5 << "010000" << 1;
    QTest::newRow("NEC2, S not ~D") << 0xFF << 0xFF << 0x00 << NecRepeat::Full << 1 << "010000" << 2;
}

void KnownProtocolsTest::nec()
{
    QFETCH(int, d);
    QFETCH(int, s);
    QFETCH(int, f);
    QFETCH(NecRepeat, repeat);
    QFETCH(int, repeats);
    QFETCH(QString, id);
    QFETCH(int, repeatKind);

    const InfraredSignal signal = TestSignals::nec(d, s, f, repeat, repeats);
    const ConverterResult result = convert(signal);
    QVERIFY(result.wellFormed);
    QCOMPARE(result.id, id);
    QVERIFY(result.known());
    QCOMPARE(result.data, QString());
    QCOMPARE(result.partA, hexByte(d) + hexByte(s) + hexByte(f) + hexByte(~f & 0xFF) + "00000000");
    QCOMPARE(result.partB, "00" + hexByte(repeatKind) + hexByte(repeats) + "0000000000");

    const std::optional<IrSignal> sent = FormatCodec::regenerate(result.knownRecord(), "");
    QVERIFY(sent);
    QCOMPARE(sent->carrierHz, 38400);
    QCOMPARE(SignalMatch::difference(signal, *sent, 0.05), QString());
}

void KnownProtocolsTest::rc5_data()
{
    QTest::addColumn<int>("d");
    QTest::addColumn<int>("f");
    QTest::addColumn<int>("toggle");
    QTest::addColumn<int>("repeats");

    QTest::newRow("toggle 0") << 0 << 12 << 0 << 0;
    QTest::newRow("toggle 1") << 0 << 12 << 1 << 0;
    QTest::newRow("toggle 1 repeated") << 5 << 53 << 1 << 2;
    QTest::newRow("extended command") << 27 << 66 << 0 << 1;
    QTest::newRow("all ones") << 31 << 127 << 1 << 0;
    QTest::newRow("all zeros") << 0 << 64 << 0 << 3;
}

void KnownProtocolsTest::rc5()
{
    QFETCH(int, d);
    QFETCH(int, f);
    QFETCH(int, toggle);
    QFETCH(int, repeats);

    const InfraredSignal signal = TestSignals::rc5(d, f, toggle, repeats);
    const ConverterResult result = convert(signal);
    QVERIFY(result.wellFormed);
    QCOMPARE(result.id, QString("020000"));
    QCOMPARE(result.data, QString());
    QCOMPARE(result.partA, hexByte(d) + "00" + hexByte(f) + "0000000000");
    QCOMPARE(result.partB, hexByte(toggle) + hexByte(repeats ? 2 : 0) + hexByte(repeats) + "0000000000");

    const std::optional<IrSignal> sent = FormatCodec::regenerate(result.knownRecord(), "");
    QVERIFY(sent);
    QCOMPARE(sent->carrierHz, 36000);
    QCOMPARE(SignalMatch::difference(signal, *sent, 0.05), QString());
}

void KnownProtocolsTest::rc5TogglesShareTheFormat()
{
    // The transmitter alternates T itself: both presses name one format and
    // differ only in the toggle byte.
    const ConverterResult first = convert(TestSignals::rc5(3, 17, 0, 1));
    const ConverterResult second = convert(TestSignals::rc5(3, 17, 1, 1));
    QCOMPARE(first.id, second.id);
    QCOMPARE(first.partA, second.partA);
    QCOMPARE(first.partB.mid(2), second.partB.mid(2));
    QVERIFY(first.partB.left(2) != second.partB.left(2));
}

void KnownProtocolsTest::notNec_data()
{
    QTest::addColumn<InfraredSignal>("signal");

    InfraredSignal mixed = TestSignals::nec(0x10, 0xEF, 0x20, NecRepeat::Ditto, 1);
    const InfraredSignal full = TestSignals::nec(0x10, 0xEF, 0x20, NecRepeat::Full, 1);
    mixed.durations.push_back(40000);
    mixed.durations.insert(mixed.durations.end(), full.durations.begin(), full.durations.begin() + 67);
    QTest::newRow("ditto then whole frame") << mixed;

    InfraredSignal stretched = TestSignals::nec(0x10, 0xEF, 0x20, NecRepeat::None, 0);
    stretched.durations[0] = 13000;
    QTest::newRow("lead-in mark too long") << stretched;

    InfraredSignal shortFrame = TestSignals::nec(0x10, 0xEF, 0x20, NecRepeat::None, 0);
    shortFrame.durations.resize(shortFrame.durations.size() - 2);
    QTest::newRow("31 bits") << shortFrame;

    InfraredSignal rc5 = TestSignals::rc5(3, 17, 0, 0);
    rc5.durations[3] *= 1.6;
    QTest::newRow("RC5 with a broken half-bit") << rc5;
}

void KnownProtocolsTest::notNec()
{
    QFETCH(InfraredSignal, signal);
    const ConverterResult result = convert(signal);
    QVERIFY(result.wellFormed);
    QVERIFY(!result.known());
    QVERIFY(!result.data.isEmpty());
    const std::optional<IrSignal> sent = FormatCodec::regenerate(result.learnedRecord(), result.data.toStdString());
    QVERIFY(sent);
    QCOMPARE(SignalMatch::difference(signal, *sent, 0.05), QString());
}

void KnownProtocolsTest::holdFillingTheCaptureBuffer_data()
{
    QTest::addColumn<InfraredSignal>("signal");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("repeatKind");
    QTest::newRow("NEC1 dittos") << TestSignals::nec(0x20, 0xDF, 0x02, NecRepeat::Ditto, 300) << "010000" << 1;
    QTest::newRow("NEC2 whole frames") << TestSignals::nec(0x20, 0xDF, 0x02, NecRepeat::Full, 300) << "010000" << 2;
    QTest::newRow("RC5") << TestSignals::rc5(3, 17, 1, 300) << "020000" << 2;
}

void KnownProtocolsTest::holdFillingTheCaptureBuffer()
{
    // The capture stops mid-frame when its buffer is full; the cut frame is no
    // repeat and does not keep the key from its protocol.
    QFETCH(InfraredSignal, signal);
    QFETCH(QString, id);
    QFETCH(int, repeatKind);
    const ConverterResult result = convert(signal);
    QCOMPARE(result.id, id);
    QCOMPARE(result.partB.mid(2, 2), hexByte(repeatKind));
    QVERIFY(result.partB.mid(4, 2).toInt(nullptr, 16) > 20);
    const std::optional<IrSignal> sent = FormatCodec::regenerate(result.knownRecord(), "");
    QVERIFY(sent);
    QCOMPARE(int(sent->frames.size()), result.partB.mid(4, 2).toInt(nullptr, 16) + 1);
}

void KnownProtocolsTest::jitterKeepsTheCode_data()
{
    QTest::addColumn<InfraredSignal>("signal");
    QTest::newRow("RC5") << TestSignals::rc5(20, 90, 1, 1);
    // Each protocol at its nominal timing, repeated and with its toggle set.
    const std::vector<std::tuple<const char *, Fields, int>> codes{
        {"NEC1", {{"D", 4}, {"S", 251}, {"F", 8}, {"E", 247}}, 2},
        {"NEC2", {{"D", 0x20}, {"S", 0xDF}, {"F", 0x10}, {"E", 0xEF}}, 2},
        {"NEC1-f16", {{"D", 0x40}, {"S", 0xBF}, {"F", 0x12}, {"E", 0x34}}, 1},
        {"NECx2", {{"D", 7}, {"S", 7}, {"F", 2}, {"E", 253}}, 2},
        {"Pioneer", {{"D", 165}, {"S", 90}, {"F", 28}, {"E", 227}}, 1},
        {"RC5x", {{"D", 3}, {"S", 0x45}, {"F", 0x21}, {"T", 1}}, 1},
        {"RC6", {{"D", 0xD2}, {"F", 0x81}, {"T", 1}}, 2},
        {"MCE", {{"D", 4}, {"S", 0x0F}, {"F", 0x0C}, {"T", 1}}, 2},
        {"Sony12", {{"D", 1}, {"F", 21}}, 2},
        {"Sony20", {{"D", 26}, {"S", 218}, {"F", 95}}, 2},
        {"Kaseikyo", {{"D", 4}, {"S", 0x21}, {"F", 0x17}, {"E", 6}, {"M", 0x54}, {"N", 0x32}}, 1},
        {"Panasonic", {{"D", 0x80}, {"S", 0}, {"F", 0x3D}}, 1},
        {"NEC42", {{"D", 0x1A5C}, {"F", 0x33}}, 2},
        {"Samsung36", {{"D", 0x00}, {"S", 0x57}, {"F", 0x21}, {"E", 9}}, 1},
        {"JVC", {{"D", 0x03}, {"F", 0x17}}, 2},
        {"Sharp", {{"D", 1}, {"F", 0xE9}}, 2},
        {"Denon", {{"D", 8}, {"F", 0x4A}}, 1},
        {"Mitsubishi", {{"D", 0x47}, {"F", 0x1C}}, 1},
        {"RCA", {{"D", 15}, {"F", 0xA5}}, 2},
        {"RCA-38", {{"D", 6}, {"F", 0x3C}}, 1},
    };
    for (const auto &[name, fields, repeats] : codes) {
        const std::optional<KnownCode> code = KnownProtocols::make(name, fields, repeats);
        const std::optional<IrSignal> signal = code ? KnownProtocols::encode(*code) : std::nullopt;
        QVERIFY2(signal, name);
        QTest::newRow(name) << SignalMatch::asSent(*signal);
    }
}

void KnownProtocolsTest::jitterKeepsTheCode()
{
    // Captures of one key, each length within 5 % of the remote's: the same
    // protocol, fields, toggle and repeats, so that learning the key again
    // keeps its code. The timing nibbles follow each capture, which keeps the
    // copy faithful; a known format holds no slot that they could move.
    QFETCH(InfraredSignal, signal);
    const auto code = [](const InfraredSignal &capture) {
        return ConverterResult::of(CodeConverter::convert(ConverterInput::of(capture))).keyCode().toStdString();
    };
    const ConverterResult clean = ConverterResult::of(CodeConverter::convert(ConverterInput::of(signal)));
    QVERIFY(clean.known());
    const std::optional<TestSignals::Moved> moved = TestSignals::firstMoved(signal, TestSignals::captureJitter, code);
    QVERIFY2(!moved, moved ? qPrintable(QString("seed %1: %2").arg(moved->seed).arg(moved->key.c_str())) : "");
}

void KnownProtocolsTest::invalidRecordsSendNothing_data()
{
    QTest::addColumn<QString>("record");
    QTest::newRow("sound NEC1 record") << "C00000010000"
                                          "10EF20DF00000000"
                                          "0000000000000000";
    QTest::newRow("NECx with a toggle") << "C00000030000"
                                           "10EE20DF00000000"
                                           "0100000000000000";
    QTest::newRow("NEC with a toggle") << "C00000010000"
                                          "10EF20DF00000000"
                                          "0100000000000000";
    QTest::newRow("repeats without a kind") << "C00000010000"
                                               "10EF20DF00000000"
                                               "0000030000000000";
    QTest::newRow("repeat kind 3") << "C00000010000"
                                      "10EF20DF00000000"
                                      "0003010000000000";
    QTest::newRow("a kind without repeats") << "C00000010000"
                                               "10EF20DF00000000"
                                               "0001000000000000";
    QTest::newRow("RC5 device of 6 bits") << "C00000020000"
                                             "2000050000000000"
                                             "0000000000000000";
    QTest::newRow("RC5 ditto repeats") << "C00000020000"
                                          "0100050000000000"
                                          "0001020000000000";
    QTest::newRow("id no protocol owns") << "C00000050000"
                                            "10EF20DF00000000"
                                            "0000000000000000";
    QTest::newRow("dropped record") << "000000010000"
                                       "10EF20DF00000000"
                                       "0000000000000000";
    QTest::newRow("short record") << "C00000010000"
                                     "10EF20DF00000000"
                                     "00000000000000";
    QTest::newRow("not hex") << "C00000010000"
                                "10EF20DF0000000G"
                                "0000000000000000";
}

void KnownProtocolsTest::invalidRecordsSendNothing()
{
    QFETCH(QString, record);
    const bool sound = QString(QTest::currentDataTag()).startsWith("sound");
    QCOMPARE(FormatCodec::regenerate(record.toStdString(), "").has_value(), sound);
}

QTEST_APPLESS_MAIN(KnownProtocolsTest)
#include "KnownProtocolsTest.moc"
