#include "PulseBits.h"

#include <algorithm>
#include <numeric>

#include "PulseTolerance.h"

namespace
{
bool matches(int mark, int space, const PulseBits::Symbol &symbol, bool markOnly)
{
    return nearLength(mark, symbol.mark) && (markOnly || nearLength(space, symbol.space));
}
}  // namespace

std::optional<std::uint64_t> PulseBits::read(const std::vector<int> &durations, std::size_t &pos, int count,
                                             const Encoding &encoding, bool lastMarkOnly)
{
    std::uint64_t value = 0;
    std::size_t at = pos;
    for (int i = 0; i < count; ++i) {
        const bool markOnly = lastMarkOnly && i + 1 == count;
        if (at + (markOnly ? 1 : 2) > durations.size()) {
            return std::nullopt;
        }
        const int mark = durations[at];
        const int space = markOnly ? 0 : durations[at + 1];
        at += markOnly ? 1 : 2;
        const bool zero = matches(mark, space, encoding.zero, markOnly);
        const bool one = matches(mark, space, encoding.one, markOnly);
        if (zero == one) {
            return std::nullopt;
        }
        const int bit = encoding.msbFirst ? count - 1 - i : i;
        value |= static_cast<std::uint64_t>(one ? 1 : 0) << bit;
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
    if (pos >= durations.size() || !nearLength(durations[pos], nominal)) {
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
