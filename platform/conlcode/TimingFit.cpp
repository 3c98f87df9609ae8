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
constexpr int gapAbsoluteUs = 1000;
constexpr int receiverFrameGapUs = 10980;
// What the capture's encoding loses of a length: the receiver counts in
// thirds of a microsecond and the encoding truncates; a gap is read as the
// middle of its millisecond.
constexpr int truncationUs = 4;
constexpr int gapReadingUs = 500;
// Jitter of 5 % about the remote's length on top of the 1.5 % by which a
// stretch may miss that length, and a little of the capture's rounding.
constexpr double jitterRelative = 0.08;

// A faithful copy: within 5 % of the measured length or 60 us.
bool faithfulLength(double sent, double measured)
{
    return std::abs(sent - measured) <= std::max<double>(absoluteUs, relative * measured);
}

// Gaps come to the millisecond: a faithful copy of one read to the ms must
// stay within 5 % of wherever in its millisecond the silence really ended.
bool faithfulGap(double sent, double measured)
{
    if (measured < receiverFrameGapUs) {
        return faithfulLength(sent, measured);
    }
    return std::abs(sent - measured) <= std::max<double>(gapAbsoluteUs, relative * measured - gapReadingUs);
}

bool jitteredLength(double sent, double measured)
{
    return std::abs(sent - measured)
           <= std::max<double>(absoluteUs, jitterRelative * std::max(sent, measured) + truncationUs);
}

bool jitteredGap(double sent, double measured)
{
    return std::abs(sent - measured)
           <= std::max<double>(gapAbsoluteUs, jitterRelative * std::max(sent, measured) + gapReadingUs);
}

// How lengths, or gaps, are judged: a faithful copy, and what jitter allows.
struct Tests
{
    bool (*faithful)(double sent, double measured);
    bool (*jittered)(double sent, double measured);
};

constexpr Tests lengthTests{faithfulLength, jitteredLength};
constexpr Tests gapTests{faithfulGap, jitteredGap};

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
    std::size_t count() const { return marks.size() + spaces.size(); }
    // The class of a length; maxClasses and beyond have no stretch.
    std::size_t of(int length, bool mark) const
    {
        const std::vector<int> &list = mark ? marks : spaces;
        const std::size_t index =
            static_cast<std::size_t>(std::lower_bound(list.begin(), list.end(), length) - list.begin());
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

double sentUnder(int nominal, int n)
{
    return nominal * std::pow(step, n);
}

using Members = std::vector<std::pair<int, int>>;  // (nominal, measured)

bool allOf(const Members &members, int n, bool (*test)(double, double))
{
    return std::all_of(members.begin(), members.end(),
                       [&](const auto &member) { return test(sentUnder(member.first, n), member.second); });
}

// How a class of lengths (or the gaps) is sent: its stretch, and whether its
// members spread wider than any one length copies faithfully - a capture's
// jitter, which no format copies and the protocol's own length reads best.
struct ClassFit
{
    int stretch = 0;
    bool noisy = false;
};

// No stretch while the nominal length copies every member faithfully, else
// the smallest stretch that does, the one towards the members' mean first;
// with none, the stretch nearest their mean.
ClassFit fitClass(const Members &members, const Tests &tests)
{
    if (allOf(members, 0, tests.faithful)) {
        return {};
    }
    double logSum = 0;
    for (const auto &[nominal, measured] : members) {
        logSum += std::log(std::max(measured, 1) / static_cast<double>(nominal));
    }
    const double logMean = logSum / static_cast<double>(members.size());
    const int towards = logMean < 0 ? -1 : 1;
    for (int size = 1; size <= std::max(-lowest, highest); ++size) {
        for (int n : {towards * size, -towards * size}) {
            if (n >= lowest && n <= highest && allOf(members, n, tests.faithful)) {
                return {n, false};
            }
        }
    }
    return {std::clamp(static_cast<int>(std::lround(logMean / std::log(step))), lowest, highest), true};
}

// The protocol is taken when the length sent for every member copies it
// faithfully or, in a class of jitter, within what jitter allows.
bool accepts(const Members &members, const ClassFit &fit, const Tests &tests)
{
    return std::all_of(members.begin(), members.end(), [&](const auto &member) {
        const double sent = sentUnder(member.first, fit.stretch);
        return tests.faithful(sent, member.second) || (fit.noisy && tests.jittered(sent, member.second));
    });
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
}  // namespace

std::optional<TimingFit::Timing> TimingFit::fit(const IrSignal &nominal, const IrSignal &measured)
{
    if (!sameShape(nominal, measured)) {
        return std::nullopt;
    }
    const Classes classes(nominal);
    // Per class its (nominal, measured) lengths; classes beyond the nibbles
    // keep their nominal length.
    std::vector<Members> members(classes.count());
    Members gaps;
    for (std::size_t f = 0; f < nominal.frames.size(); ++f) {
        const std::vector<int> &n = nominal.frames[f].durations;
        const std::vector<int> &m = measured.frames[f].durations;
        for (std::size_t i = 0; i < n.size(); ++i) {
            if (n[i] > 0) {
                members[classes.of(n[i], i % 2 == 0)].emplace_back(n[i], m[i]);
            } else if (!faithfulLength(n[i], m[i])) {
                return std::nullopt;
            }
        }
        if (f + 1 == nominal.frames.size()) {
            continue;
        }
        const int gap = nominal.frames[f].gapAfterUs;
        if (gap > 0) {
            gaps.emplace_back(gap, measured.frames[f].gapAfterUs);
        } else if (!faithfulGap(gap, measured.frames[f].gapAfterUs)) {
            return std::nullopt;
        }
    }
    Timing timing{};
    for (std::size_t c = 0; c < members.size(); ++c) {
        const ClassFit fit = c < maxClasses ? fitClass(members[c], lengthTests) : ClassFit{};
        if (!accepts(members[c], fit, lengthTests)) {
            return std::nullopt;
        }
        if (c < maxClasses) {
            setNibble(timing, c, fit.stretch);
        }
    }
    // The gaps share the nibble after the lengths' ones, when there is one.
    const ClassFit gapFit = members.size() < maxClasses && !gaps.empty() ? fitClass(gaps, gapTests) : ClassFit{};
    if (!accepts(gaps, gapFit, gapTests)) {
        return std::nullopt;
    }
    if (members.size() < maxClasses) {
        setNibble(timing, members.size(), gapFit.stretch);
    }
    return timing;
}

IrSignal TimingFit::apply(const IrSignal &nominal, const Timing &timing)
{
    const Classes classes(nominal);
    const std::size_t gapClass = classes.count();
    IrSignal out = nominal;
    for (IrFrame &frame : out.frames) {
        for (std::size_t i = 0; i < frame.durations.size(); ++i) {
            int &length = frame.durations[i];
            length = static_cast<int>(std::lround(sentUnder(length, nibble(timing, classes.of(length, i % 2 == 0)))));
        }
        frame.gapAfterUs = static_cast<int>(std::lround(sentUnder(frame.gapAfterUs, nibble(timing, gapClass))));
    }
    return out;
}
