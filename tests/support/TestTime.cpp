#include "TestTime.h"

#include <cmath>
#include <cstdlib>

double TestTime::scale()
{
    static const double factor = [] {
        const char *given = std::getenv("QLR_TEST_TIME_SCALE");
        char *end = nullptr;
        const double value = given ? std::strtod(given, &end) : 1.0;
        // A typing error must not shorten or drop the bounds.
        return given && end != given && *end == '\0' && std::isfinite(value) && value >= 1.0 ? value : 1.0;
    }();
    return factor;
}

int TestTime::scaled(int milliseconds)
{
    return int(std::lround(milliseconds * scale()));
}

std::chrono::milliseconds TestTime::scaled(std::chrono::milliseconds bound)
{
    return std::chrono::milliseconds(std::llround(double(bound.count()) * scale()));
}
