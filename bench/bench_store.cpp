// Cost of storing a captured code on the user-interface thread. First with a
// fixed converter answer, so only the storing logic and the device calls
// count: at no transfer time, then at 1 ms per call, with the calls counted.
// Then ConvertCode itself per signal through the run-time loader, and the
// whole step from the raw capture with the real converter.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "CaptureEncoding.h"
#include "CapturedCodeStore.h"
#include "ConverterLibrary.h"
#include "EncodedCapture.h"
#include "InterceptingDevice.h"
#include "RemoteTablesReader.h"
#include "TestSignals.h"
#include "VirtualRemote.h"
#include "VirtualRemoteDevice.h"

namespace
{
// Mean time of one run of `work`, over `runs` runs.
double microsecondsEach(int runs, const std::function<void()> &work)
{
    const auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        work();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count() / runs;
}

std::string answer(const std::string &formatid, const std::string &data)
{
    return formatid + "::0123456789ABCDEF:FEDCBA9876543210:::" + data;
}

// The receiver's capture of a signal, as the capture thread hands it over.
std::string captureOf(VirtualRemote &remote, const InfraredSignal &signal)
{
    std::string hex;
    remote.setCodeCarrierWave();
    if (!remote.press(signal) || !remote.collectCodeInfo(hex))
        hex.clear();
    return hex;
}

struct Scenario
{
    const char *name;
    // Answers taken in turn, so every store meets the remote in the same state.
    std::vector<std::string> answers;
};

void benchStoring(VirtualRemote &remote, const std::string &capture, long transferUs, int runs)
{
    remote.setTransferTime(std::chrono::microseconds(transferUs));
    const std::string data(80, 'A');  // five blocks
    const Scenario scenarios[] = {
        {"known format", {answer("2402B7", "")}},
        {"same learned format again", {answer("ABCDEF", data)}},
        {"new learned format, old one freed", {answer("ABCDEF", data), answer("FEDCBA", data)}},
    };
    for (const Scenario &scenario : scenarios) {
        remote.reset();
        VirtualRemoteDevice inner(remote);
        InterceptingDevice device(inner);
        RemoteTables tables = RemoteTablesReader::read(device).tables;
        std::size_t turn = 0;
        CapturedCodeStore store(tables, device, [&](const std::string &, int, const std::string &) {
            const std::string &text = scenario.answers[turn++ % scenario.answers.size()];
            return Conversion{Conversion::Status::Converted, text, {}};
        });
        store.store(capture, "62", 0);  // the key's first code
        device.reads = device.writes = 0;
        int failed = 0;
        const double us = microsecondsEach(
            runs, [&] { failed += store.store(capture, "62", 0).outcome != CapturedCodeStore::Outcome::Stored; });
        std::printf("  %-36s %9.1f us   %.0f reads + %.0f writes per store%s\n", scenario.name, us,
                    static_cast<double>(device.reads) / runs, static_cast<double>(device.writes) / runs,
                    failed != 0 ? "   (SOME FAILED)" : "");
    }
}
}  // namespace

int main()
{
    std::string error;
    auto remote = VirtualRemote::open({std::string(), std::chrono::microseconds(0)}, &error);
    if (!remote) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    struct Named
    {
        const char *name;
        InfraredSignal signal;
    };
    const Named signals[] = {
        {"NEC, one ditto repeat", TestSignals::nec(0x10, 0xEF, 0x20, TestSignals::NecRepeat::Ditto, 1)},
        {"RC5, one repeat", TestSignals::rc5(3, 17, 0, 1)},
        {"pulse distance, 32 bits", TestSignals::pulseDistance({}, TestSignals::bitsOf(0xA5C3E10F, 32))},
        {"pulse width, 12 bits", TestSignals::pulseWidth(TestSignals::bitsOf(0xA93, 12))},
    };
    const std::string capture = captureOf(*remote, signals[0].signal);

    std::printf("storing step, fixed converter answer, virtual remote without transfer time:\n");
    benchStoring(*remote, capture, 0, 2000);
    std::printf("storing step, fixed converter answer, 1 ms per device call:\n");
    benchStoring(*remote, capture, 1000, 30);

    remote->setTransferTime(std::chrono::microseconds(0));
    ConverterLibrary library;
    if (library.convert("").status != Conversion::Status::Converted) {
        std::printf("ConvertCode: %s not loadable, not measured\n", ConverterLibrary::defaultFileName);
        return 0;
    }
    std::printf("ConvertCode through the loader, per signal (input length in digits):\n");
    for (const Named &named : signals) {
        const std::string raw = captureOf(*remote, named.signal);
        const std::string input =
            EncodedCapture::converterinput(CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(raw)));
        std::size_t answered = 0;
        const double us = microsecondsEach(200, [&] { answered += library.convert(input).text.size(); });
        std::printf("  %-26s %5zu digits %9.1f us%s\n", named.name, input.size(), us,
                    answered == 0 ? "   (no result)" : "");
    }

    remote->reset();
    VirtualRemoteDevice device(*remote);
    RemoteTables tables = RemoteTablesReader::read(device).tables;
    CapturedCodeStore store(tables, device,
                            [&](const std::string &input, int carrierHz, const std::string &storedFormats) {
                                return library.convert(input, carrierHz, storedFormats);
                            });
    const std::string raw = captureOf(*remote, signals[2].signal);
    int stored = 0;
    const double us = microsecondsEach(
        200, [&] { stored += store.store(raw, "62", 0).outcome == CapturedCodeStore::Outcome::Stored; });
    std::printf("whole step from the raw capture, real converter, %s, no transfer time: "
                "%.1f us (%d/200 stored)\n",
                signals[2].name, us, stored);
    return 0;
}
