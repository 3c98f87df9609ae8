#include <QtTest>

#include <functional>

#include "CraftedImage.h"
#include "FactoryImage.h"
#include "KnownProtocols.h"
#include "LearnedFormat.h"
#include "LearnedRemote.h"
#include "RemoteTransmitter.h"
#include "SignalFile.h"
#include "TestSignals.h"

Q_DECLARE_METATYPE(InfraredSignal)
Q_DECLARE_METATYPE(CapturedCodeStore::FormatKind)
Q_DECLARE_METATYPE(RemoteTransmitter::Outcome)

namespace
{
using Kind = CapturedCodeStore::FormatKind;
using Outcome = RemoteTransmitter::Outcome;
using ImageMaker = std::function<std::vector<std::uint8_t>()>;

constexpr double tolerance = 0.05;

// Two keys of one remote of no known protocol, and a remote that sends its frame three times.
const std::vector<bool> powerBits = TestSignals::bitsOf(0xC3A5F00F1234ull, 48);
const std::vector<bool> muteBits = TestSignals::bitsOf(0x3C5A0FF04321ull, 48);
const TestSignals::PulseDistance thrice{3400, 1700, 420, 420, 1280, 24000, 3};

// Empty when the sent signal has the original's marks and spaces, frames
// joined by their gaps, each within `fraction` of the original's; else what differs.
QString difference(const InfraredSignal &original, const IrSignal &sent, double fraction)
{
    const std::vector<int> got = sent.flatDurations();
    if (got.size() != original.durations.size())
        return QString("%1 durations instead of %2").arg(got.size()).arg(original.durations.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (std::abs(got[i] - original.durations[i]) > fraction * original.durations[i])
            return QString("duration %1: %2 instead of %3").arg(i).arg(got[i]).arg(original.durations[i]);
    }
    return {};
}

QString outcomeText(const RemoteTransmitter::Result &result)
{
    return result.sent() ? QString("sent") : QString::fromStdString(result.reason);
}

// A remote that learned `signal` for `keycode` in `mode`, and its memory with `change` applied.
ImageMaker learnedThen(const InfraredSignal &signal, int mode, const std::string &keycode,
                       std::function<void(LearnedRemote &, std::vector<std::uint8_t> &)> change)
{
    return [=] {
        LearnedRemote remote;
        if (remote.learn(signal, mode, keycode).outcome != CapturedCodeStore::Outcome::Stored)
            return std::vector<std::uint8_t>();
        std::vector<std::uint8_t> image = remote.image();
        change(remote, image);
        return image;
    };
}

// `signal` on another carrier.
InfraredSignal at(InfraredSignal signal, int carrierHz)
{
    signal.carrierHz = carrierHz;
    return signal;
}

ImageMaker crafted(const CraftedImage &image)
{
    return [image] { return image.bytes(); };
}
}  // namespace

class RemoteTransmitterTest : public QObject
{
    Q_OBJECT

private slots:
    void learnedKeySendsThePressedSignal_data();
    void learnedKeySendsThePressedSignal();
    void keysSharingAFormatSendTheirOwnBits();
    void downloadedKeysSendNec1();
    void nothingIsSent_data();
    void nothingIsSent();
    void modeNames_data();
    void modeNames();
};

void RemoteTransmitterTest::learnedKeySendsThePressedSignal_data()
{
    QTest::addColumn<InfraredSignal>("signal");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("sentHz");
    using TestSignals::NecRepeat;
    QTest::newRow("NEC, ditto repeats") << TestSignals::nec(0x04, 0xFB, 0x08, NecRepeat::Ditto, 3) << Kind::Known
                                        << 38000;
    QTest::newRow("NEC, full repeats") << TestSignals::nec(0x20, 0xDF, 0x41, NecRepeat::Full, 2) << Kind::Known
                                       << 38000;
    QTest::newRow("NEC at 36 kHz") << at(TestSignals::nec(0x04, 0xFB, 0x08, NecRepeat::Ditto, 1), 36000) << Kind::Known
                                   << 36000;
    QTest::newRow("NEC without carrier: its own")
        << at(TestSignals::nec(0x04, 0xFB, 0x08, NecRepeat::Ditto, 1), 0) << Kind::Known << 38400;
    QTest::newRow("Pioneer: NEC at 40 kHz")
        << at(TestSignals::nec(0x20, 0xDF, 0x41, NecRepeat::Full, 2), 40000) << Kind::Known << 40000;
    QTest::newRow("RC5, toggle set") << TestSignals::rc5(5, 0x35, 1, 2) << Kind::Known << 36000;
    QTest::newRow("RC5, extended F") << TestSignals::rc5(20, 0x4A, 0, 0) << Kind::Known << 36000;
    QTest::newRow("RC5 captured at 38 kHz") << at(TestSignals::rc5(5, 0x35, 1, 2), 38000) << Kind::Known << 38000;
    QTest::newRow("RC5 without carrier: its own") << at(TestSignals::rc5(5, 0x35, 1, 2), 0) << Kind::Known << 36000;
    QTest::newRow("custom pulse distance") << TestSignals::pulseDistance({}, powerBits) << Kind::LearnedNew << 38000;
    QTest::newRow("custom at 56 kHz") << at(TestSignals::pulseDistance({}, powerBits), 56000) << Kind::LearnedNew
                                      << 56000;
    QTest::newRow("custom without carrier")
        << at(TestSignals::pulseDistance({}, powerBits), 0) << Kind::LearnedNew << LearnedFormat::defaultCarrierHz;
    QTest::newRow("custom, repeated") << at(TestSignals::pulseDistance(thrice, muteBits), 33000) << Kind::LearnedNew
                                      << 33000;
    QTest::newRow("duty cycle") << TestSignals::dutyCycle(TestSignals::bitsOf(0x5A3C, 16)) << Kind::LearnedNew << 38000;
    QTest::newRow("irregular, kept as pairs") << at(TestSignals::irregular(), 40000) << Kind::LearnedNew << 40000;
}

