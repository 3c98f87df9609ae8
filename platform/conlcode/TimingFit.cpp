#include "TimingFit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "ReceiverSkew.h"

namespace
{
constexpr std::size_t maxClasses = 10;
constexpr double step = 1.03;
constexpr double wideGapStep = 1.08;
constexpr int lowest = -8;
constexpr int highest = 7;
constexpr double relative = 0.05;
constexpr int absoluteUs = 60;
// The duration text gives gaps to the millisecond; a shorter silence is a
// space of the capture, measured to the microsecond.
constexpr int gapAbsoluteUs = 1000;
// What the capture's encoding loses of a length: the receiver counts in
// thirds of a microsecond and the encoding truncates; a gap is read as the
// middle of its millisecond.
constexpr int truncationUs = 4;
constexpr int gapReadingUs = 500;
// Jitter of 5 % about the remote's length on top of the 1.5 % by which a
// stretch may miss that length, and a little of the capture's rounding.
constexpr double jitterRelative = 0.08;
// No length goes out shorter, whatever the skew takes off it.
constexpr int shortestSentUs = 1;

// A faithful copy: within 5 % of the measured length or 60 us.
bool faithfulLength(double sent, double measured)
{
    return std::abs(sent - measured) <= std::max<double>(absoluteUs, relative * measured);
}

// Gaps come to the millisecond: a faithful copy of one read to the ms must
// stay within 5 % or 1 ms of wherever in its millisecond the silence really
// ended.
bool faithfulGap(double sent, double measured)
{
    if (measured < captureFrameGapUs) {
        return faithfulLength(sent, measured);
    }
    return std::abs(sent - measured) <= std::max<double>(gapAbsoluteUs, relative * measured) - gapReadingUs;
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

// How a class is judged and sent: a faithful copy, what jitter allows, the
// stretch's step, and whether a class that no stretch copies takes the one
// nearest its members' mean (lengths: most members copied well) or the one
// whose worst copy misses least (gaps: few members, often one per kind of
// frame).
struct Tests
{
    bool (*faithful)(double sent, double measured);
    bool (*jittered)(double sent, double measured);
    double step;
    bool worstFirst;
};

constexpr Tests lengthTests{faithfulLength, jitteredLength, step, false};
constexpr Tests gapTests{faithfulGap, jitteredGap, step, true};
constexpr Tests wideGapTests{faithfulGap, jitteredGap, wideGapStep, true};

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
    // The class of a gap between frames among the gaps' classes: one for all,
    // or with wide steps one per distinct nominal gap, shortest first.
    static std::size_t ofGap(int gap, const std::vector<int> &gaps, bool wide)
    {
        const auto at = std::lower_bound(gaps.begin(), gaps.end(), gap);
        return wide ? static_cast<std::size_t>(at - gaps.begin()) : 0;
    }
    // The class of a length.
    std::size_t of(int length, bool mark) const
    {
        const std::vector<int> &list = mark ? marks : spaces;
        const std::size_t index =
            static_cast<std::size_t>(std::lower_bound(list.begin(), list.end(), length) - list.begin());
        return mark ? index : marks.size() + index;
    }
};

// Which nibble each class takes: its own while the lengths' classes and the
// gaps' fit in ten, the lengths first; else neighbouring lengths share
// nibbles (as a remote's clock moves them alike), and the gaps keep one, or
// two with wide steps and kinds of gap enough.
class Nibbles
{
public:
    Nibbles(std::size_t lengths, std::size_t gaps)
        : m_lengths(lengths)
        , m_gaps(gaps)
    {
        const bool fits = lengths + gaps <= maxClasses;
        m_gapNibbles = fits ? gaps : std::min<std::size_t>(gaps, 2);
        m_lengthNibbles = fits ? lengths : maxClasses - m_gapNibbles;
    }
    std::size_t ofLength(std::size_t c) const { return c * m_lengthNibbles / m_lengths; }
    std::size_t ofGap(std::size_t g) const { return m_lengthNibbles + g * m_gapNibbles / m_gaps; }

private:
    std::size_t m_lengths;
    std::size_t m_gaps;
    std::size_t m_lengthNibbles;
    std::size_t m_gapNibbles;
};

// How many classes the gaps make.
std::size_t gapClassCount(const std::vector<int> &gaps, bool wide)
{
    return gaps.empty() ? 0 : wide ? gaps.size() : 1;
}

int nibble(const TimingFit::Timing &timing, std::size_t index)
{
    const int raw = timing.stretches[index / 2] >> (index % 2 == 0 ? 4 : 0) & 0xF;
    return raw >= 8 ? raw - 16 : raw;
}

void setNibble(TimingFit::Timing &timing, std::size_t index, int value)
{
    const int raw = value & 0xF;
    std::uint8_t &byte = timing.stretches[index / 2];
    byte = index % 2 == 0 ? static_cast<std::uint8_t>((byte & 0x0F) | raw << 4)
                          : static_cast<std::uint8_t>((byte & 0xF0) | raw);
}

// One length of a class: its nominal value, its measure, and what the
// receiver's skew does to it (+1 for a mark, -1 for a space, 0 for a gap).
struct Member
{
    int nominal;
    int measured;
    int skewSign;
};
using Members = std::vector<Member>;

// step^n for the nibbles' n, worked out once.
double stretchOf(double stepBy, int n)
{
    using Powers = std::array<double, highest - lowest + 1>;
    const auto powers = [](double base) {
        Powers out{};
        for (int i = lowest; i <= highest; ++i) {
            out[static_cast<std::size_t>(i - lowest)] = std::pow(base, i);
        }
        return out;
    };
    static const Powers narrow = powers(step);
    static const Powers wide = powers(wideGapStep);
    return (stepBy == step ? narrow : wide)[static_cast<std::size_t>(n - lowest)];
}

// To the microsecond, as it goes out.
double sentUnder(const Member &member, int n, double stepBy, int skewUs)
{
    const double stretched = member.nominal * stretchOf(stepBy, n);
    const double sent = member.skewSign == 0 ? stretched : stretched + member.skewSign * skewUs;
    return static_cast<double>(std::max<long>(member.skewSign == 0 ? 0 : shortestSentUs, std::lround(sent)));
}

bool allOf(const Members &members, int n, const Tests &tests, int skewUs)
{
    return std::all_of(members.begin(), members.end(), [&](const Member &member) {
        return tests.faithful(sentUnder(member, n, tests.step, skewUs), member.measured);
    });
}

// How a class of lengths (or the gaps) is sent: its stretch, and whether its
// members spread wider than any one length copies faithfully - a capture's
// jitter, which no format copies and the protocol's own length reads best.
struct ClassFit
{
    int stretch = 0;
    bool noisy = false;
};

// The stretch whose worst copy of a member misses least.
int leastWorstMiss(const Members &members, const Tests &tests, int skewUs)
{
    int best = 0;
    double bestMiss = 0;
    for (int n = lowest; n <= highest; ++n) {
        double miss = 0;
        for (const Member &member : members) {
            const double sent = sentUnder(member, n, tests.step, skewUs);
            miss = std::max(miss, std::abs(sent - member.measured) / std::max(sent, 1.0));
        }
        if (n == lowest || miss < bestMiss) {
            best = n;
            bestMiss = miss;
        }
    }
    return best;
}

// No stretch while the nominal length copies every member faithfully, else
// the smallest stretch that does, the one towards the members' mean first;
// with none, as `tests` says.
ClassFit fitClass(const Members &members, const Tests &tests, int skewUs)
{
    if (allOf(members, 0, tests, skewUs)) {
        return {};
    }
    double logSum = 0;
    for (const Member &member : members) {
        const double sent = std::max<double>(member.measured - member.skewSign * skewUs, 1);
        logSum += std::log(sent / member.nominal);
    }
    const double logMean = logSum / static_cast<double>(members.size());
    const int towards = logMean < 0 ? -1 : 1;
    for (int size = 1; size <= std::max(-lowest, highest); ++size) {
        for (int n : {towards * size, -towards * size}) {
            if (n >= lowest && n <= highest && allOf(members, n, tests, skewUs)) {
                return {n, false};
            }
        }
    }
    if (tests.worstFirst) {
        return {leastWorstMiss(members, tests, skewUs), true};
    }
    return {std::clamp(static_cast<int>(std::lround(logMean / std::log(tests.step))), lowest, highest), true};
}

// The protocol is taken when the length sent for every member copies it
// faithfully or, in a class of jitter, within what jitter allows.
bool accepts(const Members &members, const ClassFit &fit, const Tests &tests, int skewUs)
{
    return std::all_of(members.begin(), members.end(), [&](const Member &member) {
        const double sent = sentUnder(member, fit.stretch, tests.step, skewUs);
        return tests.faithful(sent, member.measured) || (fit.noisy && tests.jittered(sent, member.measured));
    });
}

// The distinct nominal gaps between frames, ascending.
std::vector<int> gapsOf(const IrSignal &signal)
{
    std::vector<int> gaps;
    for (std::size_t f = 0; f + 1 < signal.frames.size(); ++f) {
        gaps.push_back(signal.frames[f].gapAfterUs);
    }
    std::sort(gaps.begin(), gaps.end());
    gaps.erase(std::unique(gaps.begin(), gaps.end()), gaps.end());
    return gaps;
}

// The members of each class of lengths, and the gaps between frames by
// their nominal value.
struct Split
{
    std::vector<Members> classes;
    std::vector<int> gapValues;
    std::vector<Members> gaps;
};

// Nothing when a length or gap the protocol leaves out (nominal 0) was heard.
std::optional<Split> split(const IrSignal &nominal, const IrSignal &measured, const Classes &classes)
{
    Split out;
    out.classes.resize(classes.count());
    out.gapValues = gapsOf(nominal);
    out.gaps.resize(out.gapValues.size());
    for (std::size_t f = 0; f < nominal.frames.size(); ++f) {
        const std::vector<int> &n = nominal.frames[f].durations;
        const std::vector<int> &m = measured.frames[f].durations;
        for (std::size_t i = 0; i < n.size(); ++i) {
            const bool mark = i % 2 == 0;
            if (n[i] > 0) {
                out.classes[classes.of(n[i], mark)].push_back({n[i], m[i], mark ? 1 : -1});
            } else if (!faithfulLength(n[i], m[i])) {
                return std::nullopt;
            }
        }
        if (f + 1 == nominal.frames.size()) {
            continue;
        }
        const int gap = nominal.frames[f].gapAfterUs;
        if (gap > 0) {
            out.gaps[Classes::ofGap(gap, out.gapValues, true)].push_back({gap, measured.frames[f].gapAfterUs, 0});
        } else if (!faithfulGap(gap, measured.frames[f].gapAfterUs)) {
            return std::nullopt;
        }
    }
    return out;
}

// A timing, and whether it copies every length and gap faithfully.
struct Attempt
{
    TimingFit::Timing timing;
    bool faithful = true;
};

// Fits the members of each nibble's classes, `tests` judging them; false
// when a class takes none.
bool fitNibbles(const std::vector<Members> &classes, const std::function<std::size_t(std::size_t)> &nibbleOf,
                const Tests &tests, int skewUs, Attempt &attempt)
{
    std::array<Members, maxClasses> byNibble;
    for (std::size_t c = 0; c < classes.size(); ++c) {
        Members &group = byNibble[nibbleOf(c)];
        group.insert(group.end(), classes[c].begin(), classes[c].end());
    }
    for (std::size_t n = 0; n < byNibble.size(); ++n) {
        if (byNibble[n].empty()) {
            continue;
        }
        const ClassFit fit = fitClass(byNibble[n], tests, skewUs);
        if (!accepts(byNibble[n], fit, tests, skewUs)) {
            return false;
        }
        attempt.faithful = attempt.faithful && !fit.noisy;
        setNibble(attempt.timing, n, fit.stretch);
    }
    return true;
}

std::optional<Attempt> fitWith(const Split &members, int skewSteps, bool wideGaps)
{
    Attempt attempt;
    attempt.timing.skewSteps = skewSteps;
    attempt.timing.wideGaps = wideGaps;
    const int skewUs = skewSteps * TimingFit::skewStepUs;
    // With narrow steps the gaps are one class.
    std::vector<Members> gapClasses = members.gaps;
    if (!wideGaps && !gapClasses.empty()) {
        Members all;
        for (const Members &each : members.gaps) {
            all.insert(all.end(), each.begin(), each.end());
        }
        gapClasses.assign(1, all);
    }
    const Nibbles nibbles(members.classes.size(), gapClasses.size());
    const bool fitted =
        fitNibbles(
            members.classes, [&](std::size_t c) { return nibbles.ofLength(c); }, lengthTests, skewUs, attempt)
        && fitNibbles(
            gapClasses, [&](std::size_t g) { return nibbles.ofGap(g); }, wideGaps ? wideGapTests : gapTests, 0,
            attempt);
    return fitted ? std::optional<Attempt>(attempt) : std::nullopt;
}
}  // namespace

