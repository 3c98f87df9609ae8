#include <QtTest>

#include "CodeConverter.h"
#include "ConverterInput.h"
#include "ConverterResult.h"
#include "FormatCodec.h"
#include "FormatDigest.h"
#include "HexText.h"
#include "LearnedFormat.h"
#include "LearnedParts.h"
#include "SignalMatch.h"
#include "TestSignals.h"

Q_DECLARE_METATYPE(InfraredSignal)

namespace
{
ConverterResult convert(const InfraredSignal &signal, const std::string &storedFormats = {})
{
    return ConverterResult::of(CodeConverter::convert(ConverterInput::of(signal), 0, storedFormats));
}

std::optional<IrSignal> regenerate(const ConverterResult &result)
{
    return FormatCodec::regenerate(result.learnedRecord(), result.data.toStdString());
}

std::optional<LearnedFormat> formatOf(const ConverterResult &result)
{
    const auto bytes = HexText::bytes(result.data.toStdString());
    return bytes ? LearnedFormat::parse(*bytes) : std::nullopt;
}

bool learnedId(const QString &id)
{
    return id.size() == 6 && id.left(2).toInt(nullptr, 16) >= 0x22;
}

const TestSignals::PulseDistance custom;
const std::vector<bool> powerKey = TestSignals::bitsOf(0x123456789ABCull, 48);
const std::vector<bool> muteKey = TestSignals::bitsOf(0xFEDCBA987654ull, 48);

TestSignals::PulseDistance repeating(int frames)
{
    TestSignals::PulseDistance shape;
    shape.frames = frames;
    shape.gapUs = 24500;  // mid-millisecond: the duration text reads it as 24 ms
    return shape;
}

// Frames that start every 100 ms: the gap after one follows its bits.
TestSignals::PulseDistance periodic()
{
    TestSignals::PulseDistance shape = repeating(3);
    shape.gapUs = 100000;
    shape.period = true;
    return shape;
}

// The data bits and the count of a learned key's parts.
std::optional<LearnedParts::Content> keyContent(const ConverterResult &result)
{
    const std::optional<LearnedFormat> format = formatOf(result);
    const auto parts = HexText::bytes((result.partA + result.partB).toStdString());
    if (!format || !parts) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 16> bytes{};
    std::copy(parts->begin(), parts->end(), bytes.begin());
    return LearnedParts::unpack(bytes, format->partBitCount(), format->partShape());
}

// One signal of each shape that no known protocol takes.
void addLearnedShapes()
{
    QTest::addColumn<InfraredSignal>("signal");
    QTest::newRow("pulse distance, 48 bits") << TestSignals::pulseDistance(custom, powerKey);
    QTest::newRow("pulse distance, repeated") << TestSignals::pulseDistance(repeating(3), muteKey);
    // 13 bits: no Sony variant has that many.
    QTest::newRow("pulse width, repeated") << TestSignals::pulseWidth(TestSignals::bitsOf(0xA90, 13));
    QTest::newRow("biphase") << TestSignals::biphase(TestSignals::bitsOf(0xB38E, 16), 1);
    QTest::newRow("biphase, repeated") << TestSignals::biphase(TestSignals::bitsOf(0x2C5, 11), 3);
    QTest::newRow("duty cycle") << TestSignals::dutyCycle(TestSignals::bitsOf(0x5A3C, 16));
    InfraredSignal nec = TestSignals::nec(0x10, 0xEF, 0x20, TestSignals::NecRepeat::Ditto, 2);
    nec.durations[0] = 6000;  // no NEC lead-in: a learned format
    QTest::newRow("NEC bits, foreign lead-in") << nec;
    QTest::newRow("two bits a symbol") << TestSignals::twoBitSymbols(TestSignals::bitsOf(0x1B1B1B, 24));
    QTest::newRow("irregular") << TestSignals::irregular();
}
}  // namespace

class LearnedFormatsTest : public QObject
{
    Q_OBJECT

private slots:
    void keysOfOneRemoteShareTheFormat_data();
    void keysOfOneRemoteShareTheFormat();
    void strayingKeysGrowTheFormatIntoABundle();
    void keysOfAnotherStructureJoinAFormatWhenNoSlotIsFree();
    void holdingLongerKeepsTheFormat();
    void irregularSignalIsKeptAsPairs();
    void bitsBeyondThePartsStayWithTheFormat();
    void roundTrip_data();
    void roundTrip();
    void jitteredCapturesSendBackFaithfully_data();
    void jitteredCapturesSendBackFaithfully();
    void jitterKeepsTheKeysBits_data();
    void jitterKeepsTheKeysBits();
    void formatsThatDifferNeverShareAnId();
    void paddedFormatDataReadsTheSame();
    void damagedFormatDataIsRefused();
    void formatsOfTheOldLayoutStillRead();
    void fourSymbolsCarryTwoBitsEach();
    void frameLikeTheOneBeforeTakesOneByte();
    void partsMustFitTheFormat();
};

