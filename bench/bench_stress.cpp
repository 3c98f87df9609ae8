// Random user operations on the real main window (offscreen) against the
// in-process virtual remote, with faults aimed at the remote; after every
// operation the window is checked against a fresh read of the remote.
//   bench_stress --seed N --operations M [--progress K] [--lost-replies P]
// With --progress, a line of figures so far every K operations (for long runs).
// With --lost-replies, that share of the faults lets a write through and loses
// its reply instead.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "StressRun.h"

namespace
{
void printProgress(const StressRun::Report &report, double seconds)
{
    std::printf("after %ld operations, %.0f s: %ld faults, %ld learned, %ld re-learned, %ld deleted, "
                "%ld cleared, %ld violations\n",
                report.operations, seconds, report.faults, report.learned, report.relearned, report.deleted,
                report.cleared, report.violations);
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    StressRun::Options options;
    options.operations = 100000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seed") == 0) {
            options.seed = static_cast<std::uint32_t>(std::stoul(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--operations") == 0) {
            options.operations = std::stol(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--progress") == 0) {
            options.progressEvery = std::stol(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--lost-replies") == 0) {
            options.lostReplies = std::stod(argv[i + 1]);
        } else {
            std::fprintf(stderr, "usage: bench_stress --seed N --operations M [--progress K] [--lost-replies P]\n");
            return 2;
        }
    }
    // The tool's own warnings (a capture it could not convert) are expected here.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtFatalMsg || type == QtCriticalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });

    QElapsedTimer timer;
    timer.start();
    options.progress = [&timer](const StressRun::Report &report) {
        printProgress(report, double(timer.elapsed()) / 1000.0);
    };
    StressRun run(options);
    const StressRun::Report report = run.run();
    const double seconds = double(timer.elapsed()) / 1000.0;

    std::printf("seed %u, lost replies %.2f of the faults\n", options.seed, options.lostReplies);
    std::printf("operations run    %ld in %.1f s (%.2f ms each)\n", report.operations, seconds,
                report.operations ? 1000.0 * seconds / double(report.operations) : 0.0);
    std::printf("faults injected   %ld\n", report.faults);
    std::printf("boxes answered    %ld\n", report.boxes);
    std::printf("tool restarts     %ld\n", report.restarts);
    std::printf("keys learned      %ld\n", report.learned);
    std::printf("keys re-learned   %ld\n", report.relearned);
    std::printf("keys deleted      %ld\n", report.deleted);
    std::printf("modes cleared     %ld\n", report.cleared);
    std::printf("keyless start-ups %ld\n", report.keyless);
    std::printf("faults by kind:\n");
    for (const auto &[kind, count] : report.faultsByKind)
        std::printf("  %-28s %ld\n", kind.c_str(), count);
    std::printf("violations        %ld\n", report.violations);
    for (const StressRun::Violation &violation : report.first)
        std::printf("  seed %u op %ld: %s\n", options.seed, violation.operation, violation.what.c_str());
    std::printf("operations by kind (count, ms each):\n");
    for (const auto &[name, count] : report.done)
        std::printf("  %-28s %7ld %8.2f\n", name.c_str(), count, 1000.0 * report.took.at(name) / double(count));
    return report.violations == 0 ? 0 : 1;
}
