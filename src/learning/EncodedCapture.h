#pragma once

#include <string>
#include <string_view>

// The converter takes an encoded capture without its frame count and header:
// the duration text alone. The header's carrier goes along on its own.
class EncodedCapture
{
public:
    // The duration text of encodecapture's result. The frame count has as many
    // decimal digits as it needs, so where the header starts is found from the
    // text itself: the count must agree with the frame separators that follow.
    // Empty when the text is not an encoded capture (empty text included).
    static std::string converterinput(std::string_view encoded);
    // The carrier the header names, in Hz: its kHz times 1000; 0 for the
    // header "0000" and for text that is not an encoded capture.
    static int carrierHz(std::string_view encoded);
};