void LearnedFormatsTest::keysOfOneRemoteShareTheFormat_data()
{
    QTest::addColumn<InfraredSignal>("first");
    QTest::addColumn<InfraredSignal>("second");
    // The second key's conversion is offered the format the first one stored.
    QTest::addColumn<bool>("offered");
    QTest::addColumn<bool>("shared");
    QTest::newRow("pulse distance, 48 bits")
        << TestSignals::pulseDistance(custom, powerKey) << TestSignals::pulseDistance(custom, muteKey) << false << true;
    QTest::newRow("pulse distance, repeated") << TestSignals::pulseDistance(repeating(3), powerKey)
                                              << TestSignals::pulseDistance(repeating(3), muteKey) << false << true;
    QTest::newRow("pulse width, 13 bits") << TestSignals::pulseWidth(TestSignals::bitsOf(0x095, 13))
                                          << TestSignals::pulseWidth(TestSignals::bitsOf(0xA90, 13)) << false << true;
    // Their data in the parts, two bits a symbol, not as pairs in the format.
    QTest::newRow("two bits a symbol") << TestSignals::twoBitSymbols(TestSignals::bitsOf(0x1B1B1B, 24))
                                       << TestSignals::twoBitSymbols(TestSignals::bitsOf(0xE4E4E4, 24)) << false
                                       << true;
    // The gap after a frame is the key's own, like its bits.
    QTest::newRow("frames a fixed period apart") << TestSignals::pulseDistance(periodic(), powerKey)
                                                 << TestSignals::pulseDistance(periodic(), muteKey) << false << true;
    // Each capture's lengths stray: the format a key stored sends the next one too.
    QTest::newRow("another key, jittered")
        << TestSignals::pulseDistance(repeating(3), powerKey)
        << TestSignals::jittered(TestSignals::pulseDistance(repeating(5), muteKey), 0.03, 7) << true << true;
    TestSignals::PulseDistance other = custom;
    other.bitMark = 900;
    QTest::newRow("another remote's timing")
        << TestSignals::pulseDistance(custom, powerKey) << TestSignals::pulseDistance(other, muteKey) << true << false;
}

void LearnedFormatsTest::keysOfOneRemoteShareTheFormat()
{
    QFETCH(InfraredSignal, first);
    QFETCH(InfraredSignal, second);
    QFETCH(bool, offered);
    QFETCH(bool, shared);
    const ConverterResult a = convert(first);
    const ConverterResult b = convert(second, offered ? (a.id + ":" + a.data).toStdString() : std::string());
    QVERIFY(a.wellFormed && b.wellFormed);
    QVERIFY(learnedId(a.id));
    if (!shared) {
        // The offered format would not send it faithfully: a format of its own.
        QVERIFY(b.id != a.id);
        return;
    }
    QCOMPARE(b.id, a.id);
    QCOMPARE(b.data, a.data);
    QVERIFY(a.partA + a.partB != b.partA + b.partB);
    // The second key uses the slot the first one stored: its own parts, the first key's format data.
    const std::optional<IrSignal> sent = FormatCodec::regenerate(b.learnedRecord(), a.data.toStdString());
    QVERIFY(sent);
    QCOMPARE(SignalMatch::difference(second, *sent, 0.05), QString());
}

