// Reaction times of the link monitor at the program's 200 ms poll interval,
// against the virtual remote (1 ms per USB call): from unplugging to the loss
// arriving on the user-interface thread, at varied phases of the poll; from a
// stop to the thread's end, while it waits for an answer and while it pauses;
// and the CPU the monitor thread takes while the remote stays attached.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <pthread.h>
#include <vector>

#include "BlockReader.h"
#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"
#include "linkstate.h"

namespace
{
void report(const char *what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s median %7.2f ms, max %7.2f ms (%zu runs)\n", what, ms[ms.size() / 2], ms.back(), ms.size());
}

double elapsedMs(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Stops the monitor, returns the ms until its thread has ended, and lets it release itself.
double stopAndTime(QPointer<linkstate> &monitor)
{
    QElapsedTimer sinceStop;
    sinceStop.start();
    monitor->requestStop();
    monitor->wait();
    const double ms = elapsedMs(sinceStop);
    if (!QTest::qWaitFor([&] { return monitor.isNull(); }, 5000)) {
        std::fprintf(stderr, "the monitor did not release itself\n");
        std::exit(1);
    }
    return ms;
}

double threadCpuMs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}
}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    std::string error;
    auto remote = VirtualRemote::open({}, &error);
    if (!remote) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    VirtualRemoteDevice device(*remote);
    const std::string remoteid = BlockReader::readBasicInfo(device).substr(0, linkstate::identityLength);

    std::vector<double> loss;
    std::vector<double> stopWhileAsking;
    for (int run = 0; run < 12; ++run) {
        remote->attach();
        QPointer<linkstate> monitor = new linkstate(device, remoteid);
        QElapsedTimer sinceUnplug;
        bool asked = false;
        QObject::connect(monitor, &linkstate::linkLost, [&] { loss.push_back(elapsedMs(sinceUnplug)); });
        QObject::connect(monitor, &linkstate::reconnectQuestion, [&] { asked = true; });
        monitor->start();
        QTest::qWait(30 + run * 17 % 200);
        remote->detach();
        sinceUnplug.start();
        if (!QTest::qWaitFor([&] { return asked; }, 5000)) {
            std::fprintf(stderr, "the monitor did not ask after the remote went\n");
            return 1;
        }
        stopWhileAsking.push_back(stopAndTime(monitor));
    }
    report("unplugged -> loss on the UI thread:", loss);
    report("stop while asking -> thread ended:", stopWhileAsking);

    remote->attach();
    std::vector<double> stopWhilePausing;
    double cpuPerSecond = 0;
    for (int run = 0; run < 6; ++run) {
        QPointer<linkstate> monitor = new linkstate(device, remoteid);
        std::atomic<clockid_t> clock{};
        std::atomic<bool> clockSet = false;
        // Runs on the monitor's thread.
        const auto takeClock = [&] {
            clockid_t id{};
            pthread_getcpuclockid(pthread_self(), &id);
            clock = id;
            clockSet = true;
        };
        QObject::connect(monitor, &QThread::started, monitor, takeClock, Qt::DirectConnection);
        monitor->start();
        if (!QTest::qWaitFor([&] { return clockSet.load(); }, 5000)) {
            std::fprintf(stderr, "the monitor did not start\n");
            return 1;
        }
        const double cpuBefore = threadCpuMs(clock);
        const int watchMs = 500 + run * 37;
        QTest::qWait(watchMs);
        cpuPerSecond = std::max(cpuPerSecond, (threadCpuMs(clock) - cpuBefore) / (watchMs / 1e3));
        stopWhilePausing.push_back(stopAndTime(monitor));
    }
    report("stop while pausing -> thread ended:", stopWhilePausing);
    std::printf("%-40s at most %.3f ms CPU per second\n", "monitor watching an attached remote:", cpuPerSecond);
    return 0;
}
