#pragma once

#include <cstddef>
#include <optional>
#include <vector>

// A silence this long ends a frame in a capture: the receiver's longest
// word (0x7FFF thirds of a microsecond) and its skew. Gaps that long come in
// whole milliseconds.
constexpr int captureFrameGapUs = 10980;

// One frame of an infrared signal: mark and space durations in microseconds,
// mark first and last, and the silence that follows it (0 after the last).
struct IrFrame
{
    std::vector<int> durations;
    int gapAfterUs = 0;

    bool operator==(const IrFrame &) const = default;
};

// An infrared signal as frames divided by long silences, on a carrier.
struct IrSignal
{
    int carrierHz = 0;
    std::vector<IrFrame> frames;

    // All marks and spaces in one run, the gaps between frames as spaces.
    std::vector<int> flatDurations() const;
    int durationCount() const;

    // One frame sent `count` times, with no silence after the last.
    static IrSignal repeated(int carrierHz, const IrFrame &frame, std::size_t count);
    // As many frames as `other`, each of as many marks and spaces.
    bool sameShape(const IrSignal &other) const;
    // This signal's marks, spaces and gaps divided into frames where `shape`
    // is; nothing when they do not add up to as many.
    std::optional<IrSignal> inFramesOf(const IrSignal &shape) const;
};
