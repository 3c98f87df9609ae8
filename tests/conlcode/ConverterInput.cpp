#include "ConverterInput.h"

#include <cstdio>

#include "CaptureEncoding.h"
#include "InfraredReceiver.h"

std::string ConverterInput::of(const InfraredSignal &signal)
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
    const std::string encoded = CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(capture));
    // The duration text and the header come in whole words of four digits, so
    // the length tells how many digits the frame count has.
    const std::size_t digits = encoded.size() % 4 == 0 ? 4 : encoded.size() % 4;
    return encoded.size() < digits + 4 ? std::string() : encoded.substr(digits + 4);
}