// A key whose lengths stray further than its parts can carry grows the stored
// format into a bundle with its timing: the same id, every key sent
// faithfully. The bundle keeps only the timing of the keys listed as using
// it; without the list it cannot tell, and the key gets a format of its own.
void LearnedFormatsTest::strayingKeysGrowTheFormatIntoABundle()
{
    const auto straying = [](const std::vector<bool> &bits, std::size_t from, double by = 1.12, std::size_t every = 8) {
        InfraredSignal signal = TestSignals::pulseDistance(custom, bits);
        for (std::size_t i = from; i < signal.durations.size(); i += every) {
            signal.durations[i] *= by;
        }
        return signal;
    };
    const InfraredSignal first = TestSignals::pulseDistance(custom, powerKey);
    const InfraredSignal second = straying(muteKey, 3);
    const ConverterResult a = convert(first);
    const ConverterResult b = convert(second, (a.id + ":" + a.data + ":" + a.partA + a.partB).toStdString());
    QCOMPARE(b.id, a.id);
    QVERIFY(b.data != a.data);
    for (const auto &[key, signal] : {std::pair{&a, &first}, std::pair{&b, &second}}) {
        const std::optional<IrSignal> sent = FormatCodec::regenerate(key->learnedRecord(), b.data.toStdString());
        QVERIFY(sent);
        QCOMPARE(SignalMatch::difference(*signal, *sent, 0.05), QString());
    }
    QVERIFY(convert(second, (a.id + ":" + a.data).toStdString()).id != a.id);
    // Learned again a little further off, the second key keeps its parts and its timing.
    const ConverterResult again = convert(
        straying(muteKey, 3, 1.13),
        (b.id + ":" + b.data + ":" + a.partA + a.partB + ";replaced:" + b.id + ":" + b.partA + b.partB).toStdString());
    QCOMPARE(again.partA + again.partB, b.partA + b.partB);
    QCOMPARE(again.data, b.data);
    // The second key gone, a key the format sends as it is takes its timing out.
    QCOMPARE(convert(first, (b.id + ":" + b.data + ":" + a.partA + a.partB).toStdString()).data, a.data);
    // So does a key that grows the format again.
    const ConverterResult c =
        convert(straying(powerKey, 5), (b.id + ":" + b.data + ":" + a.partA + a.partB).toStdString());
    QCOMPARE(c.id, a.id);
    QCOMPARE(formatOf(c)->keyTimings.size(), std::size_t{1});
    // A key's own format, built for a caller that offers what the remote
    // holds, keeps the key's strays with the key; learned again, the key
    // leaves none of them in the format. Without the offer, as before.
    const InfraredSignal held = TestSignals::pulseDistance(repeating(12), muteKey);
    const InfraredSignal odd = TestSignals::jittered(held, 0.04, 1);
    const ConverterResult own = convert(odd, "");
    QVERIFY(formatOf(own)->adjustments.empty());
    QCOMPARE(formatOf(own)->keyTimings.size(), std::size_t{1});
    QCOMPARE(SignalMatch::difference(odd, *regenerate(own), 0.05), QString());
    const ConverterResult plain = ConverterResult::of(CodeConverter::convert(ConverterInput::of(odd)));
    QVERIFY(!formatOf(plain)->adjustments.empty());
    const InfraredSignal oddAgain = TestSignals::jittered(held, 0.04, 2);
    const ConverterResult relearned = convert(
        oddAgain, (own.id + ":" + own.data + ":;replaced:" + own.id + ":" + own.partA + own.partB).toStdString());
    QCOMPARE(relearned.id, own.id);
    QVERIFY(formatOf(relearned)->adjustments.empty());
    QCOMPARE(SignalMatch::difference(oddAgain, *regenerate(relearned), 0.05), QString());
}

// With no slot free, a key of another frame structure joins a stored format
// as another of its timings: the same id, both keys sent faithfully. With a
// slot free, or no room for the new data, it gets a format of its own; its
// key gone, the timing goes.
void LearnedFormatsTest::keysOfAnotherStructureJoinAFormatWhenNoSlotIsFree()
{
    const InfraredSignal first = TestSignals::pulseDistance(custom, powerKey);
    const InfraredSignal other = TestSignals::irregular();
    const ConverterResult a = convert(first);
    const std::string offered = (a.id + ":" + a.data + ":" + a.partA + a.partB).toStdString();
    QVERIFY(convert(other, offered).id != a.id);
    // Nor does it join where the format's new data would find no room.
    QVERIFY(convert(other, offered + ";slotsfull;room:16").id != a.id);
    const ConverterResult b = convert(other, offered + ";slotsfull");
    QCOMPARE(b.id, a.id);
    QCOMPARE(formatOf(b)->otherTimings.size(), std::size_t{1});
    for (const auto &[key, signal] : {std::pair{&a, &first}, std::pair{&b, &other}}) {
        const std::optional<IrSignal> sent = FormatCodec::regenerate(key->learnedRecord(), b.data.toStdString());
        QVERIFY(sent);
        QCOMPARE(SignalMatch::difference(*signal, *sent, 0.05), QString());
    }
    QCOMPARE(convert(first, (b.id + ":" + b.data + ":" + a.partA + a.partB).toStdString()).data, a.data);
    // Of two other timings the one whose key is gone goes; the other's key still sends as before.
    const InfraredSignal third = TestSignals::biphase(TestSignals::bitsOf(0xB38E, 16), 1);
    const ConverterResult c = convert(
        third, (b.id + ":" + b.data + ":" + a.partA + a.partB + b.partA + b.partB + ";slotsfull").toStdString());
    QCOMPARE(formatOf(c)->otherTimings.size(), std::size_t{2});
    const ConverterResult d =
        convert(first, (c.id + ":" + c.data + ":" + a.partA + a.partB + c.partA + c.partB).toStdString());
    QCOMPARE(formatOf(d)->otherTimings.size(), std::size_t{1});
    const std::optional<IrSignal> sent = FormatCodec::regenerate(c.learnedRecord(), d.data.toStdString());
    QVERIFY(sent);
    QCOMPARE(SignalMatch::difference(third, *sent, 0.05), QString());
}

