// Speed of the device library through qlr-remote's server: one readdatav20 of
// 8 KiB (count 1024) and one RCollectCodeInfo poll of an armed remote that
// has heard nothing, as the capture thread makes them. Uses the server on
// $QLR_REMOTE_SOCKET when one answers there (and leaves its remote waiting for
// a code), else starts its own.
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "RemoteClient.h"
#include "rcport.h"

namespace
{
constexpr int samples = 300;

bool answers(const QString &socket)
{
    return RemoteClient::call(socket.toStdString(), "status").status == RemoteClient::Status::Ok;
}

struct Figures
{
    double median;
    double p90;
};

// Microseconds per call, median and 90th percentile of `samples` calls.
Figures measure(const std::function<void()> &call)
{
    std::vector<double> times;
    for (int i = 0; i < samples; ++i) {
        const auto start = std::chrono::steady_clock::now();
        call();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        times.push_back(std::chrono::duration<double, std::micro>(elapsed).count());
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 9 / 10]};
}

void report(const char *what, const Figures &figures)
{
    std::printf("%-44s median %8.1f us   p90 %8.1f us\n", what, figures.median, figures.p90);
}
}  // namespace

int main()
{
    QTemporaryDir dir;
    QProcess server;
    QString socket = qEnvironmentVariable("QLR_REMOTE_SOCKET");
    if (socket.isEmpty() || !answers(socket)) {
        socket = dir.filePath("socket");
        server.start(QLR_REMOTE_BINARY, {"serve", "--socket", socket, "--image", dir.filePath("remote.img")});
        for (int i = 0; i < 500 && !answers(socket); ++i)
            QThread::msleep(10);
        if (!answers(socket)) {
            std::fprintf(stderr, "bench_rcport: the server did not start\n");
            return 1;
        }
        qputenv("QLR_REMOTE_SOCKET", socket.toLocal8Bit());
    }
    std::printf("server on %s, %d calls each\n", qPrintable(socket), samples);

    std::vector<char> buffer(16 * 1024 + 1);
    int failures = 0;
    report("readdatav20, count 1024 (8 KiB)",
           measure([&] { failures += !readdatav20(buffer.data(), 1024, "00", "00", "08"); }));
    report("link_state", measure([&] { failures += !link_state(); }));
    std::vector<char> capture(10240);
    failures += !SetCodeCarrierWave();
    report("RCollectCodeInfo poll, nothing heard", measure([&] {
               std::fill(capture.begin(), capture.end(), '\0');
               failures += RCollectCodeInfo(capture.data());
           }));
    if (failures)
        std::printf("%d calls did not give the expected result\n", failures);
    if (server.state() != QProcess::NotRunning) {
        server.terminate();
        server.waitForFinished(5000);
    }
    return failures ? 1 : 0;
}
