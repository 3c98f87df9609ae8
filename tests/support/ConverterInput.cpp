#include "ConverterInput.h"

#include "CaptureEncoding.h"
#include "EncodedCapture.h"
#include "ReceiverCapture.h"

namespace
{
std::string encoded(const InfraredSignal &signal)
{
    const auto capture = ReceiverCapture::text(signal);
    if (!capture) {
        return {};
    }
    return CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(*capture));
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
