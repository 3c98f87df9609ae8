#include <QTest>

#include <string>

#include "CaptureEncoding.h"
#include "EncodedCapture.h"

Q_DECLARE_METATYPE(std::string)

namespace
{
// Mark 198 us, space 314 us, mark 454 us.
const std::string frame = "830003008600";
const std::string frameDurations = "00C6013A01C6";
// One "7FFF" and a space of 0x3000 between frames: 0x7FFF + 0x3000 units, 15 ms.
const std::string gap = "7FFF3000";
const std::string gapDurations = "FEFE000FEDED";
const std::string closing38 = "4E4E4E00";  // 38 kHz: header "2612"

// A capture of `frames` frames, and the durations the converter must get from
// it: one frame is closed by a separator of its own, more frames are not.
struct Road
{
    std::string capture;
    std::string durations;
};

Road road(int frames)
{
    Road road;
    for (int i = 0; i < frames; ++i) {
        road.capture += (i > 0 ? gap : "") + frame;
        road.durations += (i > 0 ? gapDurations : "") + frameDurations;
    }
    for (int i = 0; i < 20; ++i)
        road.capture += "7FFF";
    road.capture += closing38;
    road.durations += std::string(frames == 1 ? "FEFE0014" : "") + "EDED";
    return road;
}
}  // namespace

class EncodedCaptureTest : public QObject
{
    Q_OBJECT

private slots:
    void framesOfAnyCount_data();
    void framesOfAnyCount();
    void encodedTexts_data();
    void encodedTexts();
};

void EncodedCaptureTest::framesOfAnyCount_data()
{
    QTest::addColumn<int>("frames");
    for (int frames : {1, 2, 3, 9, 10, 11, 99, 100})
        QTest::addRow("%d frames", frames) << frames;
}

void EncodedCaptureTest::framesOfAnyCount()
{
    QFETCH(int, frames);
    const Road signal = road(frames);
    const std::string encoded = CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(signal.capture));
    QCOMPARE(encoded.substr(0, encoded.size() - signal.durations.size()), std::to_string(frames) + "2612");
    QCOMPARE(EncodedCapture::converterinput(encoded), signal.durations);
    QCOMPARE(EncodedCapture::carrierHz(encoded), 38000);
}

void EncodedCaptureTest::encodedTexts_data()
{
    QTest::addColumn<std::string>("encoded");
    QTest::addColumn<std::string>("input");
    QTest::addColumn<int>("carrierHz");

    const std::string one = frameDurations + "FEFE0014EDED";
    const std::string two = frameDurations + gapDurations + frameDurations + "EDED";
    QTest::newRow("no carrier") << "10000" + one << one << 0;
    QTest::newRow("38 kHz") << "12612" + one << one << 38000;
    QTest::newRow("carrier of three digits") << "11C712" + one << one << 455000;
    QTest::newRow("two frames, three-digit carrier") << "21C712" + two << two << 455000;
    QTest::newRow("low carrier with a leading zero digit") << "10B12" + one << one << 11000;
    std::string ten = frameDurations;
    for (int i = 1; i < 10; ++i)
        ten += gapDurations + frameDurations;
    ten += "EDED";
    QTest::newRow("ten frames, 40 kHz") << "102812" + ten << ten << 40000;
    QTest::newRow("empty") << std::string() << std::string() << 0;
    QTest::newRow("five characters") << std::string("12612") << std::string() << 0;
    QTest::newRow("count disagrees with the separators") << "32612" + one << std::string() << 0;
    QTest::newRow("count with a leading zero") << "012612" + one << std::string() << 0;
    QTest::newRow("no count") << "2612" + one << std::string() << 0;
    QTest::newRow("header without carrier tag") << "12699" + one << std::string() << 0;
    QTest::newRow("duration not hex") << "12612" + std::string("00G6") + one.substr(4) << std::string() << 0;
    QTest::newRow("half a word at the end") << "12612" + one + "00" << std::string() << 0;
    QTest::newRow("no separator at all") << "12612" + frameDurations << std::string() << 0;
}

// The carrier comes only with a text that is an encoded capture as a whole.
void EncodedCaptureTest::encodedTexts()
{
    QFETCH(std::string, encoded);
    QFETCH(std::string, input);
    QFETCH(int, carrierHz);
    QCOMPARE(EncodedCapture::converterinput(encoded), input);
    QCOMPARE(EncodedCapture::carrierHz(encoded), carrierHz);
}

QTEST_GUILESS_MAIN(EncodedCaptureTest)
#include "EncodedCaptureTest.moc"
