#include "TestSignals.h"

#include <numeric>
#include <random>

namespace
{
using Frame = std::vector<double>;

// Frames one after another: `spacing` is the time from frame start to frame
// start when `period` is set, else the silence between frames.
InfraredSignal framed(const std::vector<Frame> &frames, double spacing, bool period, int carrierHz)
{
    InfraredSignal signal;
    signal.carrierHz = carrierHz;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (i > 0) {
            const Frame &previous = frames[i - 1];
            signal.durations.push_back(period ? spacing - std::accumulate(previous.begin(), previous.end(), 0.0)
                                              : spacing);
        }
        signal.durations.insert(signal.durations.end(), frames[i].begin(), frames[i].end());
    }
    return signal;
}

// Pairs of (mark, space) per bit, LSB of each value first.
void appendPulseDistance(Frame &frame, const std::vector<bool> &bits, double mark, double zero, double one)
{
    for (bool bit : bits) {
        frame.push_back(mark);
        frame.push_back(bit ? one : zero);
    }
}
}  // namespace

namespace TestSignals
{
InfraredSignal nec(std::uint8_t d, std::uint8_t s, std::uint8_t f, NecRepeat repeat, int repeats)
{
    Frame data{9000, 4500};
    const std::uint32_t word = d | s << 8 | f << 16 | static_cast<std::uint32_t>(static_cast<std::uint8_t>(~f)) << 24;
    appendPulseDistance(data, bitsOf(word, 32), 560, 560, 1690);
    data.push_back(560);
    std::vector<Frame> frames{data};
    const Frame ditto{9000, 2250, 560};
    for (int i = 0; i < (repeat == NecRepeat::None ? 0 : repeats); ++i) {
        frames.push_back(repeat == NecRepeat::Ditto ? ditto : data);
    }
    return framed(frames, 108000, true, 38000);
}

InfraredSignal rc5(int d, int f, int toggle, int repeats)
{
    // MSB first: 1, ~F6, T, D4..D0, F5..F0.
    std::vector<int> bits{1, ((f >> 6) & 1) ^ 1, toggle};
    for (int i = 4; i >= 0; --i) {
        bits.push_back((d >> i) & 1);
    }
    for (int i = 5; i >= 0; --i) {
        bits.push_back((f >> i) & 1);
    }
    // Half-bit levels, 1 = mark; 0 is mark-space, 1 space-mark.
    std::vector<int> halves;
    for (int bit : bits) {
        halves.push_back(bit ? 0 : 1);
        halves.push_back(bit ? 1 : 0);
    }
    Frame frame;
    for (std::size_t i = 1; i < halves.size(); ++i) {
        if (i > 1 && halves[i] == halves[i - 1]) {
            frame.back() += 889;
        } else {
            frame.push_back(889);
        }
    }
    if (halves.back() == 0) {
        frame.pop_back();
    }
    return framed(std::vector<Frame>(static_cast<std::size_t>(repeats) + 1, frame), 114000, true, 36000);
}

InfraredSignal pulseDistance(const PulseDistance &shape, const std::vector<bool> &bits)
{
    Frame frame{static_cast<double>(shape.leadMark), static_cast<double>(shape.leadSpace)};
    appendPulseDistance(frame, bits, shape.bitMark, shape.zeroSpace, shape.oneSpace);
    frame.push_back(shape.bitMark);
    return framed(std::vector<Frame>(static_cast<std::size_t>(shape.frames), frame), shape.gapUs, shape.period, 38000);
}

InfraredSignal pulseWidth(const std::vector<bool> &bits)
{
    Frame frame{2400, 600};
    for (bool bit : bits) {
        frame.push_back(bit ? 1200 : 600);
        frame.push_back(600);
    }
    frame.pop_back();
    return framed(std::vector<Frame>(3, frame), 45000, true, 40000);
}

InfraredSignal dutyCycle(const std::vector<bool> &bits)
{
    Frame frame{3200, 1600};
    for (bool bit : bits) {
        frame.push_back(bit ? 1200 : 400);
        frame.push_back(bit ? 400 : 1200);
    }
    frame.push_back(400);
    return framed({frame}, 0, false, 38000);
}

InfraredSignal biphase(const std::vector<bool> &bits, int frames)
{
    constexpr double half = 450;
    Frame frame{2700, 900};
    bool mark = false;  // the level the lead-in ended on
    for (auto bit = bits.rbegin(); bit != bits.rend(); ++bit) {
        for (bool level : {*bit, !*bit}) {
            if (level == mark) {
                frame.back() += half;
            } else {
                frame.push_back(half);
                mark = level;
            }
        }
    }
    if (!mark) {
        frame.pop_back();
    }
    return framed(std::vector<Frame>(static_cast<std::size_t>(frames), frame), 60000, true, 38000);
}

InfraredSignal twoBitSymbols(const std::vector<bool> &bits)
{
    Frame frame{2600, 1900};
    for (std::size_t i = 0; i + 1 < bits.size(); i += 2) {
        frame.push_back(400);
        frame.push_back(400 + 300 * (2 * bits[i] + bits[i + 1]));
    }
    frame.push_back(400);
    return framed({frame, frame}, 40500, false, 38000);
}

InfraredSignal irregular()
{
    InfraredSignal signal;
    signal.durations = {5200, 1300, 300, 2600, 900, 700, 2100, 5600, 300, 900, 1500, 3900, 700, 2600, 3000};
    return signal;
}

std::vector<bool> bitsOf(std::uint64_t value, int count)
{
    std::vector<bool> bits;
    for (int i = 0; i < count; ++i) {
        bits.push_back((value >> i & 1) != 0);
    }
    return bits;
}

InfraredSignal skewed(const InfraredSignal &signal, double scale, double skewUs)
{
    InfraredSignal heard = signal;
    for (std::size_t i = 0; i < heard.durations.size(); ++i) {
        heard.durations[i] = heard.durations[i] * scale + (i % 2 == 0 ? skewUs : -skewUs);
    }
    return heard;
}

InfraredSignal jittered(const InfraredSignal &signal, double fraction, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> spread(1 - fraction, 1 + fraction);
    InfraredSignal result = signal;
    for (double &d : result.durations) {
        d *= spread(random);
    }
    return result;
}

std::optional<Moved> firstMoved(const InfraredSignal &signal, double fraction,
                                const std::function<std::string(const InfraredSignal &)> &key)
{
    const std::string clean = key(signal);
    for (std::uint32_t seed = 1; seed <= jitterSeeds; ++seed) {
        std::string noisy = key(jittered(signal, fraction, seed));
        if (noisy != clean) {
            return Moved{seed, std::move(noisy)};
        }
    }
    return std::nullopt;
}
}  // namespace TestSignals
