#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>

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

    // A key whose lengths stray further than its parts can carry: the format
    // as a bundle that holds the key's own timing, and the key's parts. The
    // bundle keeps the timing of the keys whose parts' digests are
    // `liveTags`, every key that uses the format, and no other; the new key's
    // parts differ from all of theirs. Nothing when the capture does not read
    // as the format, or its lengths need more than `maxKeyAdjustments`: a
    // format of its own costs less then.
    static constexpr std::size_t maxKeyAdjustments = 16;
    // The bundle without the timing of keys whose parts' digests are not `liveTags`.
    static LearnedFormat withoutStaleKeys(const LearnedFormat &format, const std::set<std::uint32_t> &liveTags);
    static constexpr std::size_t maxVariants = 16;
    struct Extension
    {
        LearnedFormat format;
        std::array<std::uint8_t, 16> parts{};
    };
    static std::optional<Extension> extended(const LearnedFormat &format, const IrSignal &signal,
                                             const std::set<std::uint32_t> &liveTags);
};