void LearnedFormatsTest::holdingLongerKeepsTheFormat()
{
    const ConverterResult three = convert(TestSignals::pulseDistance(repeating(3), powerKey));
    const ConverterResult five = convert(TestSignals::pulseDistance(repeating(5), powerKey));
    // A lone frame too: its count says it went out once.
    const ConverterResult single = convert(TestSignals::pulseDistance(custom, powerKey));
    for (const ConverterResult *other : {&five, &single}) {
        QCOMPARE(other->id, three.id);
        QCOMPARE(other->data, three.data);
        QCOMPARE(other->partA, three.partA);
    }
    QCOMPARE(keyContent(single)->repeats, 1);
    QCOMPARE(keyContent(three)->repeats, 3);
    QCOMPARE(keyContent(five)->repeats, 5);
}

void LearnedFormatsTest::irregularSignalIsKeptAsPairs()
{
    const ConverterResult result = convert(TestSignals::irregular());
    QVERIFY(result.wellFormed);
    QVERIFY(learnedId(result.id));
    const std::optional<LearnedParts::Content> content = keyContent(result);
    QVERIFY(content);
    QVERIFY(content->bits.empty());
    const std::optional<LearnedFormat> format = formatOf(result);
    QVERIFY(format);
    QVERIFY(format->alphabet.empty());
    QCOMPARE(format->bitCount(), std::size_t(0));
}

void LearnedFormatsTest::bitsBeyondThePartsStayWithTheFormat()
{
    std::vector<bool> bits = powerKey;
    for (int i = 0; i < 3; ++i) {
        bits.insert(bits.end(), muteKey.begin(), muteKey.end());
    }
    const InfraredSignal first = TestSignals::pulseDistance(custom, bits);
    const ConverterResult a = convert(first);
    const std::optional<LearnedFormat> format = formatOf(a);
    QVERIFY(format);
    // 192 bits, and the closing mark as the mark of one more.
    QCOMPARE(format->bitCount(), std::size_t(193));
    QCOMPARE(format->extraBits.size(), std::size_t(193 - 128));
    // The extra bits belong to this key: another key has a format of its own.
    bits.back() = !bits.back();
    const InfraredSignal other = TestSignals::pulseDistance(custom, bits);
    const ConverterResult b = convert(other);
    QVERIFY(b.id != a.id);
    QCOMPARE(b.partA + b.partB, a.partA + a.partB);
    // With no slot free it joins the other's format all the same, its timing
    // sending the first bits fixed so that its parts differ.
    const ConverterResult joined =
        convert(other, (a.id + ":" + a.data + ":" + a.partA + a.partB + ";slotsfull").toStdString());
    QCOMPARE(joined.id, a.id);
    QVERIFY(joined.partA + joined.partB != a.partA + a.partB);
    for (const auto &[key, signal] : {std::pair{&a, &first}, std::pair{&joined, &other}}) {
        const std::optional<IrSignal> sent = FormatCodec::regenerate(key->learnedRecord(), joined.data.toStdString());
        QVERIFY(sent);
        QCOMPARE(SignalMatch::difference(*signal, *sent, 0.05), QString());
    }
}

