// The corpus through the tool's whole road (qlr-remote roundtrip): how many
// raw recordings come back faithfully, how many decoded signals are
// recognised as their protocol with the right fields, how many raw
// recordings are stored as a known protocol, the remote memory a key takes,
// and how many signals ConvertCode converts per second.
#include <dlfcn.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ConverterInput.h"
#include "IrCorpus.h"
#include "RoundTrip.h"

namespace
{
using ConvertFunction = const char *(*)(const char *, std::int32_t);

double percent(int part, int whole)
{
    return 100.0 * part / (whole > 0 ? whole : 1);
}

RoundTrip::Totals runFile(const std::string &path, double &seconds)
{
    RoundTrip::Totals totals;
    std::ifstream in(path);
    std::string line;
    const auto start = std::chrono::steady_clock::now();
    while (std::getline(in, line)) {
        RoundTrip::run(line, totals);
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return totals;
}

void convertSpeed(ConvertFunction convert)
{
    std::vector<std::string> inputs;
    for (const IrCorpus::Recording &recording : IrCorpus::rawRecordings(0)) {
        inputs.push_back(ConverterInput::of(recording.signal));
    }
    std::size_t calls = 0;
    const auto start = std::chrono::steady_clock::now();
    double seconds = 0;
    while (seconds < 2) {
        for (const std::string &input : inputs) {
            convert(input.c_str(), 2);
        }
        calls += inputs.size();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    std::printf("ConvertCode: %.0f signals/s (%zu calls over %zu recordings)\n", calls / seconds, calls, inputs.size());
}
}  // namespace

int main()
{
    const std::string folder = IrCorpus::folder().toStdString();
    if (folder.empty()) {
        std::fprintf(stderr, "the infrared corpus is not there\n");
        return 1;
    }
    double rawSeconds = 0;
    double parsedSeconds = 0;
    const RoundTrip::Totals raw = runFile(folder + "/raw.jsonl", rawSeconds);
    const RoundTrip::Totals parsed = runFile(folder + "/parsed.jsonl", parsedSeconds);
    std::printf("raw: %d lines, %d refused; faithful %.1f %% of all, %.1f %% of those stored "
                "(%.1f %% but for the carrier); stored as a known protocol %.1f %%\n",
                raw.lines, raw.errors, percent(raw.rawFaithful, raw.lines), percent(raw.rawFaithful, raw.raw),
                percent(raw.rawTimingFaithful, raw.raw), percent(raw.rawKnown, raw.raw));
    std::printf("parsed: %d lines, %d refused; recognised with the right fields %.1f %% of all, %.1f %% of those "
                "stored; faithful %.1f %%\n",
                parsed.lines, parsed.errors, percent(parsed.parsedRecognised, parsed.lines),
                percent(parsed.parsedRecognised, parsed.parsed), percent(parsed.parsedFaithful, parsed.parsed));
    const int keys = raw.raw + parsed.parsed;
    std::printf("memory per key: raw %.1f bytes, parsed %.1f bytes, all %.1f bytes\n",
                raw.raw > 0 ? static_cast<double>(raw.bytes) / raw.raw : 0.0,
                parsed.parsed > 0 ? static_cast<double>(parsed.bytes) / parsed.parsed : 0.0,
                keys > 0 ? static_cast<double>(raw.bytes + parsed.bytes) / keys : 0.0);
    std::printf("whole road: %.0f signals/s\n", (raw.lines + parsed.lines) / (rawSeconds + parsedSeconds));

    void *library = dlopen(QLR_CONLCODE_PATH, RTLD_NOW | RTLD_LOCAL);
    const auto convert = library ? reinterpret_cast<ConvertFunction>(dlsym(library, "ConvertCode")) : nullptr;
    if (!convert) {
        std::fprintf(stderr, "cannot load ConvertCode from %s\n", QLR_CONLCODE_PATH);
        return 1;
    }
    convertSpeed(convert);
    dlclose(library);
    return 0;
}
