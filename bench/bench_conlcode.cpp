// Speed of libConLCode.so: ConvertCode calls per second over the corpus's
// recordings, as the tool calls it. Also what the conversion makes of the
// corpus: how much is sent back faithfully, how many raw recordings are
// stored as a known protocol (and of what kinds of device the rest are), how
// steady a key's code is under capture jitter, how many formats the keys of
// one remote need, and how many decoded signals are still recognised with a
// receiver's skew and a remote's clock laid on them.
//   bench_conlcode [--by-kind]   (--by-kind: the jitter's moves per protocol,
//                                 the misses under skew per protocol)
#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ConverterInput.h"
#include "ConverterResult.h"
#include "FormatCodec.h"
#include "IrCorpus.h"
#include "KnownProtocols.h"
#include "ParsedSignal.h"
#include "RecognisedCode.h"
#include "RoundTrip.h"
#include "SignalMatch.h"
#include "TestSignals.h"

namespace
{
using ConvertFunction = const char *(*)(const char *, std::int32_t);
using ConvertAtCarrierFunction = const char *(*)(const char *, std::int32_t, std::int32_t);
constexpr int jitterSeeds = 3;

double percent(int part, int whole)
{
    return 100.0 * part / (whole > 0 ? whole : 1);
}

// What a jittered capture changed of a key's code.
enum class Move
{
    None,
    Failed,        // no code at all
    Recognition,   // known became learned or the other way round, or another protocol
    Fields,        // a known protocol's fields, toggle or repeats
    Timing,        // only a known protocol's timing in part B
    LearnedId,     // only the learned format's id
    LearnedParts,  // only the learned key's bits or repeat count
    LearnedBoth,
};
constexpr const char *moveNames[] = {"none",
                                     "no code",
                                     "other protocol or known/learned",
                                     "known: fields",
                                     "known: timing only",
                                     "learned: id only",
                                     "learned: parts only",
                                     "learned: id and parts"};
constexpr std::size_t moveCount = sizeof moveNames / sizeof moveNames[0];

Move moveOf(const ConverterResult &clean, const ConverterResult &noisy)
{
    if (!noisy.wellFormed) {
        return Move::Failed;
    }
    if (clean.known() != noisy.known() || (clean.known() && clean.id != noisy.id)) {
        return Move::Recognition;
    }
    const bool sameParts = clean.partA + clean.partB == noisy.partA + noisy.partB;
    if (clean.known()) {
        return clean.keyCode() != noisy.keyCode() ? Move::Fields : sameParts ? Move::None : Move::Timing;
    }
    const bool sameId = clean.id == noisy.id;
    return sameId && sameParts ? Move::None
           : sameId            ? Move::LearnedParts
           : sameParts         ? Move::LearnedId
                               : Move::LearnedBoth;
}

void printMoves(const char *title, const std::array<int, moveCount> &moves, int tried)
{
    std::printf("%s:", title);
    for (std::size_t m = 1; m < moveCount; ++m) {
        std::printf("%s %s %.1f %%", m == 1 ? "" : ",", moveNames[m], percent(moves[m], tried));
    }
    std::printf("\n");
}

void speed(ConvertFunction convert, const std::vector<std::string> &inputs)
{
    using Clock = std::chrono::steady_clock;
    std::size_t calls = 0;
    std::size_t resultBytes = 0;
    const Clock::time_point start = Clock::now();
    Clock::duration spent{};
    while (spent < std::chrono::seconds(2)) {
        for (const std::string &input : inputs) {
            resultBytes += std::string(convert(input.c_str(), 2)).size();
        }
        calls += inputs.size();
        spent = Clock::now() - start;
    }
    const double seconds = std::chrono::duration<double>(spent).count();
    std::printf(
        "ConvertCode: %zu calls in %.2f s over %zu recordings: %.0f calls/s (%.1f us per call; %zu result bytes)\n",
        calls, seconds, inputs.size(), calls / seconds, 1e6 * seconds / calls, resultBytes);
}

// Per clean code kind ("learned" or the known id), how its +-5 % captures moved.
using MovesByKind = std::map<QString, std::array<int, moveCount>>;

void printMovesByKind(const MovesByKind &byKind)
{
    for (const auto &[kind, moves] : byKind) {
        int total = 0;
        for (int count : moves) {
            total += count;
        }
        std::printf("  %s: %d captures, kept %.1f %%;", qPrintable(kind), total, percent(moves[0], total));
        for (std::size_t m = 1; m < moveCount; ++m) {
            if (moves[m] > 0) {
                std::printf(" %s %d", moveNames[m], moves[m]);
            }
        }
        std::printf("\n");
    }
}

void quality(ConvertFunction convert, const std::vector<IrCorpus::Recording> &recordings,
             const std::vector<std::string> &inputs, bool byKind)
{
    MovesByKind movesByKind;
    int converted = 0, known = 0, faithful = 0, close = 0, tried = 0;
    std::array<int, moveCount> moves{};
    std::array<int, moveCount> slightMoves{};
    std::map<QString, std::set<QString>> formats;
    std::map<QString, int> learnedKeys;
    // Learned keys by the kind of device, the corpus's first folder.
    std::map<QString, int> learnedByKind;
    // Per remote and format id, the format data the first key stored: the
    // remote keeps those, and every later key of that id is sent with them.
    std::map<std::pair<QString, QString>, std::string> storedData;
    int sharing = 0, sharingFaithful = 0, sharingClose = 0;
    // Each remote's keys learned into one remote: a shared format is stored once.
    std::size_t rememberedBytes = 0;
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        const ConverterResult result = ConverterResult::of(convert(inputs[i].c_str(), 2));
        if (!result.wellFormed) {
            continue;
        }
        ++converted;
        known += result.known() ? 1 : 0;
        std::size_t newFormatBytes = 0;
        if (!result.known()) {
            formats[recordings[i].remote].insert(result.id);
            ++learnedKeys[recordings[i].remote];
            ++learnedByKind[recordings[i].remote.section('/', 0, 0)];
            const auto [stored, first] =
                storedData.try_emplace({recordings[i].remote, result.id}, result.data.toStdString());
            if (first) {
                newFormatBytes = stored->second.size() / 2;
            } else {
                const std::optional<IrSignal> shared = FormatCodec::regenerate(result.learnedRecord(), stored->second);
                ++sharing;
                sharingFaithful +=
                    shared && SignalMatch::difference(recordings[i].signal, *shared, 0.05).isEmpty() ? 1 : 0;
                sharingClose +=
                    shared && SignalMatch::difference(recordings[i].signal, *shared, 0.20).isEmpty() ? 1 : 0;
            }
        }
        rememberedBytes += RoundTrip::keyBytes(newFormatBytes);
        const std::optional<IrSignal> sent =
            result.known() ? FormatCodec::regenerate(result.knownRecord(), "")
                           : FormatCodec::regenerate(result.learnedRecord(), result.data.toStdString());
        if (sent) {
            faithful += SignalMatch::difference(recordings[i].signal, *sent, 0.05).isEmpty() ? 1 : 0;
            close += SignalMatch::difference(recordings[i].signal, *sent, 0.10).isEmpty() ? 1 : 0;
        }
        for (std::uint32_t seed = 1; seed <= jitterSeeds; ++seed) {
            const std::string noisy = ConverterInput::of(TestSignals::jittered(recordings[i].signal, 0.05, seed));
            const Move move = moveOf(result, ConverterResult::of(convert(noisy.c_str(), 2)));
            ++moves[static_cast<std::size_t>(move)];
            ++movesByKind[result.known() ? result.id : QString("learned")][static_cast<std::size_t>(move)];
            const std::string slight = ConverterInput::of(TestSignals::jittered(recordings[i].signal, 0.02, seed));
            ++slightMoves[static_cast<std::size_t>(moveOf(result, ConverterResult::of(convert(slight.c_str(), 2))))];
            ++tried;
        }
    }
    int remotes = 0, keys = 0, formatCount = 0;
    for (const auto &[remote, ids] : formats) {
        if (learnedKeys[remote] > 1) {
            ++remotes;
            keys += learnedKeys[remote];
            formatCount += static_cast<int>(ids.size());
        }
    }
    std::printf("corpus: %zu recordings, %d converted (%.1f %%), %d in known formats (%.1f %% of those converted)\n",
                recordings.size(), converted, percent(converted, static_cast<int>(recordings.size())), known,
                percent(known, converted));
    std::vector<std::pair<int, QString>> kinds;
    for (const auto &[kind, count] : learnedByKind) {
        kinds.emplace_back(count, kind);
    }
    std::sort(kinds.rbegin(), kinds.rend());
    std::printf("learned keys by kind of device:");
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        std::printf("%s %s %d", k == 0 ? "" : ",", qPrintable(kinds[k].second), kinds[k].first);
    }
    std::printf("\n");
    std::printf("sent again within 5 %% or 60 us per duration: %.1f %%, within 10 %%: %.1f %%\n",
                percent(faithful, converted), percent(close, converted));
    std::printf("same id and parts after +-5 %% jitter: %.1f %%, after +-2 %%: %.1f %% of %d captures\n",
                percent(moves[0], tried), percent(slightMoves[0], tried), tried);
    const auto sameKey = [](const std::array<int, moveCount> &m) {
        return m[0] + m[static_cast<std::size_t>(Move::Timing)];
    };
    std::printf(
        "same key code (known: protocol, fields, toggle, repeats) after +-5 %% jitter: %.1f %%, after +-2 %%: %.1f %%\n",
        percent(sameKey(moves), tried), percent(sameKey(slightMoves), tried));
    printMoves("moved by +-5 % jitter", moves, tried);
    printMoves("moved by +-2 % jitter", slightMoves, tried);
    if (byKind) {
        printMovesByKind(movesByKind);
    }
    std::printf("learned keys of %d remotes with two or more: %d keys in %d formats\n", remotes, keys, formatCount);
    std::printf("memory per key with all keys of each remote in one remote: %.1f bytes\n",
                converted > 0 ? static_cast<double>(rememberedBytes) / converted : 0.0);
    std::printf("keys sent with the format data an earlier key of their remote stored: %d, faithful %.1f %%, "
                "within 20 %%: %.1f %%\n",
                sharing, percent(sharingFaithful, sharing), percent(sharingClose, sharing));
}
// A receiver's skew and a remote's clock laid on a signal (TestSignals::skewed).
struct Skew
{
    const char *name;
    double scale;
    double skewUs;
};
constexpr Skew skews[] = {
    {"as sent", 1, 0},
    {"marks +150 us, spaces -150 us", 1, 150},
    {"x0.95", 0.95, 0},
    {"x1.05", 1.05, 0},
    {"marks +200 us, spaces -200 us", 1, 200},
    {"marks -100 us, spaces +100 us", 1, -100},
    {"x0.93", 0.93, 0},
    {"x1.07", 1.07, 0},
    {"+200/-200 us and x0.93", 0.93, 200},
    {"+200/-200 us and x1.07", 1.07, 200},
};

