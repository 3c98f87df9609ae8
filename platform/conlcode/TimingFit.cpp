#include "TimingFit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace
{
constexpr std::size_t maxClasses = 10;
constexpr double step = 1.03;
constexpr int lowest = -8;
constexpr int highest = 7;
constexpr double relative = 0.05;
constexpr int absoluteUs = 60;
// The duration text gives gaps to the millisecond; a shorter silence is a
// space of the capture, measured to the microsecond.
constexpr double gapRelative = 0.05;
constexpr int gapAbsoluteUs = 1000;
constexpr int receiverFrameGapUs = 10980;

// The distinct nominal lengths: marks, then spaces, each ascending.
struct Classes
{
    std::vector<int> marks;
    std::vector<int> spaces;

    explicit Classes(const IrSignal &signal)
    {
        for (const IrFrame &frame : signal.frames) {
            for (std::size_t i = 0; i < frame.durations.size(); ++i) {
                (i % 2 == 0 ? marks : spaces).push_back(frame.durations[i]);
            }
        }
        for (std::vector<int> *list : {&marks, &spaces}) {
            std::sort(list->begin(), list->end());
            list->erase(std::unique(list->begin(), list->end()), list->end());
        }
    }
    // The class of a length; maxClasses and beyond have no stretch.
    std::size_t of(int length, bool mark) const
    {
        const std::vector<int> &list = mark ? marks : spaces;
        const std::size_t index = static_cast<std::size_t>(std::lower_bound(list.begin(), list.end(), length) - list.begin());
        return mark ? index : marks.size() + index;
    }
};

int nibble(const TimingFit::Timing &timing, std::size_t index)
{
    if (index >= maxClasses) {
        return 0;
    }
    const int raw = timing[index / 2] >> (index % 2 == 0 ? 4 : 0) & 0xF;
    return raw >= 8 ? raw - 16 : raw;
}

void setNibble(TimingFit::Timing &timing, std::size_t index, int value)
{
    const int raw = value & 0xF;
    std::uint8_t &byte = timing[index / 2];
    byte = index % 2 == 0 ? static_cast<std::uint8_t>((byte & 0x0F) | raw << 4)
                          : static_cast<std::uint8_t>((byte & 0xF0) | raw);
}

// The worst miss of a class's lengths under stretch n, in allowed amounts.
double worstMiss(const std::vector<std::pair<int, int>> &members, int n)
{
    double worst = 0;
    for (const auto &[nominal, measured] : members) {
        const double sent = nominal * std::pow(step, n);
        const double allowed = std::max<double>(absoluteUs, relative * measured);
        worst = std::max(worst, std::abs(sent - measured) / allowed);
    }
    return worst;
}

// No stretch when the nominal length already fits, so that a remote of the
// protocol's own timing keeps its code however its capture jitters; else
// the stretch next to the class's mean ratio that misses least.
int stretchOf(const std::vector<std::pair<int, int>> &members)
{
    if (members.empty() || worstMiss(members, 0) <= 1) {
        return 0;
    }
    double logSum = 0;
    for (const auto &[nominal, measured] : members) {
        logSum += std::log(std::max(measured, 1) / static_cast<double>(nominal));
    }
    const double mean = logSum / static_cast<double>(members.size()) / std::log(step);
    const int low = std::clamp(static_cast<int>(std::floor(mean)), lowest, highest);
    const int high = std::clamp(low + 1, lowest, highest);
    return worstMiss(members, low) <= worstMiss(members, high) ? low : high;
}

bool sameShape(const IrSignal &a, const IrSignal &b)
{
    if (a.frames.size() != b.frames.size()) {
        return false;
    }
    for (std::size_t f = 0; f < a.frames.size(); ++f) {
        if (a.frames[f].durations.size() != b.frames[f].durations.size()) {
            return false;
        }
    }
    return true;
}

bool close(const IrSignal &sent, const IrSignal &measured)
{
    for (std::size_t f = 0; f < sent.frames.size(); ++f) {
        const IrFrame &want = measured.frames[f];
        const IrFrame &got = sent.frames[f];
        for (std::size_t i = 0; i < want.durations.size(); ++i) {
            const int allowed = std::max(absoluteUs, static_cast<int>(relative * want.durations[i]));
            if (std::abs(got.durations[i] - want.durations[i]) > allowed) {
                return false;
            }
        }
        const int gapAllowed = std::max(want.gapAfterUs < receiverFrameGapUs ? absoluteUs : gapAbsoluteUs,
                                        static_cast<int>(gapRelative * want.gapAfterUs));
        if (f + 1 < sent.frames.size() && std::abs(got.gapAfterUs - want.gapAfterUs) > gapAllowed) {
            return false;
        }
    }
    return true;
}
}  // namespace

std::optional<TimingFit::Timing> TimingFit::fit(const IrSignal &nominal, const IrSignal &measured)
{
    if (!sameShape(nominal, measured)) {
        return std::nullopt;
    }
    const Classes classes(nominal);
    const std::size_t count = std::min(classes.marks.size() + classes.spaces.size(), maxClasses);
    // Per class its (nominal, measured) lengths.
    std::vector<std::vector<std::pair<int, int>>> members(count);
    for (std::size_t f = 0; f < nominal.frames.size(); ++f) {
        const std::vector<int> &n = nominal.frames[f].durations;
        const std::vector<int> &m = measured.frames[f].durations;
        for (std::size_t i = 0; i < n.size(); ++i) {
            const std::size_t c = classes.of(n[i], i % 2 == 0);
            if (c < count && n[i] > 0) {
                members[c].emplace_back(n[i], m[i]);
            }
        }
    }
    Timing timing{};
    for (std::size_t c = 0; c < count; ++c) {
        setNibble(timing, c, stretchOf(members[c]));
    }
    if (!close(apply(nominal, timing), measured)) {
        return std::nullopt;
    }
    return timing;
}

IrSignal TimingFit::apply(const IrSignal &nominal, const Timing &timing)
{
    const Classes classes(nominal);
    IrSignal out = nominal;
    for (IrFrame &frame : out.frames) {
        for (std::size_t i = 0; i < frame.durations.size(); ++i) {
            int &length = frame.durations[i];
            const int n = nibble(timing, classes.of(length, i % 2 == 0));
            length = static_cast<int>(std::lround(length * std::pow(step, n)));
        }
    }
    return out;
}
