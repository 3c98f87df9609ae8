#pragma once

#include <chrono>

// How long a test waits for what other threads and processes do. A build that
// runs many times slower, under a sanitizer, sets QLR_TEST_TIME_SCALE to the
// factor that stretches every such bound; the tests stay the same.
class TestTime
{
public:
    // The factor, 1 unless QLR_TEST_TIME_SCALE holds a number of at least 1.
    static double scale();
    static int scaled(int milliseconds);
    static std::chrono::milliseconds scaled(std::chrono::milliseconds bound);
};
