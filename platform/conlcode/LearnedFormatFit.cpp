#include "LearnedFormatFit.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "FaithfulCopy.h"
#include "LearnedParts.h"

namespace
{
using Token = LearnedFormat::Token;
using TokenKind = LearnedFormat::TokenKind;
// The fewest leading symbols a timing of its own sends fixed, doubled until the parts differ.
constexpr std::size_t firstFixedSymbols = 8;

// Reads the capture's frames through the format's tokens, position by
// position as the format counts them (its adjustments included), and gathers
// what the capture measured of each of the format's lengths.
// The stretch that sends the most of `members` faithfully: none when the
// format's own length does, so that a key sent and learned again finds the
// lengths it was sent with; else the one nearest their mean among equals.
int stretchOf(int code, const std::vector<int> &members)
{
    const auto misses = [&](int stretch) {
        const int sent = LearnedFormat::stretchedLength(static_cast<std::uint8_t>(code), stretch);
        return std::count_if(members.begin(), members.end(),
                             [&](int length) { return FaithfulCopy::lengthMissed(sent, length); });
    };
    if (members.empty() || misses(0) == 0) {
        return 0;
    }
    double logSum = 0;
    for (const int length : members) {
        logSum += std::log(length);
    }
    const double logMean = logSum / static_cast<double>(members.size());
    int best = 0;
    long fewest = -1;
    double nearest = 0;
    for (int stretch = LearnedParts::minStretch; stretch <= LearnedParts::maxStretch; ++stretch) {
        const long count = misses(stretch);
        const double distance =
            std::abs(std::log(LearnedFormat::stretchedLength(static_cast<std::uint8_t>(code), stretch)) - logMean);
        if (fewest < 0 || count < fewest || (count == fewest && distance < nearest)) {
            best = stretch;
            fewest = count;
            nearest = distance;
        }
    }
    return best;
}

class Reader
{
public:
    Reader(const LearnedFormat &format, const IrSignal &signal)
        : m_format(format)
        , m_signal(signal)
        , m_members(format.markCodes.size() + format.spaceCodes.size())
    {
        for (const LearnedFormat::Adjustment &adjustment : format.adjustments) {
            m_adjusted[adjustment.position] = LearnedFormat::lengthOfCode(adjustment.code);
        }
    }

    // The bits of the body's frames; nothing when a frame has other durations
    // than its tokens. A last frame the key did not send carries zeros.
    std::optional<std::vector<bool>> bits()
    {
        std::vector<bool> bits;
        for (std::size_t f = 0; f < m_format.frames.size(); ++f) {
            if (f >= m_signal.frames.size()) {
                bits.resize(bits.size() + symbolBits(m_format.frames[f]), false);
                continue;
            }
            const std::vector<int> &durations = m_signal.frames[f].durations;
            std::size_t i = 0;
            for (const Token &token : m_format.frames[f].tokens) {
                const bool symbols = token.kind == TokenKind::Bits || token.kind == TokenKind::FinalBits;
                const std::size_t needed = !symbols                        ? (token.kind == TokenKind::Pair ? 2 : 1)
                                           : token.kind == TokenKind::Bits ? 2 * token.bits
                                                                           : 2 * token.bits - 1;
                if (i + needed > durations.size()) {
                    return std::nullopt;
                }
                if (!symbols) {
                    measure(durations, i, token.pair, token.kind == TokenKind::FinalMark);
                }
                for (std::size_t s = 0; symbols && s < token.bits; ++s) {
                    appendSymbol(bits, durations, i + 2 * s, token.kind == TokenKind::FinalBits && s + 1 == token.bits);
                }
                i += needed;
            }
            if (i != durations.size()) {
                return std::nullopt;
            }
            m_position += i;
        }
        return bits;
    }

    // Per length of the format, marks first, the stretch that sends the most of
    // what this capture measured of it faithfully, among equals the nearest to
    // their mean; 0 for a length it did not use.
    std::vector<int> stretches() const
    {
        std::vector<int> out;
        for (std::size_t c = 0; c < m_members.size(); ++c) {
            out.push_back(stretchOf(code(c), m_members[c]));
        }
        return out;
    }

private:
    std::size_t symbolBits(const LearnedFormat::Frame &frame) const
    {
        std::size_t symbols = 0;
        for (const Token &token : frame.tokens) {
            symbols += token.bits;
        }
        return symbols * LearnedFormat::bitsPerSymbol(m_format.alphabet.size());
    }

