#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>

// Learned signals stray from a protocol's nominal lengths: a length matches
// within 30 % or 100 us, whichever is more, as the common decoders allow.
inline bool nearLength(int measured, int nominal)
{
    const int tolerance = std::max(nominal * 3 / 10, 100);
    return std::abs(measured - nominal) <= tolerance;
}

// What a receiver and a remote's clock do to the lengths on top of that: the
// receiver lengthens every mark and shortens every space by one amount, its
// skew (100 to 250 us are common, more than a short length's own tolerance;
// few shorten marks, and by less), and a remote's clock may run about 10 %
// off.
namespace ReceiverBounds
{
constexpr double clockOff = 0.12;
constexpr int skewUs = 320;
constexpr int shortenedMarkUs = 160;

inline bool plausible(double scale, double skewUs)
{
    return std::abs(scale - 1) <= clockOff && skewUs <= ReceiverBounds::skewUs && skewUs >= -shortenedMarkUs;
}
}  // namespace ReceiverBounds

// A length that a receiver may hear for `nominal` under any skew and clock
// within those bounds. Loose on purpose: the decoded code's whole signal is
// checked against one skew and clock afterwards (ReceiverSkew).
inline bool plausibleLength(int measured, int nominal)
{
    const double skewed = ReceiverBounds::clockOff * nominal + ReceiverBounds::skewUs;
    return std::abs(measured - nominal) <= std::max<double>(skewed, std::max(nominal * 3 / 10, 100));
}
