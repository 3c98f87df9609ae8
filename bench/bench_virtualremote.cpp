// Speed of the virtual remote: what one call costs without transfer time, what
// a synced write to the image file costs, and how little CPU callers burn while
// they wait out the 1 ms transfer time side by side.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "VirtualRemote.h"

namespace
{
using Clock = std::chrono::steady_clock;

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double medianMicroseconds(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto begin = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - begin).count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}

std::unique_ptr<VirtualRemote> openRemote(const std::string &path, std::chrono::microseconds transfer)
{
    std::string error;
    auto remote = VirtualRemote::open({path, transfer}, &error);
    if (!remote) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    return remote;
}

InfraredSignal fullSignal()
{
    InfraredSignal signal;
    for (int i = 0; i < 3000; ++i) {
        signal.durations.push_back(560 + (i * 37) % 2000);
    }
    return signal;
}

void singleCalls()
{
    auto remote = openRemote("", std::chrono::microseconds(0));
    std::string hex;
    // The start-up read of the key-state table: 400 records.
    std::printf("readdatav20 of 1101 units, no transfer time: %.1f us median\n",
                medianMicroseconds(500, [&] { remote->readData(1101, "20", "00", "08", hex); }));
    std::printf("writedatav20 of one key record, memory only: %.1f us median\n",
                medianMicroseconds(2000, [&] { remote->writeData("0A", "20", "00", std::string(44, 'C')); }));
    const InfraredSignal signal = fullSignal();
    std::printf("press of a signal that fills the capture buffer: %.1f us median\n", medianMicroseconds(500, [&] {
                    remote->setCodeCarrierWave();
                    remote->press(signal);
                    remote->collectCodeInfo(hex);
                }));

    const std::string path =
        (std::filesystem::temp_directory_path() / ("bench_virtualremote_" + std::to_string(::getpid()) + ".img"))
            .string();
    {
        auto persistent = openRemote(path, std::chrono::microseconds(0));
        std::printf("writedatav20 of one key record, synced to %s: %.1f us median\n",
                    std::filesystem::path(path).parent_path().c_str(),
                    medianMicroseconds(200, [&] { persistent->writeData("0A", "20", "00", std::string(44, 'C')); }));
    }
    std::filesystem::remove(path);
}

// The tool's three threads at once for a second: the capture thread polling
// for a code, the link monitor, and the user-interface thread writing.
void threeCallers()
{
    auto remote = openRemote("", std::chrono::microseconds(1000));
    remote->setCodeCarrierWave();
    std::atomic<bool> stop{false};
    std::atomic<long> polls{0}, links{0}, writes{0};
    const double cpuBefore = processCpuSeconds();
    const auto begin = Clock::now();
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        std::string hex;
        while (!stop) {
            remote->collectCodeInfo(hex);
            remote->linkState();
            ++polls;
        }
    });
    threads.emplace_back([&] {
        while (!stop) {
            remote->linkState();
            ++links;
        }
    });
    threads.emplace_back([&] {
        while (!stop) {
            remote->writeData("0A", "50", "00", "A1A2A3A4A5A6A7A8");
            ++writes;
        }
    });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    stop = true;
    for (auto &thread : threads) {
        thread.join();
    }
    const double wall = std::chrono::duration<double>(Clock::now() - begin).count();
    const double cpu = processCpuSeconds() - cpuBefore;
    std::printf("three callers, 1 ms transfer time, %.2f s: %.0f capture polls/s, %.0f link_state/s, "
                "%.0f writes/s, CPU %.1f %% of one core\n",
                wall, polls / wall, links / wall, writes / wall, 100 * cpu / wall);
}
}  // namespace

int main()
{
    singleCalls();
    threeCallers();
    return 0;
}