void RemoteTransmitterTest::learnedKeySendsThePressedSignal()
{
    QFETCH(InfraredSignal, signal);
    QFETCH(Kind, kind);
    QFETCH(int, sentHz);
    LearnedRemote remote;
    const auto stored = remote.learn(signal, 6, "45");
    QCOMPARE(stored.outcome, CapturedCodeStore::Outcome::Stored);
    QCOMPARE(stored.kind, kind);

    const auto sent = RemoteTransmitter::send(remote.image(), 6, "45");
    QVERIFY2(sent.sent(), qPrintable(outcomeText(sent)));
    QVERIFY(sent.reason.empty());
    const QString differs = difference(signal, sent.signal, tolerance);
    QVERIFY2(differs.isEmpty(), qPrintable(differs));
    // Known or learned, the key goes out at the carrier heard; without one at the protocol's own.
    QCOMPARE(sent.signal.carrierHz, sentHz);

    // Printed, it reads back as the same signal in the form `press` takes.
    InfraredSignal printed;
    std::string error;
    const std::string text = RemoteTransmitter::signalText(sent.signal);
    QVERIFY2(SignalFile::parse(text, printed, &error), error.c_str());
    QVERIFY(text.starts_with("carrier=" + std::to_string(sent.signal.carrierHz) + "\n"));
    QCOMPARE(printed.carrierHz, sent.signal.carrierHz);
    const std::vector<int> flat = sent.signal.flatDurations();
    QCOMPARE(printed.durations, std::vector<double>(flat.begin(), flat.end()));
    QCOMPARE(text.back(), '\n');
    QCOMPARE(std::count(text.begin(), text.end(), '\n'), qsizetype(sent.signal.frames.size() + 1));

    // Other modes' records at the same key position stay their own.
    QCOMPARE(RemoteTransmitter::send(remote.image(), 5, "45").outcome, Outcome::NoCode);
}

void RemoteTransmitterTest::keysSharingAFormatSendTheirOwnBits()
{
    LearnedRemote remote;
    const auto power = TestSignals::pulseDistance({}, powerBits);
    const auto mute = TestSignals::pulseDistance({}, muteBits);
    QCOMPARE(remote.learn(power, 2, "10").kind, Kind::LearnedNew);
    QCOMPARE(remote.learn(mute, 2, "12").kind, Kind::LearnedStored);
    // The same key position in another mode shares it too.
    QCOMPARE(remote.learn(mute, 4, "10").kind, Kind::LearnedStored);
    const auto image = remote.image();

    const struct
    {
        int mode;
        const char *keycode;
        const InfraredSignal &signal;
    } keys[] = {{2, "10", power}, {2, "12", mute}, {4, "10", mute}};
    for (const auto &key : keys) {
        const auto sent = RemoteTransmitter::send(image, key.mode, key.keycode);
        QVERIFY2(sent.sent(), qPrintable(outcomeText(sent)));
        const QString differs = difference(key.signal, sent.signal, tolerance);
        QVERIFY2(differs.isEmpty(), qPrintable(QString("%1 %2: ").arg(key.mode).arg(key.keycode) + differs));
    }
    QVERIFY(RemoteTransmitter::send(image, 2, "10").signal.flatDurations()
            != RemoteTransmitter::send(image, 2, "12").signal.flatDurations());
}

