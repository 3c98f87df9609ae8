#include "HalfBits.h"

#include <algorithm>
#include <cmath>

#include "PulseTolerance.h"
#include "ReceiverSkew.h"

namespace
{
// The mean of the single half-bit marks (`from` 0) or spaces (`from` 1) of
// a frame: those near the shortest, which a longer run of one level is at
// least 1.4 times. Nothing when one is not a length.
std::optional<double> singleHalf(const std::vector<int> &durations, std::size_t from)
{
    int shortest = 0;
    for (std::size_t i = from; i < durations.size(); i += 2) {
        shortest = i == from ? durations[i] : std::min(shortest, durations[i]);
    }
    if (shortest <= 0) {
        return std::nullopt;
    }
    double sum = 0;
    int count = 0;
    for (std::size_t i = from; i < durations.size(); i += 2) {
        if (durations[i] * 10 <= shortest * 13) {
            sum += durations[i];
            ++count;
        }
    }
    return sum / count;
}

// The skew and clock of a biphase frame: its single half-bit marks and
// spaces add up to two half-bits at the remote's clock and differ by twice
// the skew. None when the frame does not show them within the bounds.
ReceiverSkew skewOf(const IrFrame &frame, int halfUs)
{
    const std::optional<double> mark = singleHalf(frame.durations, 0);
    const std::optional<double> space = singleHalf(frame.durations, 1);
    if (!mark || !space) {
        return {};
    }
    ReceiverSkew skew;
    skew.scale = (*mark + *space) / (2.0 * halfUs);
    skew.offsetUs = (*mark - *space) / 2;
    if (!ReceiverBounds::plausible(skew.scale, skew.offsetUs)) {
        return {};
    }
    return skew;
}
}  // namespace

std::optional<std::vector<bool>> HalfBits::levels(const IrFrame &frame, int halfUs, int longest)
{
    const ReceiverSkew skew = skewOf(frame, halfUs);
    std::vector<bool> out;
    for (std::size_t i = 0; i < frame.durations.size(); ++i) {
        const bool mark = i % 2 == 0;
        const int sent =
            static_cast<int>(std::lround((frame.durations[i] - (mark ? skew.offsetUs : -skew.offsetUs)) / skew.scale));
        int count = 0;
        for (int n = 1; n <= longest && count == 0; ++n) {
            count = nearLength(sent, n * halfUs) && 2 * sent < (2 * n + 1) * halfUs ? n : 0;
        }
        if (count == 0) {
            return std::nullopt;
        }
        out.insert(out.end(), static_cast<std::size_t>(count), mark);
    }
    return out;
}

std::vector<int> HalfBits::durations(const std::vector<bool> &levels, int halfUs)
{
    std::vector<int> out;
    std::size_t i = 0;
    while (i < levels.size() && !levels[i]) {
        ++i;
    }
    std::size_t lastMark = levels.size();
    while (lastMark > i && !levels[lastMark - 1]) {
        --lastMark;
    }
    while (i < lastMark) {
        std::size_t end = i;
        while (end < lastMark && levels[end] == levels[i]) {
            ++end;
        }
        out.push_back(static_cast<int>(end - i) * halfUs);
        i = end;
    }
    return out;
}
