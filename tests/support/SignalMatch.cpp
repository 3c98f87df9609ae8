#include "SignalMatch.h"

#include <algorithm>
#include <cmath>

namespace
{
// A space of twenty full receiver words (3 units per us, 58 us skew) ends a capture.
constexpr double endingSilence = 20 * 0x7FFF / 3.0 + 58;
}  // namespace

InfraredSignal SignalMatch::captured(const InfraredSignal &signal)
{
    InfraredSignal result = signal;
    auto &d = result.durations;
    for (std::size_t i = 1; i < d.size(); i += 2) {
        if (d[i] >= endingSilence) {
            d.resize(i);
            break;
        }
    }
    if (d.size() % 2 == 0 && !d.empty()) {
        d.pop_back();
    }
    return result;
}

InfraredSignal SignalMatch::asSent(const IrSignal &signal)
{
    InfraredSignal sent;
    sent.carrierHz = signal.carrierHz;
    const std::vector<int> flat = signal.flatDurations();
    sent.durations.assign(flat.begin(), flat.end());
    return sent;
}

QString SignalMatch::difference(const InfraredSignal &original, const IrSignal &regenerated, double fraction,
                                double absoluteUs)
{
    const std::vector<double> &want = captured(original).durations;
    const std::vector<int> got = regenerated.flatDurations();
    if (want.size() != got.size()) {
        return QString("%1 durations instead of %2").arg(got.size()).arg(want.size());
    }
    for (std::size_t i = 0; i < want.size(); ++i) {
        const bool gap = i % 2 == 1 && want[i] >= frameGap;
        const double allowed = gap ? std::max(fraction * want[i], 1000.0) : std::max(fraction * want[i], absoluteUs);
        if (std::abs(got[i] - want[i]) > allowed) {
            return QString("duration %1: %2 instead of %3").arg(i).arg(got[i]).arg(want[i]);
        }
    }
    return {};
}
