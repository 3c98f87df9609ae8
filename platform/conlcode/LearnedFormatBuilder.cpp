#include "LearnedFormatBuilder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "DurationClusters.h"
#include "FaithfulCopy.h"
#include "LearnedFormatFit.h"
#include "LearnedParts.h"

namespace
{
using Pair = LearnedFormat::Pair;
using Token = LearnedFormat::Token;
using TokenKind = LearnedFormat::TokenKind;
using Alphabet = std::vector<Pair>;
// Cluster numbers of one frame's durations, marks and spaces alternating.
using Symbols = std::vector<std::uint8_t>;

constexpr std::size_t maxFrames = 255;
// Repeats of one frame, as two captures of one key measure them: each length
// within 5 % of the remote's own, so up to 10 % apart, and gaps read to the
// millisecond besides. That decides only which frames repeat; what the
// format sends keeps to the capture by the adjustments.
constexpr double repeatSpread = 0.12;
bool repeatLength(int a, int b, int absolute)
{
    return std::abs(a - b) <= std::max<double>(absolute, repeatSpread * std::max(a, b));
}
// Pairs whose lengths differ by less than this encode bits by their duty cycle.
constexpr double samePeriod = 1.2;

struct CodedFrame
{
    std::vector<Token> tokens;
    std::vector<bool> bits;
    bool operator==(const CodedFrame &) const = default;
};

// A signal's durations as cluster numbers, and the clusters' mean lengths.
struct Clustered
{
    std::vector<Symbols> symbols;  // per frame
    std::vector<double> markMeans;
    std::vector<double> spaceMeans;
    // What the format sends for each cluster.
    std::vector<std::uint8_t> markCodes;
    std::vector<std::uint8_t> spaceCodes;
};

// The length code that sends the most of a cluster's members faithfully,
// the nearest to their mean among equals: a cluster that strays wider than a
// faithful copy allows then needs the fewest adjustments.
std::uint8_t codeOfCluster(const std::vector<int> &lengths, const DurationClusters &clusters, std::size_t cluster)
{
    std::vector<int> members;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        if (clusters.clusterOf(i) == cluster) {
            members.push_back(lengths[i]);
        }
    }
    return LearnedFormat::codeOfLengths(members);
}

Clustered clusteredOf(const IrSignal &signal, DurationClusters::Spread spread)
{
    std::vector<int> marks;
    std::vector<int> spaces;
    for (const IrFrame &frame : signal.frames) {
        for (std::size_t i = 0; i < frame.durations.size(); ++i) {
            (i % 2 == 0 ? marks : spaces).push_back(frame.durations[i]);
        }
    }
    const DurationClusters markClusters(marks, LearnedFormat::maxClusters, spread);
    const DurationClusters spaceClusters(spaces, LearnedFormat::maxClusters, spread);
    Clustered out;
    for (std::size_t c = 0; c < markClusters.size(); ++c) {
        out.markMeans.push_back(markClusters.mean(c));
        out.markCodes.push_back(codeOfCluster(marks, markClusters, c));
    }
    for (std::size_t c = 0; c < spaceClusters.size(); ++c) {
        out.spaceMeans.push_back(spaceClusters.mean(c));
        out.spaceCodes.push_back(codeOfCluster(spaces, spaceClusters, c));
    }
    std::size_t mark = 0;
    std::size_t space = 0;
    for (const IrFrame &frame : signal.frames) {
        Symbols frameSymbols;
        for (std::size_t i = 0; i < frame.durations.size(); ++i) {
            const std::size_t cluster = i % 2 == 0 ? markClusters.clusterOf(mark++) : spaceClusters.clusterOf(space++);
            frameSymbols.push_back(static_cast<std::uint8_t>(cluster));
        }
        out.symbols.push_back(std::move(frameSymbols));
    }
    return out;
}

// Two pairs can be the bits when they share their mark (pulse distance),
// their space (pulse width) or their length (both vary, the period stays).
bool bitLike(Pair a, Pair b, const std::vector<double> &markMeans, const std::vector<double> &spaceMeans)
{
    const double lengthA = markMeans[a.mark] + spaceMeans[a.space];
    const double lengthB = markMeans[b.mark] + spaceMeans[b.space];
    return a.mark == b.mark || a.space == b.space
           || std::max(lengthA, lengthB) <= samePeriod * std::min(lengthA, lengthB);
}

