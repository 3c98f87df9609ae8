#include "PulseBits.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "PulseTolerance.h"

namespace
{
double ratioMiss(int measured, int nominal)
{
    return std::abs(std::log(std::max(measured, 1) / static_cast<double>(nominal)));
}

// Which of two symbols a measure is: the one it can be heard as, or the one
// it is nearer to when it can be heard as both; nothing when neither.
std::optional<bool> choose(bool zero, bool one, double zeroMiss, double oneMiss)
{
    if (zero && one && zeroMiss != oneMiss) {
        return oneMiss < zeroMiss;
    }
    if (zero == one) {
        return std::nullopt;
    }
    return one;
}

// A pair heard as `symbol`: its period (which skew does not move) near the
// symbol's, its mark and space each where skew and clock may take them.
bool heardAs(int mark, int space, const PulseBits::Symbol &symbol)
{
    return nearLength(mark + space, symbol.mark + symbol.space) && plausibleLength(mark, symbol.mark)
           && plausibleLength(space, symbol.space);
}

std::optional<bool> bitOf(int mark, int space, const PulseBits::Encoding &encoding)
{
    const int period = mark + space;
    return choose(heardAs(mark, space, encoding.zero), heardAs(mark, space, encoding.one),
                  ratioMiss(period, encoding.zero.mark + encoding.zero.space),
                  ratioMiss(period, encoding.one.mark + encoding.one.space));
}

// A last mark without its space, told by its length once the skew and clock
// that the pairs before it show are taken off.
std::optional<bool> lastBitOf(int mark, double scale, double offsetUs, const PulseBits::Encoding &encoding)
{
    const int sent = static_cast<int>(std::lround((mark - offsetUs) / scale));
    return choose(nearLength(sent, encoding.zero.mark), nearLength(sent, encoding.one.mark),
                  ratioMiss(sent, encoding.zero.mark), ratioMiss(sent, encoding.one.mark));
}
}  // namespace

std::optional<std::uint64_t> PulseBits::read(const std::vector<int> &durations, std::size_t &pos, int count,
                                             const Encoding &encoding, bool lastMarkOnly)
{
    std::uint64_t value = 0;
    std::size_t at = pos;
    // The clock and skew of the pairs read, for a last mark alone.
    double scaleSum = 0;
    double offsetSum = 0;
    int pairs = 0;
    for (int i = 0; i < count; ++i) {
        const bool markOnly = lastMarkOnly && i + 1 == count;
        if (at + (markOnly ? 1 : 2) > durations.size()) {
            return std::nullopt;
        }
        const int mark = durations[at];
        std::optional<bool> one;
        if (markOnly) {
            one = pairs > 0 ? lastBitOf(mark, scaleSum / pairs, offsetSum / pairs, encoding)
                            : lastBitOf(mark, 1, 0, encoding);
            at += 1;
        } else {
            const int space = durations[at + 1];
            one = bitOf(mark, space, encoding);
            if (one) {
                const Symbol &symbol = *one ? encoding.one : encoding.zero;
                const double scale = (mark + space) / static_cast<double>(symbol.mark + symbol.space);
                scaleSum += scale;
                offsetSum += mark - scale * symbol.mark;
                ++pairs;
            }
            at += 2;
        }
        if (!one) {
            return std::nullopt;
        }
        const int bit = encoding.msbFirst ? count - 1 - i : i;
        value |= static_cast<std::uint64_t>(*one ? 1 : 0) << bit;
    }
    pos = at;
    return value;
}

void PulseBits::write(std::vector<int> &durations, std::uint64_t value, int count, const Encoding &encoding,
                      bool lastMarkOnly)
{
    for (int i = 0; i < count; ++i) {
        const int bit = encoding.msbFirst ? count - 1 - i : i;
        const Symbol &symbol = (value >> bit & 1) != 0 ? encoding.one : encoding.zero;
        durations.push_back(symbol.mark);
        if (!lastMarkOnly || i + 1 < count) {
            durations.push_back(symbol.space);
        }
    }
}

bool PulseBits::expect(const std::vector<int> &durations, std::size_t &pos, int nominal)
{
    if (pos >= durations.size() || !plausibleLength(durations[pos], nominal)) {
        return false;
    }
    ++pos;
    return true;
}

IrFrame PulseBits::timed(std::vector<int> durations, int extentUs, int minGapUs)
{
    const int length = std::accumulate(durations.begin(), durations.end(), 0);
    return IrFrame{std::move(durations), std::max(extentUs - length, minGapUs)};
}

IrFrame PulseBits::gapped(std::vector<int> durations, int gapUs)
{
    return IrFrame{std::move(durations), gapUs};
}
