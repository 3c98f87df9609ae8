#include <QTest>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "CaptureEncoding.h"
#include "HexText.h"
#include "TCollectCode.h"
#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"

namespace
{
// One frame of a protocol: durations in microseconds, mark first and last,
// then the gap that pads it to its extent.
struct Frame
{
    std::vector<int> durations;
    int gap = 0;
};

// Builds frames from marks and spaces as a protocol's timing table gives them:
// adjacent halves of one kind merge, and the frame's last space runs into the gap.
class FrameBuilder
{
public:
    FrameBuilder &mark(int us) { return add(us); }
    FrameBuilder &space(int us) { return add(-us); }
    FrameBuilder &bits(unsigned value, int count, bool msbFirst, int zeroMark, int zeroSpace, int oneMark, int oneSpace)
    {
        for (int i = 0; i < count; ++i) {
            const int bit = msbFirst ? count - 1 - i : i;
            const bool one = (value >> bit & 1) != 0;
            mark(one ? oneMark : zeroMark).space(one ? oneSpace : zeroSpace);
        }
        return *this;
    }
    // Bi-phase bits, most significant first: 0 = mark, space; 1 = space, mark.
    FrameBuilder &biphase(unsigned value, int count, int half)
    {
        for (int i = count - 1; i >= 0; --i) {
            if ((value >> i & 1) != 0)
                space(half).mark(half);
            else
                mark(half).space(half);
        }
        return *this;
    }
    Frame extent(int totalUs) const
    {
        Frame frame;
        int elapsed = 0;
        for (int d : signedDurations_) {
            elapsed += std::abs(d);
            frame.durations.push_back(std::abs(d));
        }
        frame.gap = totalUs - elapsed;
        if (signedDurations_.back() < 0) {
            frame.gap += frame.durations.back();
            frame.durations.pop_back();
        }
        return frame;
    }

private:
    FrameBuilder &add(int signedUs)
    {
        if (!signedDurations_.empty() && (signedDurations_.back() < 0) == (signedUs < 0))
            signedDurations_.back() += signedUs;
        else
            signedDurations_.push_back(signedUs);
        return *this;
    }

    std::vector<int> signedDurations_;
};

struct Transmission
{
    int carrierHz = 0;
    std::vector<Frame> frames;

    // What the original remote sends: the frames and their gaps, up to the last mark.
    InfraredSignal signal() const
    {
        InfraredSignal signal;
        signal.carrierHz = carrierHz;
        for (const Frame &frame : frames) {
            signal.durations.insert(signal.durations.end(), frame.durations.begin(), frame.durations.end());
            if (&frame != &frames.back())
                signal.durations.push_back(frame.gap);
        }
        return signal;
    }
};

// NEC1, device 0x04, function 0x08: the full frame, then `dittos` ditto frames.
Transmission nec(int dittos)
{
    const int unit = 564;
    const unsigned data = 0x04 | (0xFFu - 0x04) << 8 | 0x08u << 16 | (0xFFu & ~0x08u) << 24;
    const Frame full = FrameBuilder()
                           .mark(16 * unit)
                           .space(8 * unit)
                           .bits(data, 32, false, unit, unit, unit, 3 * unit)
                           .mark(unit)
                           .extent(108000);
    const Frame ditto = FrameBuilder().mark(16 * unit).space(4 * unit).mark(unit).extent(108000);
    Transmission transmission{38400, {full}};
    transmission.frames.insert(transmission.frames.end(), static_cast<std::size_t>(dittos), ditto);
    return transmission;
}

// RC5, device 5, function 0x35, toggle 1: a start half-bit, then ~F6, T, D:5, F:6, twice.
Transmission rc5()
{
    const int unit = 889;
    const unsigned device = 5;
    const unsigned function = 0x35;
    const unsigned bits = (~function >> 6 & 1) << 12 | 1u << 11 | device << 6 | (function & 0x3F);
    const Frame frame = FrameBuilder().mark(unit).biphase(bits, 13, unit).extent(114000);
    return {36000, {frame, frame}};
}

// Sony 12-bit, function 0x15, device 1: F:7 then D:5, least significant first, three times.
Transmission sony12()
{
    const int unit = 600;
    const unsigned bits = 0x15 | 1u << 7;
    const Frame frame =
        FrameBuilder().mark(4 * unit).space(unit).bits(bits, 12, false, unit, unit, 2 * unit, unit).extent(45000);
    return {40000, {frame, frame, frame}};
}

// The encoded text read back: durations per frame, and the separators' milliseconds.
struct Decoded
{
    int frameCount = 0;
    std::string header;
    std::vector<std::vector<int>> frames{1};
    std::vector<int> gapsMs;
    bool closedOnce = false;
};

Decoded decode(const std::string &encoded)
{
    Decoded decoded;
    // The frame count takes what four-digit words leave over (fewer than 1000 frames).
    std::size_t at = encoded.size() % 4;
    decoded.frameCount = at == 0 ? 0 : std::stoi(encoded.substr(0, at));
    decoded.header = encoded.substr(at, 4);
    at += 4;
    auto word = [&] {
        const std::string text = encoded.substr(at, 4);
        at += 4;
        return text;
    };
    while (at < encoded.size()) {
        const std::string text = word();
        if (text == "FEFE") {
            const int ms = static_cast<int>(HexText::parse(word()).value_or(0xFFFF));
            if (word() != "EDED")
                return {};
            if (at == encoded.size() && ms == 0x14)
                decoded.closedOnce = true;
            else {
                decoded.gapsMs.push_back(ms);
                decoded.frames.emplace_back();
            }
        } else if (text != "EDED") {
            decoded.frames.back().push_back(static_cast<int>(HexText::parse(text).value_or(0xFFFF)));
        }
    }
    return decoded;
}
}  // namespace

