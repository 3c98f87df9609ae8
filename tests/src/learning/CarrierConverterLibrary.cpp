// A conversion library that also takes the carrier: it answers
// "<mode>:<code>@<carrier>" through ConvertCodeAtCarrier, and through
// ConvertCode what a library without the carrier would. Built with
// QLR_WITH_FORMATS it also takes the stored formats, answering
// "<mode>:<code>@<carrier>#<formats>" through ConvertCodeWithFormats.
#include <cstdint>
#include <cstdio>

namespace
{
char answer[256];
}

extern "C" __attribute__((visibility("default"))) const char *ConvertCode(const char *code, std::int32_t mode)
{
    std::snprintf(answer, sizeof answer, "%d:%s", static_cast<int>(mode), code);
    return answer;
}

extern "C" __attribute__((visibility("default"))) const char *ConvertCodeAtCarrier(const char *code, std::int32_t mode,
                                                                                   std::int32_t carrierHz)
{
    std::snprintf(answer, sizeof answer, "%d:%s@%d", static_cast<int>(mode), code, static_cast<int>(carrierHz));
    return answer;
}

#ifdef QLR_WITH_FORMATS
extern "C" __attribute__((visibility("default"))) const char *ConvertCodeWithFormats(const char *code,
                                                                                     std::int32_t mode,
                                                                                     std::int32_t carrierHz,
                                                                                     const char *formats)
{
    std::snprintf(answer, sizeof answer, "%d:%s@%d#%s", static_cast<int>(mode), code, static_cast<int>(carrierHz),
                  formats);
    return answer;
}
#endif
