// Time from process start until the main window is shown and its event loop
// idle, against the in-process virtual remote (USB transfer time as configured,
// default 1 ms per call). The start-up's 500 ms splash pause is included in the
// total and reported apart. Each run is a fresh child process of this program.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "DisplayMode.h"
#include "ProcessEntry.h"
#include "ScriptedBoxes.h"
#include "Tmainselfstudy.h"
#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"

namespace
{
using Clock = std::chrono::steady_clock;

// The test platform's screen is smaller than the window's; a notice would stop the run.
class FullScreen : public DisplayMode
{
public:
    QSize screenSize() const override { return {1024, 768}; }
};

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One start of the program's sequence; prints "<ms to idle> <pause ms>".
int child(int argc, char **argv, Clock::time_point entered, long transferUs)
{
    QApplication application(argc, argv);
    std::string error;
    auto remote = VirtualRemote::open({{}, std::chrono::microseconds(transferUs)}, &error);
    if (!remote) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    VirtualRemoteDevice device(*remote);
    ScriptedBoxes boxes;

    const std::unique_ptr<Tmainselfstudy> window = ProcessEntry::createMainWindow(device);
    window->setDisplayMode(std::make_unique<FullScreen>());
    const double pause = double(ProcessEntry::splashPause.count());
    window->show();

    // The loop is about to wait: everything the show brought is done.
    const auto idle = [&] {
        std::printf("%.2f %.2f\n", msSince(entered), pause);
        std::fflush(stdout);
        QApplication::exit(window->startfailed || !boxes.shown().isEmpty() ? 1 : 0);
    };
    QAbstractEventDispatcher *loop = QAbstractEventDispatcher::instance();
    QObject::connect(loop, &QAbstractEventDispatcher::aboutToBlock, &application, idle);
    return application.exec();
}

// User and system time of the children reaped so far.
double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &time) { return double(time.tv_sec) * 1e3 + double(time.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
}  // namespace

int main(int argc, char **argv)
{
    const Clock::time_point entered = Clock::now();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const long transferUs = argc > 1 ? std::atol(argv[1]) : 1000;
    if (argc > 2 && std::string(argv[2]) == "--child")
        return child(argc, argv, entered, transferUs);

    QCoreApplication application(argc, argv);
    std::vector<double> totals, inside, pauses, cpu;
    for (int run = 0; run < 10; ++run) {
        const double cpuBefore = childrenCpuMs();
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(QCoreApplication::applicationFilePath(), {QString::number(transferUs), "--child"});
        if (!process.waitForReadyRead(10000)) {
            std::fprintf(stderr, "the window did not come up: %s\n", process.readAllStandardError().constData());
            return 1;
        }
        const double total = double(timer.nsecsElapsed()) / 1e6;
        const QList<QByteArray> figures = process.readLine().trimmed().split(' ');
        process.waitForFinished(10000);
        if (figures.size() != 2 || process.exitCode() != 0) {
            std::fprintf(stderr, "the window did not open cleanly\n");
            return 1;
        }
        cpu.push_back(childrenCpuMs() - cpuBefore);
        totals.push_back(total);
        inside.push_back(figures[0].toDouble());
        pauses.push_back(figures[1].toDouble());
    }
    const double pause = median(pauses);
    std::printf("window shown and idle, transfer time %ld us per call, 10 runs (medians):\n", transferUs);
    std::printf("  from process start %.1f ms (max %.1f), from main() %.1f ms\n", median(totals),
                *std::max_element(totals.begin(), totals.end()), median(inside));
    std::printf("  splash pause %.1f ms; beyond the pause %.1f ms from process start, %.1f ms from main()\n", pause,
                median(totals) - pause, median(inside) - pause);
    // Wall time grows when other programs share the processor; this does not.
    std::printf("  processor time of the whole run (user + system) %.1f ms\n", median(cpu));
    return 0;
}