Q_DECLARE_METATYPE(Transmission)

class CapturedSignalTest : public QObject
{
    Q_OBJECT

private slots:
    void protocols_data();
    void protocols();
};

void CapturedSignalTest::protocols_data()
{
    QTest::addColumn<Transmission>("transmission");
    QTest::addColumn<QString>("header");

    // kHz = 1000 / ((p1 + p2 + p3) / 9), in two digits, then "12".
    QTest::newRow("NEC, one frame") << nec(0) << "2612";
    QTest::newRow("NEC with repeat frames") << nec(2) << "2612";
    QTest::newRow("RC5") << rc5() << "2412";
    QTest::newRow("Sony 12-bit") << sony12() << "2812";
}

void CapturedSignalTest::protocols()
{
    QFETCH(Transmission, transmission);
    QFETCH(QString, header);

    std::string error;
    const auto remote = VirtualRemote::open({{}, std::chrono::microseconds(200)}, &error);
    QVERIFY2(remote, error.c_str());
    VirtualRemoteDevice device(*remote);
    std::string collectedcode;
    bool completed = false;
    QObject window;
    TCollectCode::start(device, collectedcode, &window, [&] { completed = true; });
    QVERIFY(QTest::qWaitFor([&] { return remote->captureArmed(); }, 5000));
    QVERIFY(remote->press(transmission.signal()));
    QVERIFY(QTest::qWaitFor([&] { return completed; }, 5000));
    QCOMPARE(collectedcode.size(), TCollectCode::bufferSize);

    const Decoded decoded = decode(CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(collectedcode)));
    const int frames = static_cast<int>(transmission.frames.size());
    QCOMPARE(decoded.frameCount, frames);
    QCOMPARE(QString::fromStdString(decoded.header), header);
    QCOMPARE(decoded.closedOnce, frames == 1);
    QCOMPARE(static_cast<int>(decoded.frames.size()), frames);
    for (int f = 0; f < frames; ++f) {
        const Frame &sent = transmission.frames[static_cast<std::size_t>(f)];
        const std::vector<int> &read = decoded.frames[static_cast<std::size_t>(f)];
        QCOMPARE(read.size(), sent.durations.size());
        for (std::size_t i = 0; i < read.size(); ++i)
            QVERIFY2(std::abs(read[i] - sent.durations[i]) <= 1,
                     qPrintable(QString("frame %1, duration %2: sent %3 us, read %4 us")
                                    .arg(f)
                                    .arg(i)
                                    .arg(sent.durations[i])
                                    .arg(read[i])));
        if (f + 1 < frames)
            QCOMPARE(decoded.gapsMs[static_cast<std::size_t>(f)], sent.gap / 1000);
    }
}

QTEST_GUILESS_MAIN(CapturedSignalTest)
#include "CapturedSignalTest.moc"
