#pragma once

#include <QString>

#include "InfraredSignal.h"
#include "IrSignal.h"

// Compares a regenerated signal with the one the original remote sent.
namespace SignalMatch
{
// Spaces this long end a frame in the capture.
constexpr double frameGap = 10980;
// The part of a signal that a capture keeps: up to the first silence that
// ends the capture, without a space at the end.
InfraredSignal captured(const InfraredSignal &signal);
// A regenerated signal as a remote would send it again.
InfraredSignal asSent(const IrSignal &signal);
// Empty when every mark and space is within `fraction` of the original's or
// `absoluteUs`, and every gap between frames within `fraction` or 1 ms (the
// duration text carries gaps in whole milliseconds); else what differs.
QString difference(const InfraredSignal &original, const IrSignal &regenerated, double fraction,
                   double absoluteUs = 60);
}  // namespace SignalMatch
