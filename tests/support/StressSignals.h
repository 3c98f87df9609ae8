#pragma once

#include <random>
#include <vector>

#include "InfraredSignal.h"

// What the original remote sends during a stress run: nominal signals of the
// known protocols and of remotes the remote must learn the format of, some
// recordings of real remotes, and garbage.
class StressSignals
{
public:
    // `recordings` of the corpus's raw recordings join in (none when it is missing).
    explicit StressSignals(std::size_t recordings);

    InfraredSignal pick(std::mt19937 &random) const;
    std::size_t size() const { return m_real.size(); }

private:
    static InfraredSignal garbage(std::mt19937 &random);

    std::vector<InfraredSignal> m_real;
};
