#include "ConverterInput.h"

#include <cstdio>

#include "CaptureEncoding.h"
#include "EncodedCapture.h"
#include "InfraredReceiver.h"

namespace
{
std::string encoded(const InfraredSignal &signal)
{
    const auto words = InfraredReceiver::capture(signal);
    if (!words) {
        return {};
    }
    std::string capture;
    for (std::uint16_t word : *words) {
        char digits[5];
        std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(word));
        capture += digits;
    }
    return CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(capture));
}
}  // namespace

std::string ConverterInput::of(const InfraredSignal &signal)
{
    return EncodedCapture::converterinput(encoded(signal));
}

int ConverterInput::carrierOf(const InfraredSignal &signal)
{
    return EncodedCapture::carrierHz(encoded(signal));
}
