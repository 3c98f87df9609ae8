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

bool ConverterLibrary::load(Conversion &failure)
{
    if (m_entry != nullptr)
        return true;
    dlerror();
    m_handle = dlopen(m_fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        failure = {Conversion::Status::LibraryMissing, {}, loaderError()};
        return false;
    }
    m_entry = reinterpret_cast<Entry>(dlsym(m_handle, "ConvertCode"));
    if (m_entry == nullptr) {
        failure = {Conversion::Status::EntryMissing, {}, loaderError()};
        unload();
        return false;
    }
    // Optional: a library without them converts without the carrier, or without the stored formats.
    m_carrierEntry = reinterpret_cast<CarrierEntry>(dlsym(m_handle, "ConvertCodeAtCarrier"));
    m_formatsEntry = reinterpret_cast<FormatsEntry>(dlsym(m_handle, "ConvertCodeWithFormats"));
    return true;
}

template <typename Call> Conversion ConverterLibrary::guarded(Call call)
{
    // A library written in C++ may let an exception through its C entry point;
    // a crash inside it cannot be caught and ends the program.
    try {
        Conversion failure;
        if (!load(failure))
            return failure;
        const char *text = call();
        return {Conversion::Status::Converted, text != nullptr ? std::string(text) : std::string(), {}};
    } catch (const std::exception &e) {
        unload();
        return {Conversion::Status::Raised, {}, e.what()};
    } catch (...) {
        unload();
        return {Conversion::Status::Raised, {}, "exception of unknown type"};
    }
}

Conversion ConverterLibrary::convert(const std::string &code, int carrierHz, const std::string &storedFormats)
{
    bool offered = false;
    Conversion conversion = guarded([&] {
        offered = m_formatsEntry != nullptr && !storedFormats.empty();
        return offered                     ? m_formatsEntry(code.c_str(), convertMode, carrierHz, storedFormats.c_str())
               : m_carrierEntry != nullptr ? m_carrierEntry(code.c_str(), convertMode, carrierHz)
                                           : m_entry(code.c_str(), convertMode);
    });
    conversion.formatsOffered = offered && conversion.status == Conversion::Status::Converted;
    return conversion;
}

template <typename Function, typename... Texts>
Conversion ConverterLibrary::callOptional(const char *name, Texts... texts)
{
    Function entry = nullptr;
    const Conversion result = guarded([&]() -> const char * {
        entry = reinterpret_cast<Function>(dlsym(m_handle, name));
        return entry != nullptr ? entry(texts.c_str()...) : nullptr;
    });
    if (result.status == Conversion::Status::Converted && entry == nullptr)
        return {Conversion::Status::EntryMissing, {}, "the conversion library has no " + std::string(name)};
    return result;
}

Conversion ConverterLibrary::describeKeyCode(const std::string &record, const std::string &formatdata)
{
    return callOptional<TwoTexts>("DescribeKeyCode", record, formatdata);
}

Conversion ConverterLibrary::signalOfProtocol(const std::string &protocol, const std::string &fields)
{
    return callOptional<TwoTexts>("SignalOfProtocol", protocol, fields);
}

Conversion ConverterLibrary::signalOfRecorderCode(const std::string &protocol, long long address, long long command)
{
    return callOptional<ThreeTexts>("SignalOfRecorderCode", protocol, std::to_string(address), std::to_string(command));
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