// The decoded signals of the corpus as their protocol sends them, each with
// the protocol and fields expected back.
struct Expected
{
    InfraredSignal signal;
    ParsedSignal::Irp irp;
};

std::vector<Expected> decodedSignals()
{
    std::vector<Expected> out;
    for (const IrCorpus::Decoded &decoded : IrCorpus::decodedSignals()) {
        std::string why;
        std::optional<ParsedSignal::Irp> irp =
            ParsedSignal::irpOf(decoded.protocol.toStdString(), decoded.address, decoded.command, why);
        const std::optional<KnownCode> code = irp ? KnownProtocols::make(irp->protocol, irp->fields, 1) : std::nullopt;
        const std::optional<IrSignal> signal = code ? KnownProtocols::encode(*code) : std::nullopt;
        if (signal) {
            out.push_back({SignalMatch::asSent(*signal), std::move(*irp)});
        }
    }
    return out;
}

// Per skew: how many decoded signals come back as their protocol and fields,
// as another protocol or other fields (which must never happen), as a learned
// code; and how many are sent again faithfully.
void skewRecognition(ConvertAtCarrierFunction convert, bool byKind)
{
    const std::vector<Expected> expected = decodedSignals();
    std::printf("decoded signals with a receiver's skew and a remote's clock (%zu signals):\n", expected.size());
    for (const Skew &skew : skews) {
        int right = 0, wrong = 0, learned = 0, faithful = 0;
        std::map<std::string, int> missed;
        std::map<std::string, int> named;
        for (const Expected &each : expected) {
            const InfraredSignal heard = TestSignals::skewed(each.signal, skew.scale, skew.skewUs);
            const std::string input = ConverterInput::of(heard);
            const ConverterResult result =
                ConverterResult::of(convert(input.c_str(), 2, ConverterInput::carrierOf(heard)));
            const auto [name, fields] = RecognisedCode::of(result);
            if (name == each.irp.protocol && fields == each.irp.fields) {
                ++right;
            } else if (!name.empty()) {
                ++wrong;
                ++named[name + " (or its fields) instead of " + each.irp.protocol];
            } else {
                ++learned;
                ++missed[each.irp.protocol];
            }
            const std::optional<IrSignal> sent =
                result.known() ? FormatCodec::regenerate(result.knownRecord(), "")
                               : FormatCodec::regenerate(result.learnedRecord(), result.data.toStdString());
            faithful += sent && SignalMatch::difference(heard, *sent, 0.05).isEmpty() ? 1 : 0;
        }
        const int all = static_cast<int>(expected.size());
        std::printf("  %s: right %.1f %%, wrong %d, learned %.1f %%; sent again faithfully %.1f %%\n", skew.name,
                    percent(right, all), wrong, percent(learned, all), percent(faithful, all));
        for (const auto &[what, count] : named) {
            std::printf("   WRONG: %s %d times\n", what.c_str(), count);
        }
        if (byKind && !missed.empty()) {
            std::printf("   learned:");
            for (const auto &[protocol, count] : missed) {
                std::printf(" %s %d", protocol.c_str(), count);
            }
            std::printf("\n");
        }
    }
}
}  // namespace

