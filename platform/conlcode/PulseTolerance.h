#pragma once

#include <algorithm>
#include <cstdlib>

// Learned signals stray from a protocol's nominal lengths: a length matches
// within 30 % or 100 us, whichever is more, as the common decoders allow.
inline bool nearLength(int measured, int nominal)
{
    const int tolerance = std::max(nominal * 3 / 10, 100);
    return std::abs(measured - nominal) <= tolerance;
}
