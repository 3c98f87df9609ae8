#include "DurationClusters.h"

#include <algorithm>
#include <numeric>

namespace
{
constexpr double splitRatio = 1.15;
constexpr double maxSpan = 1.4;

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

// Splits `range` at its widest step until no part spans more than maxSpan.
void splitWide(const std::vector<int> &sorted, Range range, std::vector<Range> &out)
{
    if (range.end - range.begin < 2 || ratio(sorted[range.end - 1], sorted[range.begin]) <= maxSpan) {
        out.push_back(range);
        return;
    }
    std::size_t cut = range.begin + 1;
    for (std::size_t i = range.begin + 1; i < range.end; ++i) {
        if (ratio(sorted[i], sorted[i - 1]) > ratio(sorted[cut], sorted[cut - 1])) {
            cut = i;
        }
    }
    splitWide(sorted, {range.begin, cut}, out);
    splitWide(sorted, {cut, range.end}, out);
}
}  // namespace

DurationClusters::DurationClusters(const std::vector<int> &lengths, std::size_t maxClusters)
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
            splitWide(sorted, {begin, i}, ranges);
            begin = i;
        }
    }
    const auto meanOf = [&](Range r) {
        const double sum = std::accumulate(sorted.begin() + static_cast<std::ptrdiff_t>(r.begin),
                                           sorted.begin() + static_cast<std::ptrdiff_t>(r.end), 0.0);
        return sum / static_cast<double>(r.end - r.begin);
    };
    while (ranges.size() > std::max<std::size_t>(maxClusters, 1)) {
        std::size_t closest = 0;
        double best = 0;
        for (std::size_t i = 0; i + 1 < ranges.size(); ++i) {
            const double step = std::max(meanOf(ranges[i + 1]), 1.0) / std::max(meanOf(ranges[i]), 1.0);
            if (i == 0 || step < best) {
                best = step;
                closest = i;
            }
        }
        ranges[closest].end = ranges[closest + 1].end;
        ranges.erase(ranges.begin() + static_cast<std::ptrdiff_t>(closest) + 1);
    }
    for (std::size_t c = 0; c < ranges.size(); ++c) {
        m_means.push_back(meanOf(ranges[c]));
        for (std::size_t i = ranges[c].begin; i < ranges[c].end; ++i) {
            m_clusterOf[order[i]] = c;
        }
    }
}
