// Time of the main window's creation handler against the virtual remote:
// the link test, the version record and all seven block reads, with the
// remote's USB transfer time as configured (default 1 ms per call).
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ScriptedBoxes.h"
#include "Tmainselfstudy.h"
#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const long transferUs = argc > 1 ? std::atol(argv[1]) : 1000;
    std::string error;
    auto remote = VirtualRemote::open({{}, std::chrono::microseconds(transferUs)}, &error);
    if (!remote) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    VirtualRemoteDevice device(*remote);
    ScriptedBoxes boxes;
    std::vector<double> ms;
    for (int run = 0; run < 20; ++run) {
        const auto start = std::chrono::steady_clock::now();
        Tmainselfstudy window(device);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (window.tables.keystates.empty()) {
            std::fprintf(stderr, "start-up did not read the tables\n");
            return 1;
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf("creation handler, transfer time %ld us per call: median %.2f ms, min %.2f ms, max %.2f ms\n",
                transferUs, ms[ms.size() / 2], ms.front(), ms.back());
    return 0;
}
