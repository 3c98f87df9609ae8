#include "FaithfulCopy.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "LearnedFormat.h"

namespace
{
constexpr int carrierToleranceHz = 1000;
constexpr int gapReadingUs = 500;
}  // namespace

bool FaithfulCopy::lengthMissed(int sent, double wanted)
{
    return std::abs(sent - wanted) > std::max(0.049 * wanted, 58.0) - 1;
}

bool FaithfulCopy::gapMissed(int sent, int wanted)
{
    // The silence may have ended anywhere in the millisecond read.
    return std::abs(sent - wanted) > std::max(1000.0, 0.05 * (wanted - gapReadingUs)) - gapReadingUs;
}

std::optional<std::vector<FaithfulCopy::Miss>> FaithfulCopy::misses(const IrSignal &sent, const IrSignal &wanted)
{
    if (sent.frames.size() != wanted.frames.size()) {
        return std::nullopt;
    }
    std::vector<Miss> out;
    std::size_t position = 0;
    for (std::size_t f = 0; f < sent.frames.size(); ++f) {
        const std::vector<int> &got = sent.frames[f].durations;
        const std::vector<int> &want = wanted.frames[f].durations;
        if (got.size() != want.size()) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < got.size(); ++i, ++position) {
            if (lengthMissed(got[i], want[i])) {
                out.push_back({position, got[i], want[i]});
            }
        }
        if (f + 1 < sent.frames.size()) {
            if (gapMissed(sent.frames[f].gapAfterUs, wanted.frames[f].gapAfterUs)) {
                out.push_back({position, sent.frames[f].gapAfterUs, wanted.frames[f].gapAfterUs});
            }
            ++position;
        }
    }
    return out;
}

bool FaithfulCopy::faithful(const IrSignal &sent, const IrSignal &wanted)
{
    const int carrierHz = wanted.carrierHz > 0 ? wanted.carrierHz : LearnedFormat::defaultCarrierHz;
    const std::optional<std::vector<Miss>> missed = misses(sent, wanted);
    return missed && missed->empty() && std::abs(sent.carrierHz - carrierHz) <= carrierToleranceHz;
}
