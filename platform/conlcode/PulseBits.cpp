#include "PulseBits.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "PulseTolerance.h"

namespace
{
// How far apart two lengths are, as the larger's ratio to the smaller.
double ratioMiss(double measured, double nominal)
{
    const double ratio = std::max(measured, 1.0) / nominal;
    return ratio >= 1 ? ratio : 1 / ratio;
}

// A last mark without its space, told by its length once the skew and clock
// that the pairs before it show are taken off.
std::optional<bool> lastBitOf(int mark, const ReceiverSkew &skew, const PulseBits::Encoding &encoding)
{
    const int sent = static_cast<int>(std::lround((mark - skew.offsetUs) / skew.scale));
    const bool zero = nearLength(sent, encoding.zero.mark);
    const bool one = nearLength(sent, encoding.one.mark);
    if (zero && one) {
        const double zeroMiss = ratioMiss(sent, encoding.zero.mark);
        const double oneMiss = ratioMiss(sent, encoding.one.mark);
        return zeroMiss == oneMiss ? std::nullopt : std::optional<bool>(oneMiss < zeroMiss);
    }
    return zero == one ? std::nullopt : std::optional<bool>(one);
}
}  // namespace

std::optional<std::size_t> PulseBits::symbolOf(int mark, int space, std::span<const Symbol> alphabet,
                                               const ReceiverSkew &skew)
{
    const double period = (mark + space) / skew.scale;
    const double sentMark = (mark - skew.offsetUs) / skew.scale;
    std::optional<std::size_t> best;
    double bestPeriodMiss = 0;
    double bestMarkMiss = 0;
    bool tie = false;
    for (std::size_t i = 0; i < alphabet.size(); ++i) {
        const Symbol &symbol = alphabet[i];
        const int nominalPeriod = symbol.mark + symbol.space;
        if (!nearLength(static_cast<int>(std::lround(period)), nominalPeriod) || !plausibleLength(mark, symbol.mark)
            || !plausibleLength(space, symbol.space)) {
            continue;
        }
        const double periodMiss = ratioMiss(period, nominalPeriod);
        const double markMiss = ratioMiss(sentMark, symbol.mark);
        const bool better =
            !best || periodMiss < bestPeriodMiss || (periodMiss == bestPeriodMiss && markMiss < bestMarkMiss);
        if (best && periodMiss == bestPeriodMiss && markMiss == bestMarkMiss) {
            tie = true;
        } else if (better) {
            best = i;
            bestPeriodMiss = periodMiss;
            bestMarkMiss = markMiss;
            tie = false;
        }
    }
    return tie ? std::nullopt : best;
}

std::optional<std::uint64_t> PulseBits::read(const std::vector<int> &durations, std::size_t &pos, int count,
                                             const Encoding &encoding, bool lastMarkOnly)
{
    const Symbol alphabet[] = {encoding.zero, encoding.one};
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
            ReceiverSkew skew;
            if (pairs > 0) {
                skew.scale = scaleSum / pairs;
                skew.offsetUs = offsetSum / pairs;
            }
            one = lastBitOf(mark, skew, encoding);
            at += 1;
        } else {
            const int space = durations[at + 1];
            const std::optional<std::size_t> symbol = symbolOf(mark, space, alphabet);
            if (symbol) {
                one = *symbol == 1;
                const Symbol &nominal = alphabet[*symbol];
                const double scale = (mark + space) / static_cast<double>(nominal.mark + nominal.space);
                scaleSum += scale;
                offsetSum += mark - scale * nominal.mark;
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
