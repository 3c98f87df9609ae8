#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "IrSignal.h"
#include "LearnedFormat.h"

// Whether a format the remote already holds can send a captured key: the
// capture read through the format's frames and symbols gives the key's bits
// and count; where the format leaves the timing to the keys, the stretches,
// gaps and adjustments that send the capture's own lengths. The format with
// those parts must then send a faithful copy of the capture. So every key of
// a remote's timing shares the format its first key stored, however each
// capture's lengths stray.
class LearnedFormatFit
{
public:
    // The parts A and B that make `format` send `signal`; nothing when it cannot.
    static std::optional<std::array<std::uint8_t, 16>> partsFor(const LearnedFormat &format, const IrSignal &signal);
};
