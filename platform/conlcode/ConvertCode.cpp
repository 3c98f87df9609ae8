// libConLCode.so's one entry point, as the tool looks it up by name.
#include <cstdint>
#include <string>

#include "CodeConverter.h"

extern "C" __attribute__((visibility("default"))) const char *ConvertCode(const char *code, std::int32_t mode)
{
    // The caller copies the text at once and never frees it.
    thread_local std::string text;
    try {
        text = code != nullptr && mode == 2 ? CodeConverter::convert(code) : std::string();
    } catch (...) {
        // Nothing may cross the C boundary; no result is a failed conversion.
        text.clear();
    }
    return text.c_str();
}
