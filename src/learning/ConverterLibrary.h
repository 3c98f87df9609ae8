#pragma once

#include <cstdint>
#include <string>

#include "Conversion.h"

// The conversion library, loaded at run time by its plain file name so that
// the program's run path and LD_LIBRARY_PATH decide which one is found. Its
// one entry point, ConvertCode, takes the duration text and the mode 2 and
// returns text the library owns: it is copied at once and never freed.
// Once a call succeeded the library stays loaded; a library without the entry
// point, or one that raised an exception, is unloaded again.
class ConverterLibrary
{
public:
    static constexpr const char *defaultFileName = "libConLCode.so";
    static constexpr std::int32_t convertMode = 2;

    explicit ConverterLibrary(std::string fileName = defaultFileName);
    ~ConverterLibrary();
    ConverterLibrary(const ConverterLibrary &) = delete;
    ConverterLibrary &operator=(const ConverterLibrary &) = delete;

    Conversion convert(const std::string &code);
    bool loaded() const { return m_handle != nullptr; }

private:
    using Entry = const char *(*)(const char *code, std::int32_t mode);

    void unload();

    std::string m_fileName;
    void *m_handle = nullptr;
    Entry m_entry = nullptr;
};
