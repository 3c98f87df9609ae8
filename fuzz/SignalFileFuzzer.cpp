// Signal files as `qlr-remote press` reads them, then heard by the virtual
// remote's receiver. A signal that parses is within the file's bounds and its
// durations form reads back exactly; a refusal names its reason.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzRequire.h"
#include "SignalFile.h"
#include "VirtualRemote.h"

namespace
{
VirtualRemote &remote()
{
    static const std::unique_ptr<VirtualRemote> instance = [] {
        std::string error;
        auto opened = VirtualRemote::open({.imagePath = {}, .transferTime = std::chrono::microseconds(0)}, &error);
        require(opened != nullptr);
        return opened;
    }();
    return *instance;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    InfraredSignal signal;
    std::string error;
    if (!SignalFile::parse(text, signal, &error)) {
        require(!error.empty());
        return 0;
    }
    require(!signal.durations.empty() && signal.durations.size() <= SignalFile::maxDurations);
    require(signal.carrierHz >= 0 && signal.carrierHz <= SignalFile::maxCarrier);
    for (const double duration : signal.durations)
        require(std::isfinite(duration) && duration > 0 && duration <= SignalFile::maxDuration);

    InfraredSignal again;
    require(SignalFile::parseDurations(SignalFile::format(signal), again, &error));
    require(again.carrierHz == signal.carrierHz && again.durations == signal.durations);

    VirtualRemote &heard = remote();
    require(heard.setCodeCarrierWave());
    require(heard.press(signal));
    std::string capture;
    require(heard.collectCodeInfo(capture));
    require(capture.size() <= 10240);
    return 0;
}