// How often each (mark, space) pair occurs; repeated frames count once, so
// that a repeated lead-in does not pass for a symbol.
struct PairCounts
{
    std::vector<std::pair<Pair, int>> ranked;  // most frequent first; among equals the lower cluster numbers
    int total = 0;
};

PairCounts countPairs(const std::vector<Symbols> &symbols)
{
    std::vector<Symbols> distinct;
    for (const Symbols &frame : symbols) {
        if (std::find(distinct.begin(), distinct.end(), frame) == distinct.end()) {
            distinct.push_back(frame);
        }
    }
    std::map<std::pair<std::uint8_t, std::uint8_t>, int> counts;
    PairCounts out;
    for (const Symbols &frame : distinct) {
        for (std::size_t i = 0; i + 1 < frame.size(); i += 2) {
            ++counts[{frame[i], frame[i + 1]}];
            ++out.total;
        }
    }
    for (const auto &[pair, count] : counts) {
        out.ranked.push_back({Pair{pair.first, pair.second}, count});
    }
    std::stable_sort(out.ranked.begin(), out.ranked.end(),
                     [](const auto &a, const auto &b) { return a.second > b.second; });
    return out;
}

Alphabet findAlphabet(const PairCounts &counts, const std::vector<double> &markMeans,
                      const std::vector<double> &spaceMeans)
{
    const auto &ranked = counts.ranked;
    if (ranked.size() < 2 || ranked[0].second < 2) {
        return {};
    }
    const auto [first, firstCount] = ranked[0];
    for (std::size_t i = 1; i < ranked.size() && ranked[i].second >= 2; ++i) {
        const auto [other, otherCount] = ranked[i];
        if (!bitLike(first, other, markMeans, spaceMeans)) {
            continue;
        }
        if (2 * (firstCount + otherCount) < counts.total) {
            return {};
        }
        // Bit 0 has the shorter mark, or with equal marks the shorter space.
        const bool otherFirst = other.mark != first.mark ? other.mark < first.mark : other.space < first.space;
        return otherFirst ? Alphabet{other, first} : Alphabet{first, other};
    }
    return {};
}

// The four pairs that occur most, for codes of more than two symbols or of
// two that do not look like bits; in the order of their clusters, so that keys
// of one remote agree on it. Fewer frequent pairs leave symbols unused.
Alphabet findFourSymbols(const PairCounts &counts)
{
    Alphabet symbols;
    for (std::size_t i = 0;
         i < counts.ranked.size() && symbols.size() < LearnedFormat::fourSymbols && counts.ranked[i].second >= 2; ++i) {
        symbols.push_back(counts.ranked[i].first);
    }
    if (symbols.size() < 2) {
        return {};
    }
    std::sort(symbols.begin(), symbols.end(),
              [](Pair a, Pair b) { return std::tie(a.mark, a.space) < std::tie(b.mark, b.space); });
    symbols.resize(LearnedFormat::fourSymbols, symbols.back());
    return symbols;
}

void addSymbol(CodedFrame &frame, std::size_t index, std::size_t bitsPerSymbol, TokenKind kind)
{
    for (std::size_t b = bitsPerSymbol; b-- > 0;) {
        frame.bits.push_back((index >> b & 1) != 0);
    }
    Token *last = frame.tokens.empty() ? nullptr : &frame.tokens.back();
    if (last && last->kind == TokenKind::Bits && last->bits < LearnedFormat::maxRun) {
        ++last->bits;
        last->kind = kind;
        return;
    }
    frame.tokens.push_back(Token{kind, {}, 1});
}

CodedFrame codeFrame(const Symbols &symbols, const Alphabet &alphabet)
{
    const std::size_t bitsPerSymbol = LearnedFormat::bitsPerSymbol(alphabet.size());
    CodedFrame frame;
    for (std::size_t i = 0; i + 1 < symbols.size(); i += 2) {
        const Pair pair{symbols[i], symbols[i + 1]};
        const auto symbol = std::find(alphabet.begin(), alphabet.end(), pair);
        if (symbol != alphabet.end()) {
            addSymbol(frame, static_cast<std::size_t>(symbol - alphabet.begin()), bitsPerSymbol, TokenKind::Bits);
        } else {
            frame.tokens.push_back(Token{TokenKind::Pair, pair, 0});
        }
    }
    const std::uint8_t last = symbols.back();
    // A closing mark after symbols is one more symbol whose space runs into
    // the silence: the first of the alphabet with that mark. Where the symbols
    // differ in their marks it is a bit of the key; where they share one it
    // only spares the closing mark's token.
    const auto closing =
        std::find_if(alphabet.begin(), alphabet.end(), [&](Pair symbol) { return symbol.mark == last; });
    if (closing != alphabet.end() && !frame.tokens.empty() && frame.tokens.back().kind == TokenKind::Bits) {
        addSymbol(frame, static_cast<std::size_t>(closing - alphabet.begin()), bitsPerSymbol, TokenKind::FinalBits);
    } else {
        frame.tokens.push_back(Token{TokenKind::FinalMark, {last, 0}, 0});
    }
    return frame;
}

