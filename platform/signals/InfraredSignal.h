#pragma once

#include <vector>

// An infrared signal as an original remote sends it: alternating mark and space
// durations in microseconds, mark first, on a carrier (0 for none).
struct InfraredSignal
{
    int carrierHz = 38000;
    std::vector<double> durations;
};