void LearnedFormatsTest::roundTrip_data()
{
    addLearnedShapes();
    std::vector<bool> many = powerKey;
    for (int i = 0; i < 5; ++i) {
        many.insert(many.end(), muteKey.begin(), muteKey.end());
    }
    QTest::newRow("288 bits") << TestSignals::pulseDistance(custom, many);
    // With the closing mark 256 bits: the 128 beyond the parts, a count that takes two bytes.
    std::vector<bool> boundary(many.begin(), many.begin() + 255);
    QTest::newRow("255 bits") << TestSignals::pulseDistance(custom, boundary);
    InfraredSignal lone;
    lone.durations = {600, 30000, 600, 30000, 600, 30000, 600, 30000, 600};
    QTest::newRow("lone marks") << lone;
}

void LearnedFormatsTest::roundTrip()
{
    QFETCH(InfraredSignal, signal);
    const ConverterResult result = convert(signal);
    QVERIFY(result.wellFormed);
    const std::optional<IrSignal> sent = regenerate(result);
    QVERIFY(sent);
    QCOMPARE(sent->carrierHz, LearnedFormat::defaultCarrierHz);
    QCOMPARE(SignalMatch::difference(signal, *sent, 0.05), QString());
    // What the transmitter sends learns back as the same key.
    const ConverterResult again = convert(SignalMatch::asSent(*sent));
    QCOMPARE(again.id, result.id);
    QCOMPARE(again.partA + again.partB, result.partA + result.partB);
}

void LearnedFormatsTest::jitteredCapturesSendBackFaithfully_data()
{
    addLearnedShapes();
}

void LearnedFormatsTest::jitteredCapturesSendBackFaithfully()
{
    QFETCH(InfraredSignal, signal);
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        const InfraredSignal noisy = TestSignals::jittered(signal, 0.05, seed);
        const ConverterResult result = convert(noisy);
        const std::optional<IrSignal> sent = FormatCodec::regenerate(result.learnedRecord(), result.data.toStdString());
        QVERIFY2(sent, qPrintable(QString("seed %1").arg(seed)));
        QCOMPARE(SignalMatch::difference(noisy, *sent, 0.05), QString());
    }
}

void LearnedFormatsTest::jitterKeepsTheKeysBits_data()
{
    addLearnedShapes();
}

void LearnedFormatsTest::jitterKeepsTheKeysBits()
{
    // Captures of one key, each length within 5 % of the remote's: the same
    // bits and repeats. The format's lengths follow each capture, so its id
    // may move; offered the stored formats, the converter keeps the key in
    // the one it stored before.
    QFETCH(InfraredSignal, signal);
    QVERIFY(learnedId(convert(signal).id));
    const auto parts = [](const InfraredSignal &capture) {
        const std::optional<LearnedParts::Content> content = keyContent(convert(capture));
        std::string key = content ? std::to_string(content->repeats) + ":" : std::string("none");
        for (const bool bit : content ? content->bits : std::vector<bool>{}) {
            key += bit ? '1' : '0';
        }
        return key;
    };
    const std::optional<TestSignals::Moved> moved = TestSignals::firstMoved(signal, TestSignals::captureJitter, parts);
    QVERIFY2(!moved, moved ? qPrintable(QString("seed %1: %2").arg(moved->seed).arg(moved->key.c_str())) : "");
}