    int code(std::size_t cluster) const
    {
        const std::size_t marks = m_format.markCodes.size();
        return cluster < marks ? m_format.markCodes[cluster] : m_format.spaceCodes[cluster - marks];
    }

    // The lengths at `i` (and the space after it) belong to the pair's mark (and space).
    void measure(const std::vector<int> &durations, std::size_t i, LearnedFormat::Pair pair, bool markOnly)
    {
        const auto add = [&](std::size_t at, std::size_t cluster) {
            if (m_adjusted.find(m_position + at) == m_adjusted.end()) {
                m_members[cluster].push_back(durations[at]);
            }
        };
        add(i, pair.mark);
        if (!markOnly) {
            add(i + 1, m_format.markCodes.size() + pair.space);
        }
    }

    int sentLength(std::size_t index, std::uint8_t code) const
    {
        const auto adjusted = m_adjusted.find(m_position + index);
        return adjusted != m_adjusted.end() ? adjusted->second : LearnedFormat::lengthOfCode(code);
    }

    // The symbol whose lengths come nearest the capture's; the first among equals, as the builder chooses.
    void appendSymbol(std::vector<bool> &bits, const std::vector<int> &durations, std::size_t i, bool markOnly)
    {
        const std::vector<LearnedFormat::Pair> &alphabet = m_format.alphabet;
        std::size_t best = 0;
        double bestMiss = 0;
        for (std::size_t a = 0; a < alphabet.size(); ++a) {
            const auto miss = [&](std::size_t at, std::uint8_t code) {
                return std::abs(sentLength(at, code) - durations[at]) / static_cast<double>(durations[at]);
            };
            const double total = miss(i, m_format.markCodes[alphabet[a].mark])
                                 + (markOnly ? 0 : miss(i + 1, m_format.spaceCodes[alphabet[a].space]));
            if (a == 0 || total < bestMiss) {
                best = a;
                bestMiss = total;
            }
        }
        for (std::size_t b = LearnedFormat::bitsPerSymbol(alphabet.size()); b-- > 0;) {
            bits.push_back((best >> b & 1) != 0);
        }
        measure(durations, i, alphabet[best], markOnly);
    }

    const LearnedFormat &m_format;
    const IrSignal &m_signal;
    std::map<std::size_t, int> m_adjusted;
    std::vector<std::vector<int>> m_members;
    std::size_t m_position = 0;
};
// The key's own adjustments that make what was sent without them, `sent`,
// `signal` faithfully; nothing when more are needed than `room`.
std::optional<std::vector<LearnedParts::Adjustment>> adjustmentsFor(const IrSignal &sent, const IrSignal &signal,
                                                                    std::size_t room)
{
    const auto misses = FaithfulCopy::misses(sent, signal);
    if (!misses || misses->size() > room) {
        return std::nullopt;
    }
    std::vector<LearnedParts::Adjustment> out;
    for (const FaithfulCopy::Miss &miss : *misses) {
        const int steps = LearnedParts::stepsBetween(miss.sent, miss.wanted);
        if (miss.position > LearnedParts::maxAdjustedPosition || steps == 0 || steps < LearnedParts::minAdjustment
            || steps > LearnedParts::maxAdjustment) {
            return std::nullopt;
        }
        out.push_back({miss.position, steps});
    }
    return out;
}

// What the capture gives of the key's own content read through the format:
// its bits, the count and, where the format leaves the timing to the keys,
// the stretches and gaps; nothing when the capture does not read as the format.
std::optional<LearnedParts::Content> contentOf(const LearnedFormat &format, const IrSignal &signal)
{
    // With the timing in the parts the last frame may be missing or go out any
    // number of times; before, it went out once and the repeats after it.
    const std::size_t body = format.frames.size();
    const std::size_t needed = format.keyedTiming ? body - 1 : body;
    if (body == 0 || signal.frames.size() < needed) {
        return std::nullopt;
    }
    const std::size_t count = signal.frames.size() - needed;
    if (count > 255 || (count > 0 && !format.repeatsLast)
        || (count == 0 && format.repeatsLast && !format.keyedTiming)) {
        return std::nullopt;
    }
    Reader reader(format, signal);
    std::optional<std::vector<bool>> bits = reader.bits();
    if (!bits) {
        return std::nullopt;
    }
    const std::size_t inParts = format.partBitCount();
    if (bits->size() != inParts + format.extraBits.size()
        || !std::equal(format.extraBits.begin(), format.extraBits.end(),
                       bits->begin() + static_cast<std::ptrdiff_t>(inParts))) {
        return std::nullopt;
    }
    bits->resize(inParts);
    LearnedParts::Content content;
    content.bits = std::move(*bits);
    content.repeats = static_cast<std::uint8_t>(count);
    if (format.keyedTiming) {
        content.stretches = reader.stretches();
        content.gaps = format.gapsOf(signal, body);
    }
    return content;
}
}  // namespace

