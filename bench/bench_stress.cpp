// Random user operations on the real main window (offscreen) against the
// in-process virtual remote, with faults aimed at the remote; after every
// operation the window is checked against a fresh read of the remote.
//   bench_stress --seed N --operations M
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "StressRun.h"

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
        } else {
            std::fprintf(stderr, "usage: bench_stress --seed N --operations M\n");
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
    StressRun run(options);
    const StressRun::Report report = run.run();
    const double seconds = double(timer.elapsed()) / 1000.0;

    std::printf("seed %u\n", options.seed);
    std::printf("operations run    %ld in %.1f s (%.2f ms each)\n", report.operations, seconds,
                report.operations ? 1000.0 * seconds / double(report.operations) : 0.0);
    std::printf("faults injected   %ld\n", report.faults);
    std::printf("boxes answered    %ld\n", report.boxes);
    std::printf("tool restarts     %ld\n", report.restarts);
    std::printf("violations        %ld\n", report.violations);
    for (const StressRun::Violation &violation : report.first)
        std::printf("  seed %u op %ld: %s\n", options.seed, violation.operation, violation.what.c_str());
    std::printf("operations by kind:\n");
    for (const auto &[name, count] : report.done)
        std::printf("  %-28s %ld\n", name.c_str(), count);
    return report.violations == 0 ? 0 : 1;
}