void LearnedFormatsTest::formatsThatDifferNeverShareAnId()
{
    // A key stored after another of the same id is sent with the first one's
    // format data: an id must name those data and nothing else. A length of
    // its own goes with the key's parts.
    const InfraredSignal signal = TestSignals::pulseDistance(custom, powerKey);
    InfraredSignal stray = signal;
    const auto oneSpace = std::find(stray.durations.begin() + 2, stray.durations.end(), custom.oneSpace);
    QVERIFY(oneSpace != stray.durations.end());
    *oneSpace *= 1.12;
    const ConverterResult clean = convert(signal);
    const ConverterResult strayed = convert(stray);
    QCOMPARE(strayed.id, clean.id);
    QCOMPARE(strayed.data, clean.data);
    QCOMPARE(keyContent(strayed)->bits, keyContent(clean)->bits);
    QCOMPARE(keyContent(strayed)->adjustments.size(), std::size_t(1));
    QCOMPARE(SignalMatch::difference(stray, *regenerate(strayed), 0.05), QString());

    const std::optional<LearnedFormat> format = formatOf(strayed);
    QVERIFY(format);
    LearnedFormat measured = *format;
    LearnedFormat other = *format;
    measured.carrierKHz = 37;
    other.carrierKHz = 38;
    QVERIFY(FormatDigest::formatId(measured) != FormatDigest::formatId(other));
    other.carrierKHz = 37;
    QCOMPARE(FormatDigest::formatId(measured), FormatDigest::formatId(other));
    // A stored format that has the id with other data, its keys not listed,
    // is never named for new data: the caller would replace them.
    const ConverterResult irregular = convert(TestSignals::irregular());
    QCOMPARE(convert(signal, (clean.id + ":" + irregular.data).toStdString()).id, QString());
    // A long key's second copy, its parts those of the first, whose own timing
    // the stored format holds and does not suit this capture: a timing apart.
    std::vector<bool> longBits = powerKey;
    for (const std::vector<bool> *more : {&muteKey, &powerKey}) {
        longBits.insert(longBits.end(), more->begin(), more->end());
    }
    const InfraredSignal longKey = TestSignals::pulseDistance(custom, longBits);
    const ConverterResult first = convert(TestSignals::jittered(longKey, 0.04, 15), "");
    QCOMPARE(formatOf(first)->keyTimings.size(), std::size_t{1});
    const ConverterResult second =
        convert(longKey, (first.id + ":" + first.data + ":" + first.partA + first.partB).toStdString());
    QCOMPARE(formatOf(convert(longKey, ""))->keyTimings.size(), std::size_t{0});
    QCOMPARE(convert(longKey, "").id, first.id);
    QVERIFY(!second.id.isEmpty() && second.id != first.id);
    QCOMPARE(SignalMatch::difference(longKey, *regenerate(second), 0.05), QString());
}

void LearnedFormatsTest::paddedFormatDataReadsTheSame()
{
    const ConverterResult result = convert(TestSignals::pulseDistance(repeating(2), powerKey));
    // The code area hands out whole blocks of 8 bytes; whatever follows the data is not read.
    QString padded = result.data;
    while (padded.size() % 16 != 0) {
        padded += "FF";
    }
    padded += "0123456789ABCDEF";
    const std::optional<IrSignal> plain = regenerate(result);
    const std::optional<IrSignal> read = FormatCodec::regenerate(result.learnedRecord(), padded.toStdString());
    QVERIFY(plain && read);
    QCOMPARE(read->flatDurations(), plain->flatDurations());
}

void LearnedFormatsTest::damagedFormatDataIsRefused()
{
    const ConverterResult result = convert(TestSignals::pulseDistance(repeating(2), powerKey));
    const std::string data = result.data.toStdString();
    for (std::size_t cut = 0; cut < data.size(); cut += 2) {
        QVERIFY2(!FormatCodec::regenerate(result.learnedRecord(), data.substr(0, cut)),
                 qPrintable(QString("cut at %1").arg(cut)));
    }
    std::string wrongVersion = data;
    for (const char version : {'2', '7', '0'}) {
        wrongVersion[0] = version;
        QVERIFY(!FormatCodec::regenerate(result.learnedRecord(), wrongVersion));
    }
    QVERIFY(!FormatCodec::regenerate(result.learnedRecord(), data + "F"));
    // A token naming a cluster the format does not have.
    const std::optional<LearnedFormat> format = formatOf(result);
    QVERIFY(format);
    std::vector<std::uint8_t> bytes = format->serialize();
    const std::size_t firstToken = 2 + format->markCodes.size() + format->spaceCodes.size() + 2 + 1 + 1;
    bytes[firstToken] = 0xDD;
    QVERIFY(!LearnedFormat::parse(bytes));
}

