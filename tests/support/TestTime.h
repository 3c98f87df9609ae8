#pragma once

#include <chrono>
#include <cmath>
#include <cstdlib>

// How long a test waits for what other threads and processes do. A build that
// runs many times slower, under a sanitizer, sets QLR_TEST_TIME_SCALE to the
// factor that stretches every such bound; the tests stay the same. In this
// header alone, so that every test program's exit-time drain has it without a
// library.
class TestTime
{
public:
    // The factor, 1 unless QLR_TEST_TIME_SCALE holds a number of at least 1.
    static double scale()
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

    static int scaled(int milliseconds) { return int(std::lround(milliseconds * scale())); }

    static std::chrono::milliseconds scaled(std::chrono::milliseconds bound)
    {
        return std::chrono::milliseconds(std::llround(double(bound.count()) * scale()));
    }
};