void RemoteTransmitterTest::downloadedKeysSendNec1()
{
    const auto image = FactoryImage::build();
    for (const auto &key : FactoryImage::downloadedKeys) {
        const std::string keycode = QByteArray::number(key.keyCode, 16).toStdString();
        const QByteArray name = QByteArray::number(key.mode) + " " + keycode.c_str();
        const auto sent = RemoteTransmitter::send(image, key.mode, keycode);
        QVERIFY2(sent.sent(), qPrintable(name + ": " + outcomeText(sent)));
        const auto code = KnownProtocols::decode(sent.signal);
        QVERIFY2(code, name.constData());
        QCOMPARE(code->formatId, FactoryImage::downloadedFormat);
        QCOMPARE(code->fields[2], key.keyCode);  // the command is the key's own code
        QCOMPARE(sent.signal.carrierHz, 38400);  // part B holds no carrier: NEC's own
        // The published timing of the protocol, from the first frame's device address on.
        const std::uint8_t device = code->fields[0];
        const auto nec =
            TestSignals::nec(device, static_cast<std::uint8_t>(~device), key.keyCode, TestSignals::NecRepeat::Ditto, 1);
        const QString differs = difference(nec, sent.signal, tolerance);
        QVERIFY2(differs.isEmpty(), qPrintable(name + ": " + differs));
    }
    // The TV set and the DVD player answer to different addresses.
    const auto tv = KnownProtocols::decode(RemoteTransmitter::send(image, 0, "10").signal);
    const auto dvd = KnownProtocols::decode(RemoteTransmitter::send(image, 3, "10").signal);
    QVERIFY(tv && dvd);
    QVERIFY(tv->fields[0] != dvd->fields[0]);
}

void RemoteTransmitterTest::nothingIsSent_data()
{
    QTest::addColumn<ImageMaker>("image");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("keycode");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("reason");

    const int tv10 = FactoryImage::keyRecordAddress(FactoryImage::keyIndex(0, 0x10));
    const int tv12 = FactoryImage::keyRecordAddress(FactoryImage::keyIndex(0, 0x12));
    const int cbl45 = CraftedImage::keyIndex(1, 27);
    QTest::newRow("never held a code") << crafted(CraftedImage()) << 1 << "45" << Outcome::NoCode
                                       << "mode CBL key 45 holds no code";
    QTest::newRow("code dropped") << crafted(CraftedImage().clearedKey(cbl45, 0).slot(0, 0x2A0102, 0, 1)) << 1 << "45"
                                  << Outcome::NoCode << "holds no code";
    QTest::newRow("bit 5 set") << crafted(CraftedImage().put(tv10, {0xA0})) << 0 << "10" << Outcome::NoCode
                               << "mode TV key 10 holds no code";
    QTest::newRow("mode past the last") << crafted(CraftedImage()) << 8 << "10" << Outcome::KeyNotListed
                                        << "there is no device mode 8";
    QTest::newRow("key not listed") << crafted(CraftedImage()) << 0 << "11" << Outcome::KeyNotListed
                                    << "key 11 is not in the remote's key-code list";
    QTest::newRow("blank memory lists no keys") << ImageMaker([] { return std::vector<std::uint8_t>(65536); }) << 0
                                                << "10" << Outcome::KeyNotListed << "key 10 is not";
    QTest::newRow("tables refused") << crafted(
        CraftedImage().putWord(FactoryImage::paramAddress + FactoryImage::keyRecordCountOffset, 10))
                                    << 0 << "10" << Outcome::TablesUnreadable
                                    << "tables cannot be read: parameter table: 10 key records";
    QTest::newRow("short image") << ImageMaker([] { return std::vector<std::uint8_t>(100); }) << 0 << "10"
                                 << Outcome::TablesUnreadable << "100 bytes";

    // Downloaded codes of formats without a protocol here, or with fields the protocol refuses.
    QTest::newRow("downloaded format 210000")
        << crafted(CraftedImage().put(tv12, {0x80, 0x00, 0x00, 0x21, 0x00, 0x00})) << 0 << "12"
        << Outcome::FormatUnknown << "mode TV key 12 holds a code of format 210000";
    QTest::newRow("NEC1, repeat of no kind") << crafted(CraftedImage().put(tv10 + 15, {0x07})) << 0 << "10"
                                             << Outcome::PartsInvalid << "holds no valid code of format 010000";

    // Learned records whose format cannot be found.
    QTest::newRow("slot free") << crafted(CraftedImage().learnedKey(cbl45, 3)) << 1 << "45" << Outcome::SlotFree
                               << "mode CBL key 45 refers to slot 3, which is free";
    QTest::newRow("slot beyond the records") << crafted(CraftedImage().learnedKey(cbl45, 40)) << 1 << "45"
                                             << Outcome::SlotBeyond << "beyond the 32 allocation records";
    QTest::newRow("blocks past the code area")
        << crafted(CraftedImage().learnedKey(cbl45, 2).slot(2, 0x2A0102, 1018, 4, true, false)) << 1 << "45"
        << Outcome::BlocksOutside << "slot 2 holds blocks 1018-1021, outside the code area of 1020 blocks";
    QTest::newRow("first block far past the code area")
        << crafted(CraftedImage().learnedKey(cbl45, 2).slot(2, 0x2A0102, 0x7FF0, 1, true, false)) << 1 << "45"
        << Outcome::BlocksOutside << "outside the code area";
    QTest::newRow("empty blocks") << crafted(CraftedImage().learnedKey(cbl45, 2).slot(2, 0x2A0102, 10, 2)) << 1 << "45"
                                  << Outcome::FormatDataInvalid
                                  << "slot 2 (format 2A0102) holds blocks 10-11 but no learned format";
    QTest::newRow("one empty block") << crafted(CraftedImage().learnedKey(cbl45, 2).slot(2, 0x2A0102, 7, 1)) << 1
                                     << "45" << Outcome::FormatDataInvalid << "holds block 7 but";
    QTest::newRow("slot of no blocks") << crafted(CraftedImage().learnedKey(cbl45, 2).slot(2, 0x2A0102, 10, 0)) << 1
                                       << "45" << Outcome::FormatDataInvalid << "holds no blocks";

    // Learned for real, then damaged.
    const auto custom = TestSignals::pulseDistance({}, powerBits);
    QTest::newRow("format data overwritten") << learnedThen(
        custom, 1, "45",
        [](LearnedRemote &, std::vector<std::uint8_t> &image) { image[FactoryImage::codeAreaAddress] = 0xFF; })
                                             << 1 << "45" << Outcome::FormatDataInvalid << "slot 0";
    // 48 bits and the closing mark's: the 50th bit of the parts is no key's.
    QTest::newRow("bits past the format's")
        << learnedThen(custom, 1, "45",
                       [](LearnedRemote &remote, std::vector<std::uint8_t> &image) {
                           image[static_cast<std::size_t>(remote.recordAddress(1, "45")) + 12] |= 0x40;
                       })
        << 1 << "45" << Outcome::PartsInvalid << "do not fit the learned format of slot 0";
    QTest::newRow("more repeats than a press takes")
        << learnedThen(TestSignals::pulseDistance(thrice, muteBits), 1, "45",
                       [](LearnedRemote &remote, std::vector<std::uint8_t> &image) {
                           image[static_cast<std::size_t>(remote.recordAddress(1, "45")) + 21] = 0xFF;
                       })
        << 1 << "45" << Outcome::TooLong << "more than a press takes (20000)";
}

