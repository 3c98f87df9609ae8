#include "HalfBits.h"

#include "PulseTolerance.h"

std::optional<std::vector<bool>> HalfBits::levels(const IrFrame &frame, int halfUs, int longest)
{
    std::vector<bool> out;
    for (std::size_t i = 0; i < frame.durations.size(); ++i) {
        int count = 0;
        for (int n = 1; n <= longest && count == 0; ++n) {
            count = nearLength(frame.durations[i], n * halfUs) && 2 * frame.durations[i] < (2 * n + 1) * halfUs ? n : 0;
        }
        if (count == 0) {
            return std::nullopt;
        }
        out.insert(out.end(), static_cast<std::size_t>(count), i % 2 == 0);
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
