#pragma once

#include <array>

#include "VirtualRemote.h"

// Failures a test has asked for: how many of the next calls of each device
// operation fail.
class FaultPlan
{
public:
    // The next `count` calls of `op` fail; zero or less cancels what was planned.
    void plan(VirtualRemote::Operation op, int count);
    // Called once per call of `op`: true when this call is to fail.
    bool take(VirtualRemote::Operation op);

private:
    static constexpr std::size_t operationCount = 8;
    static_assert(static_cast<std::size_t>(VirtualRemote::Operation::BasicInfo) + 1 == operationCount);
    std::array<int, operationCount> m_pending{};
};