void RemoteTransmitterTest::nothingIsSent()
{
    QFETCH(ImageMaker, image);
    QFETCH(int, mode);
    QFETCH(QString, keycode);
    QFETCH(Outcome, outcome);
    QFETCH(QString, reason);
    const std::vector<std::uint8_t> bytes = image();
    QVERIFY(!bytes.empty());
    const auto sent = RemoteTransmitter::send(bytes, mode, keycode.toStdString());
    QVERIFY(!sent.sent());
    QVERIFY2(sent.outcome == outcome, qPrintable(outcomeText(sent)));
    QVERIFY2(QString::fromStdString(sent.reason).contains(reason), sent.reason.c_str());
    QVERIFY(sent.reason.find('\n') == std::string::npos);
    QVERIFY(sent.signal.frames.empty());
}

void RemoteTransmitterTest::modeNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mode");  // -1: no mode
    QTest::newRow("TV") << "TV" << 0;
    QTest::newRow("lower case") << "cbl" << 1;
    QTest::newRow("mixed case") << "Aux" << 7;
    QTest::newRow("CD, not CBL") << "cd" << 5;
    QTest::newRow("number") << "3" << 3;
    QTest::newRow("last number") << "7" << 7;
    QTest::newRow("number past the modes") << "8" << -1;
    QTest::newRow("two digits") << "03" << -1;
    QTest::newRow("prefix") << "T" << -1;
    QTest::newRow("longer") << "TVX" << -1;
    QTest::newRow("empty") << "" << -1;
}

void RemoteTransmitterTest::modeNames()
{
    QFETCH(QString, text);
    QFETCH(int, mode);
    const auto found = RemoteTransmitter::modeNamed(text.toStdString());
    QCOMPARE(found.value_or(-1), mode);
    if (found && text.size() > 1)
        QCOMPARE(QString::fromStdString(RemoteTransmitter::modeName(*found)), text.toUpper());
}

QTEST_GUILESS_MAIN(RemoteTransmitterTest)
#include "RemoteTransmitterTest.moc"
