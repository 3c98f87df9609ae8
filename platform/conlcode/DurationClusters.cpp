#include "DurationClusters.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace
{
constexpr double splitRatio = 1.15;
constexpr double maxSpan = 1.4;
constexpr double tightShare = 0.03;
constexpr double tightUs = 50;
constexpr double tightStep = 1.08;
constexpr std::size_t tightMembers = 3;

// Positions in the sorted lengths: [begin, end).
struct Range
{
    std::size_t begin;
    std::size_t end;
};

double ratio(int longer, int shorter)
{
    return static_cast<double>(std::max(longer, 1)) / std::max(shorter, 1);
}

double meanOf(const std::vector<int> &sorted, Range r)
{
    const double sum = std::accumulate(sorted.begin() + static_cast<std::ptrdiff_t>(r.begin),
                                       sorted.begin() + static_cast<std::ptrdiff_t>(r.end), 0.0);
    return sum / static_cast<double>(r.end - r.begin);
}

bool tight(const std::vector<int> &sorted, Range r)
{
    const double mean = meanOf(sorted, r);
    const auto close = [&](int length) { return std::abs(length - mean) <= std::max(tightShare * length, tightUs); };
    return close(sorted[r.begin]) && close(sorted[r.end - 1]);
}

// Splits `range` at its widest step until no part spans more than maxSpan;
// tight, also where the step is a clear one (8 %) between lengths that occur
// three times or more on both sides of it, as two lengths of the remote do
// and the jitter of one length next to never does.
void splitWide(const std::vector<int> &sorted, Range range, DurationClusters::Spread spread, std::vector<Range> &out)
{
    std::size_t cut = range.begin + 1;
    for (std::size_t i = range.begin + 1; i < range.end; ++i) {
        if (ratio(sorted[i], sorted[i - 1]) > ratio(sorted[cut], sorted[cut - 1])) {
            cut = i;
        }
    }
    const bool wide = range.end - range.begin >= 2 && ratio(sorted[range.end - 1], sorted[range.begin]) > maxSpan;
    const bool loose = spread == DurationClusters::Spread::Tight && cut - range.begin >= tightMembers
                       && range.end - cut >= tightMembers && ratio(sorted[cut], sorted[cut - 1]) >= tightStep
                       && !tight(sorted, range);
    if (!wide && !loose) {
        out.push_back(range);
        return;
    }
    splitWide(sorted, {range.begin, cut}, spread, out);
    splitWide(sorted, {cut, range.end}, spread, out);
}
}  // namespace

DurationClusters::DurationClusters(const std::vector<int> &lengths, std::size_t maxClusters, Spread spread)
    : m_clusterOf(lengths.size(), 0)
{
    if (lengths.empty()) {
        return;
    }
    std::vector<std::size_t> order(lengths.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return lengths[a] < lengths[b]; });
    std::vector<int> sorted(lengths.size());
    std::transform(order.begin(), order.end(), sorted.begin(), [&](std::size_t i) { return lengths[i]; });

    std::vector<Range> ranges;
    std::size_t begin = 0;
    for (std::size_t i = 1; i <= sorted.size(); ++i) {
        if (i == sorted.size() || ratio(sorted[i], sorted[i - 1]) > splitRatio) {
            splitWide(sorted, {begin, i}, spread, ranges);
            begin = i;
        }
    }
    while (ranges.size() > std::max<std::size_t>(maxClusters, 1)) {
        std::size_t closest = 0;
        double best = 0;
        for (std::size_t i = 0; i + 1 < ranges.size(); ++i) {
            const double step = std::max(meanOf(sorted, ranges[i + 1]), 1.0) / std::max(meanOf(sorted, ranges[i]), 1.0);
            if (i == 0 || step < best) {
                best = step;
                closest = i;
            }
        }
        ranges[closest].end = ranges[closest + 1].end;
        ranges.erase(ranges.begin() + static_cast<std::ptrdiff_t>(closest) + 1);
    }
    for (std::size_t c = 0; c < ranges.size(); ++c) {
        m_means.push_back(meanOf(sorted, ranges[c]));
        for (std::size_t i = ranges[c].begin; i < ranges[c].end; ++i) {
            m_clusterOf[order[i]] = c;
        }
    }
}
