#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "IrSignal.h"

// What the remote may send for a captured key: every mark and space within
// 5 % or 60 us of the capture's, every gap between frames within 5 % or 1 ms,
// the carrier within 1 kHz. The checks keep a small margin below those
// bounds, for the rounding of what is stored: a gap, for one, reaches the
// converter only to the millisecond.
namespace FaithfulCopy
{
bool lengthMissed(int sent, double wanted);
bool gapMissed(int sent, int wanted);
// The same frames, marks and spaces as `wanted`, each faithful; a carrier of
// 0 in `wanted` (none captured) takes the default one.
bool faithful(const IrSignal &sent, const IrSignal &wanted);

// A mark, space or gap sent too far from the one wanted: its place in the
// signal's flat durations (IrSignal::flatDurations).
struct Miss
{
    std::size_t position = 0;
    int sent = 0;
    int wanted = 0;
};
// The marks, spaces and gaps that miss, the carrier aside; nothing when the
// frames differ in number or length.
std::optional<std::vector<Miss>> misses(const IrSignal &sent, const IrSignal &wanted);
}  // namespace FaithfulCopy
