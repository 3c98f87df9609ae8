#pragma once

#include <cstdlib>

// A broken invariant is a finding: libFuzzer keeps the input that aborted.
inline void require(bool holds)
{
    if (!holds)
        std::abort();
}
