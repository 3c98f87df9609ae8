#include <QTest>

#include <string>

#include "CaptureEncoding.h"

Q_DECLARE_METATYPE(std::string)

namespace
{
std::string repeat(const std::string &word, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += word;
    return text;
}

const std::string silence = repeat("7FFF", 20);
const std::string zeros(1, '\0');
// Closing words of a 38 kHz carrier: 0x4E + 0x4E + 0x4E = 234 = 9 x 26 periods.
const std::string closing38 = "4E4E4E00";
// Mark 198 us, space 314 us, mark 454 us: 3 x (198 + 58) = 0x300, 3 x (314 - 58) = 0x300,
// 3 x (454 + 58) = 0x600.
const std::string frame = "830003008600";
const std::string frameDurations = "00C6013A01C6";

// Words 1..count, marks in odd positions, spaces in even ones.
std::string alternating(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += i % 2 == 1 ? "8300" : "0300";
    return text;
}
}  // namespace

class CaptureEncodingTest : public QObject
{
    Q_OBJECT

private slots:
    void trimcapture_data();
    void trimcapture();
    void encodecapture_data();
    void encodecapture();
    void header_data();
    void header();
    void rawBufferToDurations();
};

void CaptureEncodingTest::trimcapture_data()
{
    QTest::addColumn<std::string>("capture");
    QTest::addColumn<std::string>("trimmed");

    const std::string buffer(200, '\0');
    QTest::newRow("no silence") << "83000300" + buffer << std::string("0000");
    QTest::newRow("nineteen 7FFF") << "8300" + repeat("7FFF", 19) + "0000" + buffer << std::string("0000");
    QTest::newRow("head ends on a mark") << frame + silence + closing38 + "83000300" + buffer
                                         << frame + silence + closing38;
    QTest::newRow("head ends on a space: whole word dropped")
        << frame + "0500" + silence + closing38 << frame + silence + closing38;
    QTest::newRow("zero bytes after the silence") << frame + silence + buffer << frame + silence + std::string(8, '\0');
    QTest::newRow("capture ends inside the tail") << frame + silence + "4E" << frame + silence + "4E";
    QTest::newRow("silence first") << silence + closing38 << silence + closing38;
    // 2999 characters, the last four starting with a mark digit.
    QTest::newRow("last short head kept whole")
        << alternating(748) + "8308830" + silence + closing38 << alternating(748) + "8308830" + silence + closing38;
    QTest::newRow("long, odd words ending on a mark")
        << alternating(751) + silence + closing38 << alternating(751) + silence + closing38;
    // Beyond 3000 characters the head keeps an odd number of whole words,
    // even where it ends on a mark.
    QTest::newRow("long, first long position")
        << alternating(749) + "8500" + silence + closing38 << alternating(749) + silence + closing38;
    QTest::newRow("long, even words: odd count kept")
        << alternating(751) + "8500" + silence + closing38 << alternating(751) + silence + closing38;
    QTest::newRow("long, part word dropped")
        << alternating(751) + "83" + silence + closing38 << alternating(751) + silence + closing38;
    QTest::newRow("long, kept words end on a space: whole word dropped")
        << alternating(750) + "0500" + "8500" + silence + closing38 << alternating(750) + silence + closing38;
}

void CaptureEncodingTest::trimcapture()
{
    QFETCH(std::string, capture);
    QFETCH(std::string, trimmed);
    QCOMPARE(CaptureEncoding::trimcapture(capture), trimmed);
}