std::optional<std::array<std::uint8_t, 16>> LearnedFormatFit::partsFor(const LearnedFormat &format,
                                                                       const IrSignal &signal)
{
    std::optional<LearnedParts::Content> content = contentOf(format, signal);
    if (!content) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 16> parts = LearnedParts::pack(*content, format.partShape());
    std::optional<IrSignal> sent = format.signal(parts);
    if (!sent || FaithfulCopy::faithful(*sent, signal)) {
        return sent ? std::optional(parts) : std::nullopt;
    }
    // What the format sends too far from this key's own: its adjustments, where the parts have room.
    const auto own = format.keyedTiming ? adjustmentsFor(*sent, signal, format.partShape().adjustments) : std::nullopt;
    if (!own) {
        return std::nullopt;
    }
    content->adjustments = *own;
    parts = LearnedParts::pack(*content, format.partShape());
    sent = format.signal(parts);
    if (!sent || !FaithfulCopy::faithful(*sent, signal)) {
        return std::nullopt;
    }
    return parts;
}

LearnedFormat LearnedFormatFit::withoutStaleKeys(const LearnedFormat &format, const std::set<std::uint32_t> &liveTags)
{
    LearnedFormat live = format;
    std::erase_if(live.keyTimings, [&](const LearnedFormat::KeyTiming &key) { return liveTags.count(key.tag) == 0; });
    // Other timings no key uses any more go too, the rest keeping their order.
    std::vector<std::size_t> renumbered(format.otherTimings.size() + 1, 0);
    live.otherTimings.clear();
    for (std::size_t t = 1; t < renumbered.size(); ++t) {
        if (std::any_of(live.keyTimings.begin(), live.keyTimings.end(),
                        [t](const LearnedFormat::KeyTiming &key) { return key.timing == t; })) {
            live.otherTimings.push_back(format.otherTimings[t - 1]);
            renumbered[t] = live.otherTimings.size();
        }
    }
    for (LearnedFormat::KeyTiming &key : live.keyTimings) {
        key.timing = renumbered[key.timing];
    }
    return live;
}

