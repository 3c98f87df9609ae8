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

// Within the protocol's tolerance either way: the nominal length within 5 %
// of the measured one or the measured within 5 % of the nominal. Capture
// jitter of 5 % about a length never leaves this, so a remote of nominal
// timing keeps stretch 0 and its code however its captures jitter.
bool nearNominal(double sent, double measured, int absolute, int cushion)
{
    return std::abs(sent - measured) <= std::max<double>(absolute, relative * std::max(sent, measured) + cushion);
}

// A faithful copy: within 5 % of the measured length or 60 us.
bool faithful(double sent, double measured)
{
    return std::abs(sent - measured) <= std::max<double>(absoluteUs, relative * measured);
}

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

double sentUnder(int nominal, int n)
{
    return nominal * std::pow(step, n);
}

bool allOf(const std::vector<std::pair<int, int>> &members, int n, bool (*test)(int, int, int))
{
    return std::all_of(members.begin(), members.end(),
                       [&](const auto &member) { return test(member.first, member.second, n); });
}

// No stretch while the nominal length is near every member, so that capture
// jitter cannot move it; else the smallest stretch that is faithful to every
// member, the one towards the members' mean first; a class no stretch copies
// faithfully keeps its nominal length and fails the acceptance.
int stretchOf(const std::vector<std::pair<int, int>> &members)
{
    const auto near = [](int nominal, int measured, int) {
        return nearNominal(nominal, measured, absoluteUs, truncationUs);
    };
    if (allOf(members, 0, near)) {
        return 0;
    }
    double logSum = 0;
    for (const auto &[nominal, measured] : members) {
        logSum += std::log(std::max(measured, 1) / static_cast<double>(nominal));
    }
    const int towards = logSum < 0 ? -1 : 1;
    const auto copies = [](int nominal, int measured, int n) { return faithful(sentUnder(nominal, n), measured); };
    for (int size = 1; size <= std::max(-lowest, highest); ++size) {
        for (int n : {towards * size, -towards * size}) {
            if (n >= lowest && n <= highest && allOf(members, n, copies)) {
                return n;
            }
        }
    }
    return 0;
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

// Every length of the copy near the measured one, the same test that keeps
// nominal lengths; gaps within 5 % or 1 ms besides their reading.
bool close(const IrSignal &sent, const IrSignal &measured)
{
    for (std::size_t f = 0; f < sent.frames.size(); ++f) {
        const IrFrame &want = measured.frames[f];
        const IrFrame &got = sent.frames[f];
        for (std::size_t i = 0; i < want.durations.size(); ++i) {
            if (!nearNominal(got.durations[i], want.durations[i], absoluteUs, truncationUs)) {
                return false;
            }
        }
        const bool readToTheMs = want.gapAfterUs >= receiverFrameGapUs;
        if (f + 1 < sent.frames.size()
            && !nearNominal(got.gapAfterUs, want.gapAfterUs, readToTheMs ? gapAbsoluteUs : absoluteUs,
                            readToTheMs ? gapReadingUs : truncationUs)) {
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