void CaptureEncodingTest::encodecapture_data()
{
    QTest::addColumn<std::string>("trimmed");
    QTest::addColumn<std::string>("encoded");

    const std::string header38 = "2612";
    const std::string once = "FEFE0014EDED";
    QTest::newRow("empty capture") << std::string("0000") << std::string();
    QTest::newRow("one frame") << frame + silence + closing38 << "1" + header38 + frameDurations + once;
    // Gap = k x 0x7FFF + remainder units; (gap / 3 + 58) / 1000 milliseconds.
    QTest::newRow("silence of one 7FFF") << frame + "7FFF0000" + "8300" + silence + closing38
                                         << "2" + header38 + frameDurations + "FEFE000AEDED" + "00C6" + "EDED";
    QTest::newRow("silence of two 7FFF") << frame + repeat("7FFF", 2) + "0100" + "8300" + silence + closing38
                                         << "2" + header38 + frameDurations + "FEFE0015EDED" + "00C6" + "EDED";
    QTest::newRow("silence of nineteen 7FFF") << frame + repeat("7FFF", 19) + "0000" + "8300" + silence + closing38
                                              << "2" + header38 + frameDurations + "FEFE00CFEDED" + "00C6" + "EDED";
    QTest::newRow("two silences") << frame + repeat("7FFF", 3) + "1234" + frame + "7FFF0000" + "8300" + silence
                                         + closing38
                                  << "3" + header38 + frameDurations + "FEFE0022EDED" + frameDurations + "FEFE000AEDED"
                                         + "00C6" + "EDED";
    QTest::newRow("silence in a mark position") << "83000300" + silence + closing38 << std::string();
    QTest::newRow("long mark merged") << "830003007FFF812303008600" + silence + closing38
                                      << "1" + header38 + "00C6013A" + "2AD1" + "013A01C6" + once;
    QTest::newRow("7FFF as a mark") << "830003007FFF03008600" + silence + closing38
                                    << "1" + header38 + "00C6013A" + "2A70" + "013A01C6" + once;
    // 100 / 3 - 58 < 0 and 174 / 3 - 58 = 0 both take four digits; 177 / 3 - 58 = 1.
    QTest::newRow("marks shorter than the skew")
        << "8064030080AE030080B1" + silence + closing38 << "1" + header38 + "0000013A0000013A0001" + once;
    QTest::newRow("no closing words") << frame + silence << std::string();
    QTest::newRow("one closing word") << frame + silence + "4E4E" << std::string();
    QTest::newRow("not hex") << "830003X08600" + silence + closing38 << std::string();
}

void CaptureEncodingTest::encodecapture()
{
    QFETCH(std::string, trimmed);
    QFETCH(std::string, encoded);
    QCOMPARE(CaptureEncoding::encodecapture(trimmed), encoded);
}

void CaptureEncodingTest::header_data()
{
    QTest::addColumn<std::string>("closing");
    QTest::addColumn<std::string>("header");

    // 1000 / ((p1 + p2 + p3) / 9) kHz, in two hex digits and "12".
    QTest::newRow("zero digits") << std::string("00000000") << std::string("0000");
    QTest::newRow("zero bytes") << repeat(zeros, 8) << std::string("0000");
    QTest::newRow("36 kHz") << std::string("53535400") << std::string("2412");
    QTest::newRow("38 kHz") << closing38 << std::string("2612");
    QTest::newRow("40 kHz") << std::string("4B4B4B00") << std::string("2812");
    QTest::newRow("fourth byte ignored") << std::string("4E4E4EFF") << std::string("2612");
    QTest::newRow("first byte only") << std::string("01000000") << std::string("232812");
    QTest::newRow("third byte only") << std::string("00000900") << std::string("3E812");
}

void CaptureEncodingTest::header()
{
    QFETCH(std::string, closing);
    QFETCH(std::string, header);
    QCOMPARE(CaptureEncoding::encodecapture("8300" + silence + closing), "1" + header + "00C6FEFE0014EDED");
}

void CaptureEncodingTest::rawBufferToDurations()
{
    // A whole capture buffer whose code ends on a space before the silence:
    // the trim must drop that word whole, or every later word shifts.
    std::string buffer = frame + "0500" + silence + closing38 + frame;
    buffer.resize(10240, '\0');
    QCOMPARE(CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(buffer)),
             "12612" + frameDurations + "FEFE0014EDED");
}

QTEST_GUILESS_MAIN(CaptureEncodingTest)
#include "CaptureEncodingTest.moc"
