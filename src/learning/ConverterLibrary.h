#pragma once

#include <cstdint>
#include <string>

#include "Conversion.h"

// The conversion library, loaded at run time by its plain file name so that
// the program's run path and LD_LIBRARY_PATH decide which one is found. Its
// entry point, ConvertCode, takes the duration text and the mode 2 and
// returns text the library owns: it is copied at once and never freed.
// A library may also offer ConvertCodeAtCarrier, the same with the capture's
// carrier in Hz (0 unknown) as a third argument, and ConvertCodeWithFormats,
// which also takes the learned formats the remote holds as a fourth. The
// richest one present is used, ConvertCodeWithFormats only when the remote
// holds a learned format, so that older libraries keep working as they did.
// Once a call succeeded the library stays loaded; a library without
// ConvertCode, or one that raised an exception, is unloaded again.
class ConverterLibrary
{
public:
    static constexpr const char *defaultFileName = "libConLCode.so";
    static constexpr std::int32_t convertMode = 2;

    explicit ConverterLibrary(std::string fileName = defaultFileName);
    ~ConverterLibrary();
    ConverterLibrary(const ConverterLibrary &) = delete;
    ConverterLibrary &operator=(const ConverterLibrary &) = delete;

    // `storedFormats`: "FFFFFF:DATA" items divided by ";", empty for none.
    Conversion convert(const std::string &code, int carrierHz = 0, const std::string &storedFormats = {});
    bool loaded() const { return m_handle != nullptr; }

private:
    using Entry = const char *(*)(const char *code, std::int32_t mode);
    using CarrierEntry = const char *(*)(const char *code, std::int32_t mode, std::int32_t carrierHz);
    using FormatsEntry = const char *(*)(const char *code, std::int32_t mode, std::int32_t carrierHz,
                                         const char *storedFormats);

    void unload();

    std::string m_fileName;
    void *m_handle = nullptr;
    Entry m_entry = nullptr;
    CarrierEntry m_carrierEntry = nullptr;
    FormatsEntry m_formatsEntry = nullptr;
};
