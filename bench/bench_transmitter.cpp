// Cost of `qlr-remote send` apart from the dump over the socket: reading the
// tables of a whole image and regenerating one key's signal, for a downloaded
// NEC key and for a learned pulse-distance key, and printing the signal.
#include <chrono>
#include <cstdio>
#include <vector>

#include "LearnedRemote.h"
#include "RemoteTransmitter.h"
#include "TestSignals.h"

namespace
{
// The mean cost of one call over `runs` calls.
template <typename Work> double microsecondsPerCall(int runs, Work work)
{
    const auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        work();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count() / runs;
}
}  // namespace

int main()
{
    LearnedRemote remote;
    const auto custom = TestSignals::pulseDistance({}, TestSignals::bitsOf(0x123456789ABCull, 48));
    if (remote.learn(custom, 6, "45").outcome != CapturedCodeStore::Outcome::Stored) {
        std::fprintf(stderr, "the custom code was not learned\n");
        return 1;
    }
    const std::vector<std::uint8_t> image = remote.image();
    std::size_t sink = 0;

    const double downloaded =
        microsecondsPerCall(500, [&] { sink += RemoteTransmitter::send(image, 0, "10").signal.frames.size(); });
    const double learned =
        microsecondsPerCall(500, [&] { sink += RemoteTransmitter::send(image, 6, "45").signal.frames.size(); });
    const IrSignal signal = RemoteTransmitter::send(image, 6, "45").signal;
    const double text = microsecondsPerCall(500, [&] { sink += RemoteTransmitter::signalText(signal).size(); });

    std::printf("send a downloaded NEC key (tables read from a 64 KiB image): %.1f us\n", downloaded);
    std::printf("send a learned 48-bit pulse-distance key: %.1f us\n", learned);
    std::printf("print its signal as press reads it: %.1f us\n", text);
    return sink == 0 ? 1 : 0;
}
