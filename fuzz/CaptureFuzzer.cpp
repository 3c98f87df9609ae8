// The capture's road to the converter on any text the remote's capture buffer
// may hold: trimming, encoding and taking the converter's input off again.
// Encoding and taking the input off also get the raw text, since neither may
// trust the stage before it. Whatever converter input comes out of an encoding
// is the end of the encoded text and made of 4-digit upper-case hex words.
#include <cstdint>
#include <string>
#include <string_view>

#include "CaptureEncoding.h"
#include "EncodedCapture.h"
#include "FuzzRequire.h"

namespace
{
void checkInput(const std::string &encoded)
{
    const std::string input = EncodedCapture::converterinput(encoded);
    if (input.empty())
        return;
    require(input.size() % 4 == 0 && std::string_view(encoded).ends_with(input));
    for (const char c : input)
        require((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    checkInput(CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(text)));
    checkInput(CaptureEncoding::encodecapture(text));
    EncodedCapture::converterinput(text);
    return 0;
}