// The lengths that the format's clusters send too far from the signal's own,
// their rounding included (capture jitter near 5 % can so add one): the
// body's frames, then each repeat, which sends what the body's last frame
// sends, its adjustments included.
std::vector<LearnedFormat::Adjustment> lengthAdjustmentsOf(const LearnedCode &code, const IrSignal &signal)
{
    std::vector<LearnedFormat::Adjustment> out;
    const std::optional<IrSignal> sent = code.format.signal(code.parts);
    if (!sent) {
        return out;
    }
    const std::size_t body = code.format.frames.size();
    std::vector<int> last;
    std::size_t position = 0;
    for (std::size_t f = 0; f < sent->frames.size(); ++f) {
        std::vector<int> got = f < body ? sent->frames[f].durations : last;
        const std::vector<int> &wanted = signal.frames[f].durations;
        for (std::size_t i = 0; i < got.size(); ++i, ++position) {
            if (FaithfulCopy::lengthMissed(got[i], wanted[i]) && position <= 0xFFFF) {
                out.push_back({static_cast<std::uint16_t>(position), LearnedFormat::codeOfLength(wanted[i])});
                got[i] = f + 1 == body ? LearnedFormat::lengthOfCode(out.back().code) : got[i];
            }
        }
        if (f + 1 == body) {
            last = std::move(got);
        }
    }
    return out;
}

// Repeats share one gap; one that strays from it is kept on its own.
std::vector<LearnedFormat::Adjustment> gapAdjustmentsOf(const LearnedCode &code, const IrSignal &signal)
{
    std::vector<LearnedFormat::Adjustment> out;
    const std::optional<IrSignal> sent = code.format.signal(code.parts);
    for (std::size_t f = 0; sent && f + 1 < sent->frames.size(); ++f) {
        const int wanted = signal.frames[f].gapAfterUs;
        const int got = sent->frames[f].gapAfterUs;
        if (FaithfulCopy::gapMissed(got, wanted) && f <= 0x7FFF) {
            out.push_back({static_cast<std::uint16_t>(LearnedFormat::firstGapPosition + f),
                           static_cast<std::uint8_t>(LearnedFormat::gapMsOf(wanted))});
        }
    }
    return out;
}

bool alike(const IrFrame &a, const IrFrame &b)
{
    for (std::size_t i = 0; i < a.durations.size() && i < b.durations.size(); ++i) {
        if (!repeatLength(a.durations[i], b.durations[i], 60)) {
            return false;
        }
    }
    return true;
}

// To the nearest kHz, which the capture gives at best; 0 stays unknown, and
// the default carrier, which is what an unknown one goes out at, costs no byte.
std::uint8_t carrierKHzOf(int carrierHz)
{
    if (carrierHz <= 0) {
        return 0;
    }
    const int kHz = std::clamp((std::min(carrierHz, 255000) + 500) / 1000, 1, 255);
    return kHz == LearnedFormat::defaultCarrierHz / 1000 ? 0 : static_cast<std::uint8_t>(kHz);
}

// The lengths and gaps the format sends too far from the signal go with it.
void adjust(LearnedCode &code, const IrSignal &signal)
{
    code.format.adjustments = lengthAdjustmentsOf(code, signal);
    const std::vector<LearnedFormat::Adjustment> strayGaps = gapAdjustmentsOf(code, signal);
    code.format.adjustments.insert(code.format.adjustments.end(), strayGaps.begin(), strayGaps.end());
}

