// The capture's road to the converter on any text the remote's capture buffer
// may hold: trimming, encoding and taking the converter's input off again.
// Each stage also takes the raw text directly, since none may trust the one
// before it. Whatever encodecapture gives must have a converter input.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CaptureEncoding.h"
#include "EncodedCapture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);

    const std::string trimmed = CaptureEncoding::trimcapture(text);
    const std::string encoded = CaptureEncoding::encodecapture(trimmed);
    if (!encoded.empty() && EncodedCapture::converterinput(encoded).empty())
        std::abort();

    const std::string direct = CaptureEncoding::encodecapture(text);
    if (!direct.empty() && EncodedCapture::converterinput(direct).empty())
        std::abort();
    EncodedCapture::converterinput(text);
    return 0;
}