namespace
{
// The content and its variants, as many as the parts have room for, maxVariants at most.
std::vector<LearnedParts::Content> withVariants(const LearnedParts::Content &content, const LearnedParts::Shape &shape)
{
    std::vector<LearnedParts::Content> out{content};
    const std::size_t variants =
        std::min(LearnedParts::variants(content.bits.size(), shape), LearnedFormatFit::maxVariants);
    for (unsigned variant = 1; variant < variants; ++variant) {
        out.push_back(content);
        out.back().variant = variant;
    }
    return out;
}

// The key as a bundle's key of its timing `t` (0 its own, else an other
// one): its parts, their digest none of `liveTags`, and its own adjustments,
// which a key of the bundle's own timing needs at least one of.
std::optional<LearnedFormatFit::Extension> extendedAs(const LearnedFormat &bundle, std::size_t t,
                                                      const IrSignal &signal, const std::set<std::uint32_t> &liveTags,
                                                      std::size_t maxAdjustments)
{
    const LearnedFormat &timing = t == 0 ? bundle : bundle.otherTimings[t - 1];
    const std::optional<LearnedParts::Content> content = contentOf(timing, signal);
    if (!content) {
        return std::nullopt;
    }
    // Parts alike another key's would send that key with this one's timing: a
    // variant, where the parts have room for one, or a stretch one step off
    // tells them apart. Such a stretch also brings some keys within reach
    // whose own parts need too many adjustments, so all are tried in turn.
    std::vector<LearnedParts::Content> tries = withVariants(*content, timing.partShape());
    for (std::size_t c = 0; c < content->stretches.size(); ++c) {
        for (const int step : {1, -1}) {
            LearnedParts::Content other = *content;
            other.stretches[c] =
                std::clamp(other.stretches[c] + step, LearnedParts::minStretch, LearnedParts::maxStretch);
            tries.push_back(std::move(other));
        }
    }
    for (const LearnedParts::Content &tried : tries) {
        const std::array<std::uint8_t, 16> parts = LearnedParts::pack(tried, timing.partShape());
        const std::uint32_t tag = bundle.tagOf(parts);
        if (liveTags.count(tag) > 0) {
            continue;
        }
        LearnedFormat grown = bundle;
        grown.keyTimings.push_back({tag, t, {}});
        const std::optional<IrSignal> sent = grown.signal(parts);
        const auto own = sent ? adjustmentsFor(*sent, signal, maxAdjustments) : std::nullopt;
        if (!own || (t == 0 && own->empty())) {
            continue;
        }
        grown.keyTimings.back().adjustments = *own;
        const std::optional<IrSignal> grownSent = grown.signal(parts);
        if (grownSent && FaithfulCopy::faithful(*grownSent, signal)) {
            return LearnedFormatFit::Extension{std::move(grown), parts};
        }
    }
    return std::nullopt;
}

// `timing` with its first `fixed` symbols sent as fixed pairs, so that the
// parts carry the bits after them; `bits` are all the key's bits. Nothing
// when it has fewer symbols.
std::optional<LearnedFormat> withFixedSymbols(const LearnedFormat &timing, const std::vector<bool> &bits,
                                              std::size_t fixed)
{
    if (bits.size() != timing.bitCount()) {
        return std::nullopt;
    }
    const std::size_t perSymbol = LearnedFormat::bitsPerSymbol(timing.alphabet.size());
    LearnedFormat out = timing;
    std::size_t next = 0;
    for (LearnedFormat::Frame &frame : out.frames) {
        std::vector<Token> tokens;
        for (const Token &token : frame.tokens) {
            const bool symbols = token.kind == TokenKind::Bits || token.kind == TokenKind::FinalBits;
            const std::size_t taken = symbols ? std::min(token.bits, fixed - next) : 0;
            for (std::size_t s = 0; s < taken; ++s, ++next) {
                std::size_t value = 0;
                for (std::size_t b = 0; b < perSymbol; ++b) {
                    value = value << 1 | (bits[next * perSymbol + b] ? 1 : 0);
                }
                const LearnedFormat::Pair pair = timing.alphabet[value];
                const bool closing = token.kind == TokenKind::FinalBits && s + 1 == token.bits;
                tokens.push_back(closing ? Token{TokenKind::FinalMark, {pair.mark, 0}, 0}
                                         : Token{TokenKind::Pair, pair, 0});
            }
            if (taken < token.bits || !symbols) {
                tokens.push_back(token);
                tokens.back().bits -= taken;
            }
        }
        frame.tokens = std::move(tokens);
    }
    if (next < fixed) {
        return std::nullopt;
    }
    const std::size_t from = std::min(fixed * perSymbol + out.partBitCount(), bits.size());
    out.extraBits.assign(bits.begin() + static_cast<std::ptrdiff_t>(from), bits.end());
    return out;
}
}  // namespace

std::optional<LearnedFormatFit::Extension> LearnedFormatFit::extended(const LearnedFormat &format,
                                                                      const IrSignal &signal,
                                                                      const std::set<std::uint32_t> &liveTags)
{
    const LearnedFormat bundle = withoutStaleKeys(format, liveTags);
    for (std::size_t t = 0; t <= bundle.otherTimings.size(); ++t) {
        if (std::optional<Extension> extension = extendedAs(bundle, t, signal, liveTags, maxKeyAdjustments)) {
            return extension;
        }
    }
    return std::nullopt;
}

