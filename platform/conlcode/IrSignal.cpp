#include "IrSignal.h"

#include <algorithm>

std::vector<int> IrSignal::flatDurations() const
{
    std::vector<int> flat;
    flat.reserve(static_cast<std::size_t>(durationCount()) + frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        flat.insert(flat.end(), frames[i].durations.begin(), frames[i].durations.end());
        if (i + 1 < frames.size()) {
            flat.push_back(frames[i].gapAfterUs);
        }
    }
    return flat;
}

int IrSignal::durationCount() const
{
    int count = 0;
    for (const IrFrame &frame : frames) {
        count += static_cast<int>(frame.durations.size());
    }
    return count;
}

IrSignal IrSignal::repeated(int carrierHz, const IrFrame &frame, std::size_t count)
{
    IrSignal signal;
    signal.carrierHz = carrierHz;
    signal.frames.assign(count, frame);
    if (!signal.frames.empty())
        signal.frames.back().gapAfterUs = 0;
    return signal;
}

std::optional<IrSignal> IrSignal::inFramesOf(const IrSignal &shape) const
{
    const std::vector<int> flat = flatDurations();
    IrSignal out;
    out.carrierHz = carrierHz;
    std::size_t at = 0;
    for (std::size_t f = 0; f < shape.frames.size(); ++f) {
        const std::size_t count = shape.frames[f].durations.size();
        const bool last = f + 1 == shape.frames.size();
        if (at + count + (last ? 0 : 1) > flat.size()) {
            return std::nullopt;
        }
        IrFrame frame;
        frame.durations.assign(flat.begin() + static_cast<std::ptrdiff_t>(at),
                               flat.begin() + static_cast<std::ptrdiff_t>(at + count));
        at += count;
        frame.gapAfterUs = last ? 0 : flat[at++];
        out.frames.push_back(std::move(frame));
    }
    if (at != flat.size()) {
        return std::nullopt;
    }
    return out;
}

bool IrSignal::sameShape(const IrSignal &other) const
{
    return frames.size() == other.frames.size()
           && std::equal(frames.begin(), frames.end(), other.frames.begin(),
                         [](const IrFrame &a, const IrFrame &b) { return a.durations.size() == b.durations.size(); });
}
