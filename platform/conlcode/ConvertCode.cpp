// libConLCode.so's entry points, as the tool looks them up by name: ConvertCode,
// and ConvertCodeAtCarrier for tools that pass the capture's carrier on.
#include <cstdint>
#include <string>

#include "CodeConverter.h"

namespace
{
const char *converted(const char *code, std::int32_t mode, std::int32_t carrierHz)
{
    // The caller copies the text at once and never frees it.
    thread_local std::string text;
    try {
        text = code != nullptr && mode == 2 ? CodeConverter::convert(code, carrierHz) : std::string();
    } catch (...) {
        // Nothing may cross the C boundary; no result is a failed conversion.
        text.clear();
    }
    return text.c_str();
}
}  // namespace

extern "C" __attribute__((visibility("default"))) const char *ConvertCode(const char *code, std::int32_t mode)
{
    return converted(code, mode, 0);
}

// `carrierHz` 0: the capture gave no carrier, as for ConvertCode.
extern "C" __attribute__((visibility("default"))) const char *ConvertCodeAtCarrier(const char *code, std::int32_t mode,
                                                                                   std::int32_t carrierHz)
{
    return converted(code, mode, carrierHz);
}
