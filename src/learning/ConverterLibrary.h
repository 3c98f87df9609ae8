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

    // `storedFormats`: as LearnedCodeStore::storedformats gives them, empty for none.
    Conversion convert(const std::string &code, int carrierHz = 0, const std::string &storedFormats = {});
    bool loaded() const { return m_handle != nullptr; }

    // Codes in words, through entry points a library may offer beside
    // ConvertCode; without one the answer is EntryMissing and says which.
    // DescribeKeyCode: what a key record (44 hex digits) holds, with the
    // format data of a learned format, as "protocol: ", "recorder: " and
    // "signal: " lines; empty text when the library cannot read it.
    Conversion describeKeyCode(const std::string &record, const std::string &formatdata);
    // SignalOfProtocol: the signal of a protocol's code given by its fields,
    // as a signal file's durations ("carrier=38000 9024 4512 ..."), or
    // "error: " and the problem.
    Conversion signalOfProtocol(const std::string &protocol, const std::string &fields);
    // SignalOfRecorderCode: the same for a recorder's parsed code.
    Conversion signalOfRecorderCode(const std::string &protocol, long long address, long long command);

private:
    using Entry = const char *(*)(const char *code, std::int32_t mode);
    using CarrierEntry = const char *(*)(const char *code, std::int32_t mode, std::int32_t carrierHz);
    using FormatsEntry = const char *(*)(const char *code, std::int32_t mode, std::int32_t carrierHz,
                                         const char *storedFormats);
    using TwoTexts = const char *(*)(const char *, const char *);
    using ThreeTexts = const char *(*)(const char *, const char *, const char *);

    // Loads the library and its entry points unless it is loaded; the failure otherwise.
    bool load(Conversion &failure);
    // Calls an entry point of the loaded library with nothing escaping.
    template <typename Call> Conversion guarded(Call call);
    // An optional entry point, loading the library first.
    template <typename Function, typename... Texts> Conversion callOptional(const char *name, Texts... texts);
    void unload();

    std::string m_fileName;
    void *m_handle = nullptr;
    Entry m_entry = nullptr;
    CarrierEntry m_carrierEntry = nullptr;
    FormatsEntry m_formatsEntry = nullptr;
};
