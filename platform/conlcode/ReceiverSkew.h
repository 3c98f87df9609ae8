#pragma once

#include <optional>

#include "IrSignal.h"

// One receiver's skew and one remote's clock, as a signal shows them: every
// mark heard `offsetUs` longer and every space that much shorter than the
// remote sent it, and every length sent `scale` times the protocol's.
struct ReceiverSkew
{
    double scale = 1;
    double offsetUs = 0;

    // The skew and clock that take `nominal` closest to `measured` (frames of
    // the same shape; gaps between frames do not count). Nothing when they lie
    // beyond ReceiverBounds or leave a length further from its measure than a
    // decoder allows (30 % or 100 us).
    static std::optional<ReceiverSkew> of(const IrSignal &nominal, const IrSignal &measured);
    // Whether `measured` is what a remote sends for `nominal`: every length
    // within what a decoder allows of its nominal one, or of what one
    // receiver's skew and one remote's clock (of) make of it.
    static bool heardAs(const IrSignal &nominal, const IrSignal &measured);
    // What the receiver hears of a length the remote sends.
    double heard(double sent, bool mark) const { return scale * sent + (mark ? offsetUs : -offsetUs); }
};