int main(int argc, char **argv)
{
    const bool byKind = argc > 1 && std::string(argv[1]) == "--by-kind";
    void *library = dlopen(QLR_CONLCODE_PATH, RTLD_NOW | RTLD_LOCAL);
    const auto convert = library ? reinterpret_cast<ConvertFunction>(dlsym(library, "ConvertCode")) : nullptr;
    if (!convert) {
        std::fprintf(stderr, "cannot load ConvertCode from %s\n", QLR_CONLCODE_PATH);
        return 1;
    }
    const std::vector<IrCorpus::Recording> recordings = IrCorpus::rawRecordings(0);
    if (recordings.empty()) {
        std::fprintf(stderr, "the infrared corpus is not there\n");
        return 1;
    }
    std::vector<std::string> inputs;
    for (const IrCorpus::Recording &recording : recordings) {
        inputs.push_back(ConverterInput::of(recording.signal));
    }
    speed(convert, inputs);
    quality(convert, recordings, inputs, byKind);
    const auto convertAtCarrier = reinterpret_cast<ConvertAtCarrierFunction>(dlsym(library, "ConvertCodeAtCarrier"));
    if (convertAtCarrier) {
        skewRecognition(convertAtCarrier, byKind);
    }
    dlclose(library);
    return 0;
}
