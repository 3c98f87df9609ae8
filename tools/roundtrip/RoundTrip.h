#pragma once

#include <string>
#include <string_view>

#include "InfraredSignal.h"
#include "IrSignal.h"

// One signal through the tool's whole road, in process: a fresh virtual
// remote's receiver captures it, the tool trims, encodes and converts the
// capture and stores the key, and the remote's transmitter sends the key
// again. The answer says what the key became, what it costs in remote memory
// and whether what is sent copies the signal faithfully: the same marks and
// spaces per frame, each within 5 % or 60 us, each gap between frames within
// 5 % or 1 ms (the duration text carries gaps to the millisecond), the carrier
// within 1 kHz. The worst miss counts marks and spaces, not gaps.
class RoundTrip
{
public:
    struct Totals
    {
        int lines = 0;
        int errors = 0;
        int raw = 0;
        int rawFaithful = 0;
        int rawTimingFaithful = 0;
        int rawKnown = 0;
        int parsed = 0;
        int parsedFaithful = 0;
        int parsedRecognised = 0;
        long long bytes = 0;
    };

    // The answer to one line of input (a JSON object) as one JSON object.
    static std::string run(std::string_view line, Totals &totals);
    static std::string summary(const Totals &totals);
    // Remote memory a key takes: its record, and whole blocks for `formatBytes`
    // of format data (0 for a known format or one another key stored already).
    static std::size_t keyBytes(std::size_t formatBytes);

    struct Match
    {
        bool faithful = false;
        // Faithful but for the carrier: the capture gives it in whole kHz,
        // known protocols go out at their own.
        bool timingFaithful = false;
        int worstUs = 0;
    };
    // How `sent` copies `original` (the part of it that a capture keeps).
    static Match compare(const InfraredSignal &original, const IrSignal &sent);
};
