#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "IrSignal.h"
#include "LearnedFormat.h"
#include "LearnedFormatBuilder.h"

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

    // The bundle without the timing of keys whose parts' digests are not
    // `liveTags`, and without the other timings none of the rest uses.
    static LearnedFormat withoutStaleKeys(const LearnedFormat &format, const std::set<std::uint32_t> &liveTags);

    // A key whose lengths stray further than its parts can carry, or that
    // reads as another timing of a bundle: the format as a bundle that holds
    // the key's own timing, and the key's parts. The bundle keeps the timing
    // of the keys whose parts' digests are `liveTags`, every key that uses
    // the format, and no other; the new key's parts differ from all of
    // theirs. Nothing when the capture does not read as any of its timings,
    // or its lengths need more than `maxKeyAdjustments`: a format of its own
    // costs less then.
    static constexpr std::size_t maxKeyAdjustments = 16;
    static constexpr std::size_t maxVariants = 16;
    struct Extension
    {
        LearnedFormat format;
        std::array<std::uint8_t, 16> parts{};
    };
    static std::optional<Extension> extended(const LearnedFormat &format, const IrSignal &signal,
                                             const std::set<std::uint32_t> &liveTags);
    // The format built for a capture with the lengths and gaps it sends off
    // the capture's (its adjustments) moved to the key's own timing, as a
    // bundle's: the format then sends the remote's timing, not one capture's
    // strays, to the remote's other keys and to this key learned again, and
    // the strays go with the key when it goes. Nothing when it has none, or
    // the key's timing cannot hold them.
    static std::optional<LearnedCode> withStraysOfItsKey(const LearnedCode &code, const IrSignal &signal);
    // The key's own format sending its first 8, 16, 32 or 64 symbols as
    // fixed pairs, its parts the bits after them: each that sends the capture
    // faithfully, a timing apart from the one built for a key whose parts, or
    // whose format's id, another key's share. Only for keys with that many
    // bits beyond their parts.
    static std::vector<LearnedCode> shiftedCodes(const LearnedCode &code, const IrSignal &signal);
    // The format as a bundle that also holds `own`'s format, the one built
    // for the capture, and the key as one of it, sent faithfully: where no
    // stored format reads the capture and no slot is left for a format of
    // its own.
    static std::optional<Extension> withTiming(const LearnedFormat &format, const LearnedCode &own,
                                               const IrSignal &signal, const std::set<std::uint32_t> &liveTags);
};
