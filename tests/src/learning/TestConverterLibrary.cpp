// A conversion library for the loader's tests: it answers "<mode>:<code>",
// raises for the code "raise" and returns no text at all for "null". The
// answer lives in one buffer that the next call overwrites.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace
{
char answer[256];
}

extern "C" __attribute__((visibility("default"))) const char *ConvertCode(const char *code, std::int32_t mode)
{
    if (std::strcmp(code, "raise") == 0)
        throw std::runtime_error("converter raised");
    if (std::strcmp(code, "null") == 0)
        return nullptr;
    std::snprintf(answer, sizeof answer, "%d:%s", static_cast<int>(mode), code);
    return answer;
}
