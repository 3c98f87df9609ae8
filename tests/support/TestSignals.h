#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "InfraredSignal.h"

// Signals as original remotes send them, built from the protocols' published
// timing, and the jitter of a real capture.
namespace TestSignals
{
enum class NecRepeat
{
    None,
    Ditto,
    Full
};
// NEC: 9000/4500 lead-in, 560 marks, 560/1690 spaces, 32 bits LSB first
// (D, S, F, ~F), 108 ms frame to frame; `repeats` repeat frames.
InfraredSignal nec(std::uint8_t d, std::uint8_t s, std::uint8_t f, NecRepeat repeat, int repeats);
// RC5: biphase 889 us, start bit, inverted F bit 6, T, D:5, F:6; 114 ms frame to frame.
InfraredSignal rc5(int d, int f, int toggle, int repeats);

// A pulse-distance remote of no known protocol: lead-in, bits, closing mark.
struct PulseDistance
{
    int leadMark = 3400;
    int leadSpace = 1700;
    int bitMark = 420;
    int zeroSpace = 420;
    int oneSpace = 1280;
    int gapUs = 0;        // between frames
    int frames = 1;       // the whole frame again
    bool period = false;  // gapUs from one frame's start to the next's
};
InfraredSignal pulseDistance(const PulseDistance &shape, const std::vector<bool> &bits);
// A pulse-width remote: 2400/600 lead-in, 600 or 1200 marks with 600 spaces,
// the last bit's space running into the 45 ms frame period; three frames.
InfraredSignal pulseWidth(const std::vector<bool> &bits);
// A duty-cycle remote: 3200/1600 lead-in, bits of one period, 0 = 400/1200,
// 1 = 1200/400, a closing 400 mark.
InfraredSignal dutyCycle(const std::vector<bool> &bits);
// A biphase remote of no known protocol: 2700/900 lead-in, then bits of two
// 450 us halves, 1 = mark-space, 0 = space-mark, MSB first; 60 ms frame to
// frame, `frames` frames.
InfraredSignal biphase(const std::vector<bool> &bits, int frames);
// A remote whose pairs carry two bits each: 2600/1900 lead-in, 400 marks,
// spaces 400, 700, 1000, 1300 for 00 to 11, MSB first, a closing 400 mark;
// twice, 40 ms frame to frame.
InfraredSignal twoBitSymbols(const std::vector<bool> &bits);
// A signal without a bit encoding: one frame of irregular lengths.
InfraredSignal irregular();

std::vector<bool> bitsOf(std::uint64_t value, int count);
// What a receiver and a remote's clock make of a signal: every length
// `scale` times, then every mark `skewUs` longer and every space (gaps too)
// that much shorter.
InfraredSignal skewed(const InfraredSignal &signal, double scale, double skewUs);
// Every duration stretched or shrunk by up to `fraction`, evenly spread.
InfraredSignal jittered(const InfraredSignal &signal, double fraction, std::uint32_t seed);

// A capture's jitter about a remote's lengths, and how many captures to try.
constexpr double captureJitter = 0.05;
constexpr std::uint32_t jitterSeeds = 60;
// The first of the jittered captures (seeds 1 to jitterSeeds) whose `key`
// differs from the undisturbed signal's, with that key; nothing when all agree.
struct Moved
{
    std::uint32_t seed;
    std::string key;
};
std::optional<Moved> firstMoved(const InfraredSignal &signal, double fraction,
                                const std::function<std::string(const InfraredSignal &)> &key);
}  // namespace TestSignals
