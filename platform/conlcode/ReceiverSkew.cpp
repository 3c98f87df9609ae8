#include "ReceiverSkew.h"

#include <cmath>

#include "PulseTolerance.h"

namespace
{
// Calls `visit(nominal, measured, mark)` for every length of every frame.
template <typename Visit> void eachLength(const IrSignal &nominal, const IrSignal &measured, Visit visit)
{
    for (std::size_t f = 0; f < nominal.frames.size(); ++f) {
        const std::vector<int> &n = nominal.frames[f].durations;
        const std::vector<int> &m = measured.frames[f].durations;
        for (std::size_t i = 0; i < n.size(); ++i) {
            visit(static_cast<double>(n[i]), static_cast<double>(m[i]), i % 2 == 0);
        }
    }
}
}  // namespace

std::optional<ReceiverSkew> ReceiverSkew::of(const IrSignal &nominal, const IrSignal &measured)
{
    if (!nominal.sameShape(measured) || nominal.durationCount() == 0) {
        return std::nullopt;
    }
    // Least squares of measured = scale * nominal +- offset, each length
    // weighted by 1/nominal: short lengths tell the skew, long ones the clock.
    double snn = 0, sn = 0, sw = 0, smn = 0, sm = 0;
    eachLength(nominal, measured, [&](double n, double m, bool mark) {
        if (n <= 0) {
            return;
        }
        const double sign = mark ? 1 : -1;
        const double w = 1 / n;
        snn += w * n * n;
        sn += w * sign * n;
        sw += w;
        smn += w * m * n;
        sm += w * sign * m;
    });
    const double det = snn * sw - sn * sn;
    ReceiverSkew skew;
    if (std::abs(det) > 1e-9 * snn * sw) {
        skew.scale = (smn * sw - sm * sn) / det;
        skew.offsetUs = (snn * sm - sn * smn) / det;
    } else {
        // Marks alone, or lengths that cannot tell skew from clock: the clock.
        skew.scale = smn / snn;
    }
    if (!ReceiverBounds::plausible(skew.scale, skew.offsetUs)) {
        return std::nullopt;
    }
    bool near = true;
    eachLength(nominal, measured, [&](double n, double m, bool mark) {
        const double expected = skew.heard(n, mark);
        near = near && std::abs(m - expected) <= std::max(0.3 * skew.scale * n, 100.0);
    });
    return near ? std::optional<ReceiverSkew>(skew) : std::nullopt;
}

bool ReceiverSkew::heardAs(const IrSignal &nominal, const IrSignal &measured)
{
    if (!nominal.sameShape(measured)) {
        return false;
    }
    bool near = true;
    eachLength(nominal, measured, [&near](double n, double m, bool) {
        near = near && nearLength(static_cast<int>(m), static_cast<int>(n));
    });
    return near || of(nominal, measured).has_value();
}
