// libConLCode.so's entry points, as the tool looks them up by name: ConvertCode;
// ConvertCodeAtCarrier for tools that pass the capture's carrier on; and
// ConvertCodeWithFormats for tools that also offer the learned formats the
// remote holds, so that a key reuses one that sends it faithfully.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "CodeConverter.h"

namespace
{
const char *converted(const char *code, std::int32_t mode, std::int32_t carrierHz,
                      std::optional<std::string_view> storedFormats)
{
    // The caller copies the text at once and never frees it.
    thread_local std::string text;
    try {
        text = code != nullptr && mode == 2 ? CodeConverter::convert(code, carrierHz, storedFormats) : std::string();
    } catch (...) {
        // Nothing may cross the C boundary; no result is a failed conversion.
        text.clear();
    }
    return text.c_str();
}
}  // namespace

extern "C" __attribute__((visibility("default"))) const char *ConvertCode(const char *code, std::int32_t mode)
{
    return converted(code, mode, 0, std::nullopt);
}

// `carrierHz` 0: the capture gave no carrier, as for ConvertCode.
extern "C" __attribute__((visibility("default"))) const char *ConvertCodeAtCarrier(const char *code, std::int32_t mode,
                                                                                   std::int32_t carrierHz)
{
    return converted(code, mode, carrierHz, std::nullopt);
}

// `storedFormats`: the remote's learned formats as "FFFFFF:DATA" items divided
// by ";" (format id and the data read from its blocks, in hex), each with the
// parts of its keys and the key being replaced as CodeConverter reads them;
// null or empty for none.
extern "C" __attribute__((visibility("default"))) const char *ConvertCodeWithFormats(const char *code,
                                                                                     std::int32_t mode,
                                                                                     std::int32_t carrierHz,
                                                                                     const char *storedFormats)
{
    return converted(code, mode, carrierHz, storedFormats != nullptr ? storedFormats : "");
}
