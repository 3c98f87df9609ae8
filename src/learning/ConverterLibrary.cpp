#include "ConverterLibrary.h"

#include <dlfcn.h>

#include <exception>
#include <utility>

namespace
{
std::string loaderError()
{
    const char *text = dlerror();
    return text != nullptr ? text : "unknown loader error";
}
}  // namespace

ConverterLibrary::ConverterLibrary(std::string fileName)
    : m_fileName(std::move(fileName))
{ }

ConverterLibrary::~ConverterLibrary()
{
    unload();
}

Conversion ConverterLibrary::convert(const std::string &code, int carrierHz, const std::string &storedFormats)
{
    // A library written in C++ may let an exception through its C entry point;
    // a crash inside it cannot be caught and ends the program.
    try {
        if (m_entry == nullptr) {
            dlerror();
            m_handle = dlopen(m_fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (m_handle == nullptr)
                return {Conversion::Status::LibraryMissing, {}, loaderError()};
            m_entry = reinterpret_cast<Entry>(dlsym(m_handle, "ConvertCode"));
            if (m_entry == nullptr) {
                Conversion missing{Conversion::Status::EntryMissing, {}, loaderError()};
                unload();
                return missing;
            }
            // Optional: a library without them converts without the carrier, or without the stored formats.
            m_carrierEntry = reinterpret_cast<CarrierEntry>(dlsym(m_handle, "ConvertCodeAtCarrier"));
            m_formatsEntry = reinterpret_cast<FormatsEntry>(dlsym(m_handle, "ConvertCodeWithFormats"));
        }
        const char *text = m_formatsEntry != nullptr && !storedFormats.empty()
                               ? m_formatsEntry(code.c_str(), convertMode, carrierHz, storedFormats.c_str())
                           : m_carrierEntry != nullptr ? m_carrierEntry(code.c_str(), convertMode, carrierHz)
                                                       : m_entry(code.c_str(), convertMode);
        return {Conversion::Status::Converted, text != nullptr ? std::string(text) : std::string(), {}};
    } catch (const std::exception &e) {
        unload();
        return {Conversion::Status::Raised, {}, e.what()};
    } catch (...) {
        unload();
        return {Conversion::Status::Raised, {}, "exception of unknown type"};
    }
}

void ConverterLibrary::unload()
{
    if (m_handle != nullptr)
        dlclose(m_handle);
    m_handle = nullptr;
    m_entry = nullptr;
    m_carrierEntry = nullptr;
    m_formatsEntry = nullptr;
}
