// Crash safety of the virtual remote's server over many kills: rounds, writes
// acknowledged, acknowledged writes lost, writes found half applied.
//   bench_crashkill [--rounds N] [--seed S] [--life MS]
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
    for (int i = 1; i + 1 < argc; i += 2) {
        const long value = std::strtol(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--rounds") == 0 && value > 0) {
            options.rounds = static_cast<int>(value);
        } else if (std::strcmp(argv[i], "--seed") == 0) {
            options.seed = static_cast<unsigned>(value);
        } else if (std::strcmp(argv[i], "--life") == 0 && value >= 0) {
            options.longestLife = std::chrono::milliseconds(value);
        } else {
            std::fprintf(stderr, "usage: bench_crashkill [--rounds N] [--seed S] [--life MS]\n");
            return 2;
        }
    }
    if (argc % 2 == 0) {
        std::fprintf(stderr, "usage: bench_crashkill [--rounds N] [--seed S] [--life MS]\n");
        return 2;
    }
    QTemporaryDir directory;
    options.directory = directory.path();
    const auto figures = CrashKillRun::run(options);
    std::printf("seed %u, servers killed after 0-%lld ms\n", options.seed,
                static_cast<long long>(options.longestLife.count()));
    std::printf("rounds: %d\nwrites acknowledged: %ld\nwrites lost: %ld\nhalf-applied writes: %ld\n"
                "writes cut off by the kill but found whole: %ld\n",
                figures.rounds, figures.acknowledged, figures.lost, figures.halfApplied, figures.inFlightApplied);
    if (!figures.problem.isEmpty()) {
        std::printf("stopped early: %s\n", qPrintable(figures.problem));
    }
    return figures.problem.isEmpty() && figures.lost == 0 && figures.halfApplied == 0 ? 0 : 1;
}