// Remotes keep formats of the layouts written before: they send as they did,
// and written again they only shrink.
void LearnedFormatsTest::formatsOfTheOldLayoutStillRead()
{
    // Counts and positions two bytes each.
    const std::vector<std::uint8_t> old{0x2D, 40,                // encoding, extra bits, adjustments; carrier 40 kHz
                                        0x12, 0x4B, 0x4B, 0x6F,  // one mark, two spaces
                                        0x00, 0x01,              // bit 0, bit 1
                                        1,    0,    0xF0, 130,  0xE0,  // one frame: 130 bits and the closing mark
                                        0x00, 0x02, 0x80,              // the two bits beyond the parts: 1, 0
                                        0x00, 0x02,                    // two adjustments
                                        0x00, 0x03, 0x50,              // the fourth length
                                        0x80, 0x00, 0x30};             // the gap after the first sent frame
    // Counts and positions as variable-length numbers, each position past the one before.
    const std::vector<std::uint8_t> compact{0x4D, 40,   0x12, 0x4B, 0x4B, 0x6F, 0x00, 0x01, 1,    0,    0xF0,
                                            130,  0xE0, 0x02, 0x80, 0x02, 0x03, 0x50, 0xFC, 0xFF, 0x01, 0x30};
    const std::optional<LearnedFormat> format = LearnedFormat::parse(old);
    QVERIFY(format);
    QCOMPARE(int(format->carrierKHz), 40);
    QCOMPARE(format->extraBits, (std::vector<bool>{true, false}));
    QCOMPARE(format->adjustments,
             (std::vector<LearnedFormat::Adjustment>{{3, 0x50}, {LearnedFormat::firstGapPosition, 0x30}}));
    QCOMPARE(LearnedFormat::parse(compact), format);
    const std::vector<std::uint8_t> now = format->serialize();
    QCOMPARE(now[0], std::uint8_t(0x6D));
    // Both symbols in one byte, and no gap byte after the last frame.
    QCOMPARE(now.size(), compact.size() - 2);
    QCOMPARE(std::vector<std::uint8_t>(now.begin() + 6, now.begin() + 11),
             (std::vector<std::uint8_t>{0x01, 1, 0xF0, 130, 0xE0}));
    QCOMPARE(LearnedFormat::parse(now), format);
    // A position past 16 bits, or a number longer than three bytes, is no format.
    std::vector<std::uint8_t> far = now;
    std::copy_n(std::begin({0xFF, 0xFF, 0x03}), 3, far.end() - 4);
    QVERIFY(!LearnedFormat::parse(far));
    std::vector<std::uint8_t> endless(now.begin(), now.end() - 4);
    endless.insert(endless.end(), {0x80, 0x80, 0x80, 0x01, 0x30});
    QVERIFY(!LearnedFormat::parse(endless));
    // A packed alphabet naming a space the format does not have is no format.
    QVERIFY(!LearnedFormat::parse({0x51, 0x11, 0x30, 0x30, 0x01, 1, 0xF3, 0xE0}));
    QVERIFY(LearnedFormat::parse({0x51, 0x12, 0x30, 0x30, 0x48, 0x01, 1, 0xF3, 0xE0}));
    // A bundle with four-byte tags keeps them, grown too: its keys' records name them.
    std::vector<std::uint8_t> wide{0xD0, static_cast<std::uint8_t>(now.size())};
    wide.insert(wide.end(), now.begin(), now.end());
    wide.insert(wide.end(), {1, 0x12, 0x34, 0x56, 0x78, 1, 2, 3});
    std::optional<LearnedFormat> bundle = LearnedFormat::parse(wide);
    QVERIFY(bundle);
    QCOMPARE(bundle->keyTimings.front().tag, 0x12345678U);
    QCOMPARE(bundle->serialize(), wide);
    bundle->keyTimings.push_back({0x9ABCDEF0, 0, {{4, -1}}});
    QCOMPARE(LearnedFormat::parse(bundle->serialize()), bundle);
    // Bundles written now take two bytes a tag.
    bundle->wideTags = false;
    const std::vector<std::uint8_t> narrow = bundle->serialize();
    QCOMPARE(narrow[0], std::uint8_t(0xF0));
    QCOMPARE(narrow.size(), LearnedFormat::parse(wide)->serialize().size() + 5 - 2);
    QCOMPARE(LearnedFormat::parse(narrow)->keyTimings.back().tag, 0xDEF0U);
}