std::optional<LearnedCode> LearnedFormatFit::withStraysOfItsKey(const LearnedCode &code, const IrSignal &signal)
{
    if (code.format.adjustments.empty() || !code.format.keyTimings.empty()) {
        return std::nullopt;
    }
    LearnedFormat timing = code.format;
    timing.adjustments.clear();
    // However many: the key has no format of its own to go to.
    const std::optional<Extension> bundle = extendedAs(timing, 0, signal, {}, LearnedParts::maxAdjustedPosition + 1);
    if (!bundle) {
        return std::nullopt;
    }
    return LearnedCode{bundle->format, bundle->parts};
}

std::vector<LearnedCode> LearnedFormatFit::shiftedCodes(const LearnedCode &code, const IrSignal &signal)
{
    std::vector<LearnedCode> out;
    const LearnedFormat &timing = code.format;
    const std::optional<LearnedParts::Content> content =
        LearnedParts::unpack(code.parts, timing.partBitCount(), timing.partShape());
    if (!timing.keyTimings.empty() || !content) {
        return out;
    }
    std::vector<bool> bits = content->bits;
    bits.insert(bits.end(), timing.extraBits.begin(), timing.extraBits.end());
    const std::size_t perSymbol = LearnedFormat::bitsPerSymbol(timing.alphabet.size());
    for (std::size_t fixed = firstFixedSymbols; fixed * perSymbol <= timing.extraBits.size(); fixed *= 2) {
        const std::optional<LearnedFormat> shifted = withFixedSymbols(timing, bits, fixed);
        if (!shifted || shifted->partShape() != timing.partShape()) {
            break;
        }
        LearnedParts::Content tried = *content;
        const auto first = bits.begin() + static_cast<std::ptrdiff_t>(fixed * perSymbol);
        tried.bits.assign(first, first + static_cast<std::ptrdiff_t>(shifted->partBitCount()));
        const std::array<std::uint8_t, 16> parts = LearnedParts::pack(tried, shifted->partShape());
        const std::optional<IrSignal> sent = shifted->signal(parts);
        if (sent && FaithfulCopy::faithful(*sent, signal)) {
            out.push_back({*shifted, parts});
        }
    }
    return out;
}

std::optional<LearnedFormatFit::Extension> LearnedFormatFit::withTiming(const LearnedFormat &format,
                                                                        const LearnedCode &own, const IrSignal &signal,
                                                                        const std::set<std::uint32_t> &liveTags)
{
    const LearnedFormat &timing = own.format;
    const std::optional<LearnedParts::Content> content =
        LearnedParts::unpack(own.parts, timing.partBitCount(), timing.partShape());
    if (!timing.keyTimings.empty() || !content) {
        return std::nullopt;
    }
    LearnedFormat bundle = withoutStaleKeys(format, liveTags);
    bundle.otherTimings.push_back(timing);
    // The key with `parts` as one of `joined`, the bundle's new timing: parts another key's do not share.
    const auto asKeyOf = [&](const LearnedFormat &joined,
                             const std::array<std::uint8_t, 16> &parts) -> std::optional<Extension> {
        const std::uint32_t tag = bundle.tagOf(parts);
        if (liveTags.count(tag) > 0) {
            return std::nullopt;
        }
        LearnedFormat grown = bundle;
        grown.otherTimings.back() = joined;
        grown.keyTimings.push_back({tag, grown.otherTimings.size(), {}});
        const std::optional<IrSignal> sent = grown.signal(parts);
        if (!sent || !FaithfulCopy::faithful(*sent, signal)) {
            return std::nullopt;
        }
        return Extension{std::move(grown), parts};
    };
    // Its parts as built, else a variant of them.
    for (const LearnedParts::Content &tried : withVariants(*content, timing.partShape())) {
        if (std::optional<Extension> extension = asKeyOf(timing, LearnedParts::pack(tried, timing.partShape()))) {
            return extension;
        }
    }
    // Parts alike a listed key's, the key's bits differing beyond them (long
    // codes of remotes whose every key is a state of its own): the parts
    // take later bits, the timing sending the first ones as fixed pairs.
    for (const LearnedCode &shifted : shiftedCodes(own, signal)) {
        if (std::optional<Extension> extension = asKeyOf(shifted.format, shifted.parts)) {
            return extension;
        }
    }
    return std::nullopt;
}
