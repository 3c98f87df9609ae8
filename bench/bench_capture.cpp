// Speed of the capture road: encoding a full capture buffer, and the CPU the
// capture thread burns while it polls a remote that hears nothing.
#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>

#include "CaptureEncoding.h"
#include "HexText.h"
#include "RemoteDevice.h"
#include "TCollectCode.h"

namespace
{
double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A capture buffer filled to the brim: varied marks and spaces, then the
// silence and the closing words of a 38 kHz carrier in its last 88 characters.
std::string fullCapture()
{
    std::string text;
    const std::size_t codeLength = TCollectCode::bufferSize - 88;
    for (std::uint32_t i = 0; text.size() < codeLength; ++i) {
        const std::uint32_t length = 600 + (i * 37) % 5000;
        text += HexText::format(i % 2 == 0 ? 0x8000 | length : length, 4);
    }
    for (int i = 0; i < 20; ++i)
        text += "7FFF";
    return text + "4E4E4E00";
}

double encodingMedianMicroseconds(int runs)
{
    const std::string capture = fullCapture();
    std::vector<double> times;
    std::size_t sink = 0;
    for (int i = 0; i < runs; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        sink += CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(capture)).size();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - begin).count());
    }
    if (sink == 0)
        std::printf("warning: the full capture encoded to nothing\n");
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[static_cast<std::size_t>(runs / 2)];
}

// A remote whose every call takes about a millisecond, as a USB transfer does,
// and which never captures anything. It reads the calling thread's CPU clock.
class SlowSilentRemote : public RemoteDevice
{
public:
    double firstCpu = 0;
    double lastCpu = 0;
    int polls = 0;

    bool SetCodeCarrierWave() override
    {
        firstCpu = threadCpuSeconds();
        transfer();
        return true;
    }
    bool RCollectCodeInfo(char *) override
    {
        ++polls;
        transfer();
        return false;
    }
    bool link_state() override
    {
        transfer();
        lastCpu = threadCpuSeconds();
        return true;
    }
    bool ReadVersion(char *) override { return false; }
    bool readdatav20(char *, int, const char *, const char *, const char *) override { return false; }
    bool writedatav20(const char *, const char *, const char *, const char *) override { return false; }
    bool WCodeTypeData(const char *) override { return false; }
    bool RBasicInfo(char *) override { return false; }

private:
    static void transfer() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
};
}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);

    const int runs = 2001;
    std::printf("trimcapture + encodecapture, full 10240-character capture: median %.1f us over %d runs "
                "(target < 100 us)\n",
                encodingMedianMicroseconds(runs), runs);

    SlowSilentRemote remote;
    std::string collectedcode;
    QEventLoop loop;
    const double processBefore = processCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    TCollectCode::start(remote, collectedcode, &loop, [&loop] { loop.quit(); });
    loop.exec();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double process = processCpuSeconds() - processBefore;
    const double thread = remote.lastCpu - remote.firstCpu;
    std::printf("capture that hears nothing, 1 ms per device call: %.2f s, %d polls; capture thread CPU "
                "%.3f s = %.2f %% of one core; whole process %.2f %% (target < 5 %%)\n",
                wall, remote.polls, thread, 100.0 * thread / wall, 100.0 * process / wall);
    return 0;
}
