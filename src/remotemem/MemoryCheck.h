#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// Checks a whole remote memory image (65,536 bytes) for the allocation
// scheme's invariants. Corruption: a key record of some mode that refers to
// a learned format whose slot is not in use, in-use records whose blocks are
// not marked, lie outside the code area or overlap. Leaks: blocks marked that
// no in-use record owns, in-use records no key refers to (clearing a mode
// leaves those by design). One line of text per problem.
class MemoryCheck
{
public:
    struct Report
    {
        std::vector<std::string> corruption;
        std::vector<std::string> leaks;

        // Leaks waste room but break nothing.
        bool consistent() const { return corruption.empty(); }
    };

    static Report check(const std::vector<std::uint8_t> &image);
};

// Prints every problem, "corrupt: " or "leak: " first, and returns the exit
// status of a check: 0 when consistent, 1 otherwise.
int runMemoryCheck(const std::vector<std::uint8_t> &image, std::ostream &out);