// The signal's code with the symbols of `alphabet`; with `keyedTiming` the
// key's parts carry its timing (LearnedFormat).
std::optional<LearnedCode> codeWith(const IrSignal &signal, const Clustered &clustered, const Alphabet &alphabet,
                                    bool keyedTiming)
{
    std::vector<CodedFrame> coded;
    for (const Symbols &frame : clustered.symbols) {
        coded.push_back(codeFrame(frame, alphabet));
    }
    // The body ends with the first of the trailing equal frames: equal in
    // their clusters and close enough in their lengths to share them.
    std::size_t last = coded.size() - 1;
    while (last > 0 && coded[last - 1] == coded.back() && alike(signal.frames[last - 1], signal.frames.back())
           && (signal.frames[last].gapAfterUs == 0
               || repeatLength(signal.frames[last - 1].gapAfterUs, signal.frames[last].gapAfterUs, 1000))) {
        --last;
    }
    // With the timing the key's, the count takes the last frame's first copy too.
    const std::size_t repeats = std::min<std::size_t>(coded.size() - 1 - last, keyedTiming ? 254 : 255);
    if (last + 1 > maxFrames) {
        return std::nullopt;
    }
    LearnedCode code;
    LearnedFormat &format = code.format;
    format.markCodes = clustered.markCodes;
    format.spaceCodes = clustered.spaceCodes;
    format.alphabet = alphabet;
    format.repeatsLast = repeats > 0 || keyedTiming;
    format.keyedTiming = keyedTiming;
    format.carrierKHz = carrierKHzOf(signal.carrierHz);
    LearnedParts::Content content;
    content.repeats = static_cast<std::uint8_t>(keyedTiming ? repeats + 1 : repeats);
    const std::vector<std::uint8_t> gaps = format.gapsOf(signal, last + 1);
    for (std::size_t i = 0; i <= last; ++i) {
        format.frames.push_back(LearnedFormat::Frame{coded[i].tokens, keyedTiming ? 0 : gaps[i]});
        content.bits.insert(content.bits.end(), coded[i].bits.begin(), coded[i].bits.end());
    }
    if (keyedTiming) {
        content.stretches.assign(format.markCodes.size() + format.spaceCodes.size(), 0);
        content.gaps = gaps;
        if (!LearnedParts::fits(content.bits.size(), format.partShape())) {
            return std::nullopt;
        }
    }
    const std::size_t inParts = format.partBitCount();
    format.extraBits.assign(content.bits.begin() + static_cast<std::ptrdiff_t>(inParts), content.bits.end());
    code.parts = LearnedParts::pack(content, format.partShape());
    // A format whose timing is the keys' gets its key's parts once it is chosen (finish).
    if (!keyedTiming) {
        adjust(code, signal);
    }
    return code;
}

// The key's timing goes with its parts, as every later key's will: the format
// then suits the remote's other keys. Where its parts cannot send it, its
// strays go with the format, and it stretches no length.
void finish(LearnedCode &code, const IrSignal &signal)
{
    if (const auto parts = LearnedFormatFit::partsFor(code.format, signal)) {
        code.parts = *parts;
    } else {
        adjust(code, signal);
    }
}

}  // namespace

std::optional<LearnedCode> LearnedFormatBuilder::build(const IrSignal &signal)
{
    if (signal.frames.empty()) {
        return std::nullopt;
    }
    // The smallest of the candidates; among equals the first. Wide clusters
    // keep the key's bits in two symbols; tight ones need no adjustments for
    // signals whose lengths stray within a cluster; four symbols carry codes
    // of more than two. A format that leaves the gaps to the keys wins
    // whenever the key's bits leave room for them: the remote's other keys
    // can then share it.
    std::optional<LearnedCode> best;
    std::size_t bestSize = 0;
    bool chosen = false;
    const auto consider = [&](std::optional<LearnedCode> code) {
        const std::size_t size = code ? code->format.serialize().size() : 0;
        if (code && (!best || size < bestSize)) {
            best = std::move(code);
            bestSize = size;
            chosen = true;
        }
    };
    for (const bool keyedTiming : {true, false}) {
        for (const DurationClusters::Spread spread :
             {DurationClusters::Spread::Wide, DurationClusters::Spread::Tight}) {
            if (best && best->format.adjustments.empty()) {
                break;
            }
            const Clustered clustered = clusteredOf(signal, spread);
            const PairCounts counts = countPairs(clustered.symbols);
            chosen = false;
            consider(codeWith(signal, clustered, findAlphabet(counts, clustered.markMeans, clustered.spaceMeans),
                              keyedTiming));
            const Alphabet four = findFourSymbols(counts);
            if (!four.empty()) {
                consider(codeWith(signal, clustered, four, keyedTiming));
            }
            // Only the one chosen of a spread's candidates gets its parts fitted.
            if (keyedTiming && chosen) {
                finish(*best, signal);
                bestSize = best->format.serialize().size();
            }
        }
        if (best) {
            break;
        }
    }
    return best;
}
