// Crash safety of the virtual remote's server over many kills: rounds, writes
// acknowledged, acknowledged writes lost, writes found half applied; with
// --damage-journal a byte of the journal is flipped after each kill.
//   bench_crashkill [--rounds N] [--seed S] [--life MS] [--damage-journal]
#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CrashKillRun.h"

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    CrashKillRun::Options options;
    options.rounds = 200;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--damage-journal") == 0) {
            options.damageJournal = true;
            continue;
        }
        const long value = i + 1 < argc ? std::strtol(argv[++i], nullptr, 10) : -1;
        if (std::strcmp(argv[i - 1], "--rounds") == 0 && value > 0) {
            options.rounds = static_cast<int>(value);
        } else if (std::strcmp(argv[i - 1], "--seed") == 0 && value >= 0) {
            options.seed = static_cast<unsigned>(value);
        } else if (std::strcmp(argv[i - 1], "--life") == 0 && value >= 0) {
            options.longestLife = std::chrono::milliseconds(value);
        } else {
            std::fprintf(stderr, "usage: bench_crashkill [--rounds N] [--seed S] [--life MS] [--damage-journal]\n");
            return 2;
        }
    }
    QTemporaryDir directory;
    options.directory = directory.path();
    const auto figures = CrashKillRun::run(options);
    std::printf("seed %u, servers killed after 0-%lld ms%s\n", options.seed,
                static_cast<long long>(options.longestLife.count()),
                options.damageJournal ? ", a byte of the journal flipped after each kill" : "");
    std::printf("rounds: %d\nwrites acknowledged: %ld\nwrites lost: %ld\nhalf-applied writes: %ld\n"
                "writes cut off by the kill but found whole: %ld\n",
                figures.rounds, figures.acknowledged, figures.lost, figures.halfApplied, figures.inFlightApplied);
    if (!figures.problem.isEmpty()) {
        std::printf("stopped early: %s\n", qPrintable(figures.problem));
    }
    return figures.problem.isEmpty() && figures.lost == 0 && figures.halfApplied == 0 ? 0 : 1;
}