void LearnedFormatsTest::fourSymbolsCarryTwoBitsEach()
{
    const std::vector<std::uint8_t> bytes{0x71,                     // four symbols, encoding
                                          0x14, 0x30,               // one mark,
                                          0x30, 0x48, 0x58, 0x68,   // four spaces
                                          0x01, 0x23,               // the symbols of 00, 01, 10, 11, two a byte
                                          1,    0xF3, 0x03, 0xE0};  // one frame: two symbols, a pair, the closing mark
    const std::optional<LearnedFormat> format = LearnedFormat::parse(bytes);
    QVERIFY(format);
    QCOMPARE(format->bitCount(), std::size_t(4));
    QCOMPARE(format->serialize(), bytes);
    const int mark = LearnedFormat::lengthOfCode(0x30);
    std::vector<int> spaces;
    for (const std::uint8_t code : {0x30, 0x48, 0x58, 0x68}) {
        spaces.push_back(LearnedFormat::lengthOfCode(code));
    }
    std::array<std::uint8_t, 16> parts{};
    parts[0] = 0x90;  // 10 01: the third space, then the second
    const std::optional<IrSignal> signal = format->signal(parts);
    QVERIFY(signal);
    QCOMPARE(signal->flatDurations(), (std::vector<int>{mark, spaces[2], mark, spaces[1], mark, spaces[3], mark}));
    // Four symbols without the encoding flag, or a run of symbols in a format
    // that has none, are no format.
    std::vector<std::uint8_t> noEncoding = bytes;
    noEncoding[0] = 0x70;
    QVERIFY(!LearnedFormat::parse(noEncoding));
    std::vector<std::uint8_t> noSymbols{0x30, 0x11, 0x30, 0x30, 1, 0, 0xF3, 0xE0};
    QVERIFY(!LearnedFormat::parse(noSymbols));
    noSymbols[6] = 0x00;
    QVERIFY(LearnedFormat::parse(noSymbols));
    // A short closing run: three symbols, the last its mark alone.
    const std::vector<std::uint8_t> closing{0x51, 0x12, 0x30, 0x30, 0x48, 0x01, 1, 0x2F};
    const std::optional<LearnedFormat> closed = LearnedFormat::parse(closing);
    QVERIFY(closed);
    QCOMPARE(closed->bitCount(), std::size_t(3));
    QCOMPARE(closed->serialize(), closing);
    parts[0] = 0x40;  // 0 1 0
    const std::optional<IrSignal> sentClosed = closed->signal(parts);
    QVERIFY(sentClosed);
    QCOMPARE(sentClosed->flatDurations(),
             (std::vector<int>{mark, spaces[0], mark, LearnedFormat::lengthOfCode(0x48), mark}));
}

void LearnedFormatsTest::frameLikeTheOneBeforeTakesOneByte()
{
    // Two frames of one timing with other bits: not a repeat, but one timing.
    InfraredSignal signal = TestSignals::pulseDistance(custom, powerKey);
    const InfraredSignal second = TestSignals::pulseDistance(custom, muteKey);
    signal.durations.push_back(30500);
    signal.durations.insert(signal.durations.end(), second.durations.begin(), second.durations.end());
    const ConverterResult result = convert(signal);
    const std::optional<LearnedFormat> format = formatOf(result);
    QVERIFY(format);
    QCOMPARE(format->frames.size(), std::size_t(2));
    QCOMPARE(format->frames[1].tokens, format->frames[0].tokens);
    const std::vector<std::uint8_t> bytes = format->serialize();
    QCOMPARE(bytes.back(), std::uint8_t(0xDE));
    QCOMPARE(LearnedFormat::parse(bytes), format);
    const std::optional<IrSignal> sent = regenerate(result);
    QVERIFY(sent);
    QCOMPARE(SignalMatch::difference(signal, *sent, 0.05), QString());
    // The first frame has none before it.
    QVERIFY(LearnedFormat::parse({0x50, 0x11, 0x30, 0x30, 2, 20, 0x00, 0xE0, 0xDE}));
    QVERIFY(!LearnedFormat::parse({0x50, 0x11, 0x30, 0x30, 1, 0xDE}));
}

void LearnedFormatsTest::partsMustFitTheFormat()
{
    const ConverterResult result = convert(TestSignals::pulseDistance(custom, powerKey));
    // A bit set right past the data bits belongs to no key of this format.
    const std::optional<LearnedFormat> format = formatOf(result);
    QVERIFY(format);
    auto parts = *HexText::bytes((result.partA + result.partB).toStdString());
    const std::size_t stray = format->partBitCount();
    parts[stray / 8] |= static_cast<std::uint8_t>(0x80 >> (stray % 8));
    const std::string strayBit = HexText::formatBytes(parts.data(), parts.size());
    QVERIFY(!FormatCodec::regenerate("C0008000FFFF" + strayBit, result.data.toStdString()));
    const ConverterResult repeated = convert(TestSignals::pulseDistance(repeating(3), powerKey));
    const QString noRepeats = repeated.partA + repeated.partB.left(14) + "00";
    QVERIFY(!FormatCodec::regenerate(("C0008000FFFF" + noRepeats).toStdString(), repeated.data.toStdString()));
}

QTEST_APPLESS_MAIN(LearnedFormatsTest)
#include "LearnedFormatsTest.moc"