std::optional<TimingFit::Timing> TimingFit::fit(const IrSignal &nominal, const IrSignal &measured)
{
    if (!nominal.sameShape(measured)) {
        return std::nullopt;
    }
    const Classes classes(nominal);
    const std::optional<Split> members = split(nominal, measured, classes);
    if (!members) {
        return std::nullopt;
    }
    std::vector<int> skews{0};
    if (const std::optional<ReceiverSkew> skew = ReceiverSkew::of(nominal, measured)) {
        const int steps =
            std::clamp(static_cast<int>(std::lround(skew->offsetUs / skewStepUs)), lowestSkewStep, highestSkewStep);
        if (steps != 0) {
            skews.push_back(steps);
        }
    }
    // The first faithful timing; else the first that jitter allows.
    std::optional<Timing> jittered;
    for (const int skewSteps : skews) {
        for (const bool wideGaps : {false, true}) {
            if (wideGaps && members->gapValues.empty()) {
                continue;
            }
            const std::optional<Attempt> attempt = fitWith(*members, skewSteps, wideGaps);
            if (attempt && attempt->faithful) {
                return attempt->timing;
            }
            if (attempt && !jittered) {
                jittered = attempt->timing;
            }
        }
    }
    return jittered;
}

IrSignal TimingFit::apply(const IrSignal &nominal, const Timing &timing)
{
    const Classes classes(nominal);
    const std::vector<int> gaps = gapsOf(nominal);
    const Nibbles nibbles(classes.count(), gapClassCount(gaps, timing.wideGaps));
    const int skewUs = timing.skewSteps * skewStepUs;
    IrSignal out = nominal;
    for (IrFrame &frame : out.frames) {
        for (std::size_t i = 0; i < frame.durations.size(); ++i) {
            int &length = frame.durations[i];
            const bool mark = i % 2 == 0;
            if (length > 0) {
                const Member member{length, 0, mark ? 1 : -1};
                const int n = nibble(timing, nibbles.ofLength(classes.of(length, mark)));
                length = static_cast<int>(sentUnder(member, n, step, skewUs));
            }
        }
        if (frame.gapAfterUs > 0) {
            const Member gap{frame.gapAfterUs, 0, 0};
            const std::size_t n = nibbles.ofGap(Classes::ofGap(frame.gapAfterUs, gaps, timing.wideGaps));
            frame.gapAfterUs =
                static_cast<int>(sentUnder(gap, nibble(timing, n), timing.wideGaps ? wideGapStep : step, 0));
        }
    }
    return out;
}
