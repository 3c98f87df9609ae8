#pragma once

#include <QString>

#include <chrono>

// Crash safety of `qlr-remote serve` from outside: a client writes
// recognisable patterns (every byte tells the write's number and its own
// address) of varying lengths and offsets to a real server, which is killed
// with SIGKILL after a random time, restarted on the same image and read back.
// Every write the server acknowledged must be there unless a later one covers
// it, and the one write in flight at the kill must be whole or absent, even
// when a byte of the journal is damaged. Seeded, so a run can be repeated.
class CrashKillRun
{
public:
    struct Options
    {
        QString directory;  // for the socket and the image
        int rounds = 20;
        unsigned seed = 815;
        std::chrono::milliseconds longestLife{30};  // of a server before its kill
        // After each kill, one bit of a byte the journal holds is flipped.
        bool damageJournal = false;
    };

    struct Figures
    {
        int rounds = 0;            // kills and restarts done
        long acknowledged = 0;     // writes the server replied OK to
        long lost = 0;             // acknowledged writes missing after a restart
        long halfApplied = 0;      // writes found partly in memory
        long inFlightApplied = 0;  // writes cut off by the kill but found whole
        QString problem;           // why the run ended early; empty when it did not
    };

    static Figures run(const Options &options);
};
