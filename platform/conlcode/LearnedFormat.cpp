#include "LearnedFormat.h"

#include <algorithm>
#include <cmath>

#include "FaithfulCopy.h"
#include "FormatDigest.h"
#include "LearnedParts.h"

namespace
{
// The layout is the top nibble of the first byte. Remotes hold formats of
// every layout written before, so all are still read; what is written now is
// 5, or 9 with the timing the key's, plus 1 when the carrier follows, plus 2
// with four symbols.
struct Layout
{
    bool compact = false;  // counts and positions as variable-length numbers
    bool carrier = false;  // a carrier byte follows
    // Alphabets of few clusters packed, short closing runs in one byte, no gap
    // byte after a last frame that does not repeat.
    bool current = false;
    bool fourSymbols = false;
    bool keyedTiming = false;
};

std::optional<Layout> layoutOf(std::uint8_t nibble)
{
    switch (nibble) {
    case 1:
    case 2:
        return Layout{false, nibble == 2, false, false};
    case 3:
    case 4:
        return Layout{true, nibble == 4, false, false};
    case 5:
    case 6:
    case 7:
    case 8:
        return Layout{true, (nibble - 5) % 2 == 1, true, nibble >= 7, false};
    case 9:
    case 10:
    case 11:
    case 12:
        return Layout{true, (nibble - 9) % 2 == 1, true, nibble >= 11, true};
    default:
        return std::nullopt;
    }
}

constexpr std::uint8_t currentLayout = 5;
constexpr std::uint8_t keyedTimingLayout = 9;
constexpr std::uint8_t bundleLayout = 13;
constexpr std::uint8_t timingsBundleLayout = 14;
// Bundles with two-byte tags; the low bit of the nibble after it: with other timings.
constexpr std::uint8_t shortTagsBundleLayout = 15;
// In the current layout, with at most four marks and four spaces, two
// symbols a byte: mark, space, mark, space, two bits each.
constexpr std::size_t maxPackedClusters = 4;
// A closing run of 1 to 14 symbols in one byte: (symbols - 1) << 4 | 0xF.
constexpr std::uint8_t shortClosingRun = 0x0F;
constexpr std::size_t maxShortClosingRun = 14;

bool packedAlphabet(const Layout &layout, std::size_t markCount, std::size_t spaceCount)
{
    return layout.current && markCount <= maxPackedClusters && spaceCount <= maxPackedClusters;
}
constexpr std::uint8_t hasEncoding = 1;
constexpr std::uint8_t repeatsLastFrame = 2;
constexpr std::uint8_t hasExtraBits = 4;
constexpr std::uint8_t hasAdjustments = 8;
constexpr std::uint8_t finalMark = 0xE0;
constexpr std::uint8_t bitRun = 0xF0;
constexpr std::uint8_t finalBitRun = 0xF1;
// A run of 1 to 14 symbols in one byte: shortRun + 1 to 0xFF.
constexpr std::uint8_t shortRun = 0xF1;
constexpr std::size_t maxShortRun = 0xFF - shortRun;
// A frame whose tokens are those of the frame before: its gap byte and this.
constexpr std::uint8_t asFrameBefore = 0xDE;
constexpr double scaleBase = 16;
constexpr int maxGapMs = 255;
constexpr double keyedGapBaseUs = 1000;
constexpr double keyedGapSteps = 32;
constexpr double stepsPerOctave = 24;

std::uint8_t nibbles(LearnedFormat::Pair pair)
{
    return static_cast<std::uint8_t>(pair.mark << 4 | pair.space);
}

LearnedFormat::Pair pairOf(std::uint8_t byte)
{
    return {static_cast<std::uint8_t>(byte >> 4), static_cast<std::uint8_t>(byte & 0xF)};
}

// Reads the fields in order; every read fails once the bytes run out.
class Reader
{
public:
    explicit Reader(const std::vector<std::uint8_t> &bytes)
        : m_bytes(bytes)
    { }
    std::optional<std::uint8_t> next()
    {
        if (m_pos >= m_bytes.size()) {
            return std::nullopt;
        }
        return m_bytes[m_pos++];
    }
    std::optional<std::vector<std::uint8_t>> take(std::size_t count)
    {
        if (count > m_bytes.size() - m_pos) {
            return std::nullopt;
        }
        m_pos += count;
        return std::vector<std::uint8_t>(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos - count),
                                         m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos));
    }
    std::optional<std::uint8_t> peek() const
    {
        return m_pos < m_bytes.size() ? std::optional<std::uint8_t>(m_bytes[m_pos]) : std::nullopt;
    }
    // Seven bits a byte, lowest first, the top bit set on all but the last;
    // nothing above 16 bits.
    std::optional<std::uint16_t> number()
    {
        std::uint32_t value = 0;
        for (int shift = 0; shift <= 14; shift += 7) {
            const std::optional<std::uint8_t> byte = next();
            if (!byte) {
                return std::nullopt;
            }
            value |= static_cast<std::uint32_t>(*byte & 0x7F) << shift;
            if ((*byte & 0x80) == 0) {
                return value <= 0xFFFF ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(value)) : std::nullopt;
            }
        }
        return std::nullopt;
    }
    // A count or position: two bytes, high first, in the old layouts.
    std::optional<std::uint16_t> count(bool compact)
    {
        if (compact) {
            return number();
        }
        const std::optional<std::uint8_t> high = next();
        const std::optional<std::uint8_t> low = next();
        if (!high || !low) {
            return std::nullopt;
        }
        return static_cast<std::uint16_t>(*high << 8 | *low);
    }

private:
    const std::vector<std::uint8_t> &m_bytes;
    std::size_t m_pos = 0;
};

bool validPair(const LearnedFormat &format, LearnedFormat::Pair pair)
{
    return pair.mark < format.markCodes.size() && pair.space < format.spaceCodes.size();
}

// Without a gap byte the frame's gap is 0.
std::optional<LearnedFormat::Frame> readFrame(Reader &reader, const LearnedFormat &format, bool gapByte)
{
    LearnedFormat::Frame frame;
    const std::optional<std::uint8_t> gap = gapByte ? reader.next() : std::optional<std::uint8_t>(0);
    if (!gap) {
        return std::nullopt;
    }
    frame.gapMs = *gap;
    if (!format.frames.empty() && reader.peek() == asFrameBefore) {
        reader.next();
        frame.tokens = format.frames.back().tokens;
        return frame;
    }
    while (const std::optional<std::uint8_t> byte = reader.next()) {
        LearnedFormat::Token token;
        if (*byte == bitRun || *byte == finalBitRun) {
            const std::optional<std::uint8_t> run = reader.next();
            if (!run || *run == 0 || format.alphabet.empty()) {
                return std::nullopt;
            }
            token.kind = *byte == bitRun ? LearnedFormat::TokenKind::Bits : LearnedFormat::TokenKind::FinalBits;
            token.bits = *run;
        } else if (*byte > shortRun) {
            if (format.alphabet.empty()) {
                return std::nullopt;
            }
            token.kind = LearnedFormat::TokenKind::Bits;
            token.bits = *byte - shortRun;
        } else if ((*byte & 0x0F) == shortClosingRun && *byte < finalMark) {
            if (format.alphabet.empty()) {
                return std::nullopt;
            }
            token.kind = LearnedFormat::TokenKind::FinalBits;
            token.bits = (*byte >> 4) + 1U;
        } else if ((*byte & 0xF0) == finalMark) {
            token.kind = LearnedFormat::TokenKind::FinalMark;
            token.pair.mark = *byte & 0xF;
            if (token.pair.mark >= format.markCodes.size()) {
                return std::nullopt;
            }
        } else {
            token.pair = pairOf(*byte);
            if (!validPair(format, token.pair)) {
                return std::nullopt;
            }
        }
        frame.tokens.push_back(token);
        if (token.kind == LearnedFormat::TokenKind::FinalMark || token.kind == LearnedFormat::TokenKind::FinalBits) {
            return frame;
        }
    }
    return std::nullopt;
}

void writeNumber(std::vector<std::uint8_t> &out, std::size_t value)
{
    while (value >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}

// Adjustments of a format or of a bundle's key: their count, then their
// positions ascending, none twice, each with a byte after it. The compact
// layout gives each position as its distance past the one before (past -1 for
// the first). `take` gets each position and byte, false for one it refuses.
template <typename Take> bool readAscending(Reader &reader, bool compact, Take take, bool noneAllowed = false)
{
    const std::optional<std::uint16_t> count = reader.count(compact);
    if (!count || (*count == 0 && !noneAllowed)) {
        return false;
    }
    long previous = -1;
    for (std::size_t i = 0; i < *count; ++i) {
        const std::optional<std::uint16_t> field = reader.count(compact);
        const std::optional<std::uint8_t> byte = reader.next();
        if (!field || !byte) {
            return false;
        }
        const long position = compact ? previous + 1 + *field : *field;
        if (position <= previous || position > 0xFFFF || !take(static_cast<std::uint16_t>(position), *byte)) {
            return false;
        }
        previous = position;
    }
    return true;
}

// The same in the compact layout; `byteOf` gives an item's byte.
template <typename Items, typename ByteOf>
void writeAscending(std::vector<std::uint8_t> &out, const Items &items, ByteOf byteOf)
{
    writeNumber(out, items.size());
    long previous = -1;
    for (const auto &item : items) {
        writeNumber(out, static_cast<std::size_t>(static_cast<long>(item.position) - previous - 1));
        out.push_back(byteOf(item));
        previous = static_cast<long>(item.position);
    }
}

bool readAdjustments(Reader &reader, LearnedFormat &format, bool compact)
{
    return readAscending(reader, compact, [&format](std::uint16_t position, std::uint8_t code) {
        format.adjustments.push_back({position, code});
        return true;
    });
}

// With `numbered` each key names its timing, and one of another timing may have no adjustments.
bool readKeyTimings(Reader &reader, LearnedFormat &format, bool numbered)
{
    const std::optional<std::uint16_t> keys = reader.number();
    if (!keys || *keys == 0) {
        return false;
    }
    for (std::size_t k = 0; k < *keys; ++k) {
        const std::optional<std::vector<std::uint8_t>> tag = reader.take(format.wideTags ? 4 : 2);
        if (!tag) {
            return false;
        }
        LearnedFormat::KeyTiming timing;
        for (const std::uint8_t byte : *tag) {
            timing.tag = timing.tag << 8 | byte;
        }
        const std::optional<std::uint16_t> number = numbered ? reader.number() : std::optional<std::uint16_t>(0);
        if (!number || *number > format.otherTimings.size()) {
            return false;
        }
        timing.timing = *number;
        const auto take = [&timing](std::uint16_t position, std::uint8_t byte) {
            const int steps = static_cast<std::int8_t>(byte);
            timing.adjustments.push_back({position, steps});
            return steps != 0 && steps >= LearnedParts::minAdjustment && steps <= LearnedParts::maxAdjustment;
        };
        if (!readAscending(reader, true, take, timing.timing > 0)) {
            return false;
        }
        format.keyTimings.push_back(std::move(timing));
    }
    return true;
}

// The key's own adjustments, over the flat durations sent; false for one beyond them.
bool adjustForKey(IrSignal &signal, const std::vector<LearnedParts::Adjustment> &adjustments)
{
    auto adjustment = adjustments.begin();
    std::size_t position = 0;
    const auto adjust = [&](int &length) {
        if (adjustment != adjustments.end() && adjustment->position == position) {
            length = LearnedParts::adjusted(length, adjustment->steps);
            ++adjustment;
        }
        ++position;
    };
    for (std::size_t f = 0; f < signal.frames.size(); ++f) {
        for (int &length : signal.frames[f].durations) {
            adjust(length);
        }
        if (f + 1 < signal.frames.size()) {
            adjust(signal.frames[f].gapAfterUs);
        }
    }
    return adjustment == adjustments.end();
}

// The lengths a key sends: the format's, each stretched by the key's own when it has them.
struct Lengths
{
    std::vector<int> marks;
    std::vector<int> spaces;
};

Lengths lengthsOf(const LearnedFormat &format, const std::vector<int> &stretches)
{
    Lengths lengths;
    for (std::size_t i = 0; i < format.markCodes.size() + format.spaceCodes.size(); ++i) {
        const bool mark = i < format.markCodes.size();
        const std::uint8_t code = mark ? format.markCodes[i] : format.spaceCodes[i - format.markCodes.size()];
        (mark ? lengths.marks : lengths.spaces)
            .push_back(LearnedFormat::stretchedLength(code, i < stretches.size() ? stretches[i] : 0));
    }
    return lengths;
}

// Consumes the frame's bits from `next`.
void appendFrame(const LearnedFormat &format, const Lengths &lengths, const LearnedFormat::Frame &frame,
                 const std::vector<bool> &bits, std::size_t &next, std::vector<int> &out)
{
    const auto markOf = [&](std::uint8_t i) { return lengths.marks[i]; };
    const auto spaceOf = [&](std::uint8_t i) { return lengths.spaces[i]; };
    for (const LearnedFormat::Token &token : frame.tokens) {
        switch (token.kind) {
        case LearnedFormat::TokenKind::Pair:
            out.push_back(markOf(token.pair.mark));
            out.push_back(spaceOf(token.pair.space));
            break;
        case LearnedFormat::TokenKind::FinalMark:
            out.push_back(markOf(token.pair.mark));
            break;
        case LearnedFormat::TokenKind::Bits:
        case LearnedFormat::TokenKind::FinalBits:
            for (std::size_t i = 0; i < token.bits; ++i) {
                std::size_t index = 0;
                for (std::size_t b = 0; b < LearnedFormat::bitsPerSymbol(format.alphabet.size()); ++b) {
                    index = index << 1 | (bits[next++] ? 1 : 0);
                }
                const LearnedFormat::Pair symbol = format.alphabet[index];
                out.push_back(markOf(symbol.mark));
                if (token.kind == LearnedFormat::TokenKind::Bits || i + 1 < token.bits) {
                    out.push_back(spaceOf(symbol.space));
                }
            }
            break;
        }
    }
}
}  // namespace

int LearnedFormat::lengthOfCode(std::uint8_t code)
{
    return static_cast<int>(std::lround(scaleBase * std::exp2(code / stepsPerOctave)));
}

int LearnedFormat::stretchedLength(std::uint8_t code, int stretch)
{
    if (stretch == 0) {
        return lengthOfCode(code);
    }
    return static_cast<int>(
        std::lround(scaleBase * std::exp2((code + stretch / static_cast<double>(stretchesPerStep)) / stepsPerOctave)));
}

std::uint8_t LearnedFormat::codeOfLength(double microseconds)
{
    const double steps = stepsPerOctave * std::log2(std::max(microseconds, scaleBase) / scaleBase);
    return static_cast<std::uint8_t>(std::min(std::lround(steps), 255L));
}

std::uint8_t LearnedFormat::codeOfLengths(const std::vector<int> &lengths)
{
    if (lengths.empty()) {
        return 0;
    }
    double sum = 0;
    for (const int length : lengths) {
        sum += length;
    }
    const std::uint8_t meanCode = codeOfLength(sum / static_cast<double>(lengths.size()));
    const auto [shortest, longest] = std::minmax_element(lengths.begin(), lengths.end());
    const auto misses = [&](int code) {
        return std::count_if(lengths.begin(), lengths.end(), [&](int length) {
            return FaithfulCopy::lengthMissed(lengthOfCode(static_cast<std::uint8_t>(code)), length);
        });
    };
    int best = meanCode;
    auto fewest = misses(meanCode);
    for (int code = codeOfLength(*shortest); fewest > 0 && code <= codeOfLength(*longest); ++code) {
        const auto count = misses(code);
        if (count < fewest || (count == fewest && std::abs(code - meanCode) < std::abs(best - meanCode))) {
            best = code;
            fewest = count;
        }
    }
    return static_cast<std::uint8_t>(best);
}

std::vector<std::uint8_t> LearnedFormat::serialize() const
{
    const std::vector<std::uint8_t> timing = timingData();
    if (keyTimings.empty()) {
        return timing;
    }
    const bool numbered = !otherTimings.empty();
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(wideTags
                                                                ? (numbered ? timingsBundleLayout : bundleLayout) << 4
                                                                : shortTagsBundleLayout << 4 | (numbered ? 1 : 0))};
    writeNumber(out, timing.size());
    out.insert(out.end(), timing.begin(), timing.end());
    if (numbered) {
        writeNumber(out, otherTimings.size());
        for (const LearnedFormat &other : otherTimings) {
            const std::vector<std::uint8_t> bytes = other.timingData();
            writeNumber(out, bytes.size());
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
    }
    writeNumber(out, keyTimings.size());
    for (const KeyTiming &key : keyTimings) {
        for (int shift = wideTags ? 24 : 8; shift >= 0; shift -= 8) {
            out.push_back(static_cast<std::uint8_t>(key.tag >> shift));
        }
        if (numbered) {
            writeNumber(out, key.timing);
        }
        writeAscending(out, key.adjustments, [](const LearnedParts::Adjustment &adjustment) {
            return static_cast<std::uint8_t>(static_cast<std::int8_t>(adjustment.steps));
        });
    }
    return out;
}

std::uint32_t LearnedFormat::tagOf(const std::array<std::uint8_t, 16> &parts) const
{
    const std::uint32_t tag = FormatDigest::partsTag(parts);
    return wideTags ? tag : tag & 0xFFFF;
}

std::vector<std::uint8_t> LearnedFormat::timingData() const
{
    std::vector<std::uint8_t> out;
    const int nibble = (keyedTiming ? keyedTimingLayout : currentLayout) + (carrierKHz > 0 ? 1 : 0)
                       + (alphabet.size() == fourSymbols ? 2 : 0);
    const Layout layout = *layoutOf(static_cast<std::uint8_t>(nibble));
    std::uint8_t flags = static_cast<std::uint8_t>(nibble << 4);
    flags |= alphabet.empty() ? 0 : hasEncoding;
    flags |= repeatsLast ? repeatsLastFrame : 0;
    flags |= extraBits.empty() ? 0 : hasExtraBits;
    flags |= adjustments.empty() ? 0 : hasAdjustments;
    out.push_back(flags);
    if (carrierKHz > 0) {
        out.push_back(carrierKHz);
    }
    out.push_back(static_cast<std::uint8_t>(markCodes.size() << 4 | spaceCodes.size()));
    // One by one: GCC 12 warns wrongly about a range insert into so short a vector.
    for (const std::vector<std::uint8_t> *codes : {&markCodes, &spaceCodes}) {
        for (const std::uint8_t code : *codes) {
            out.push_back(code);
        }
    }
    if (packedAlphabet(layout, markCodes.size(), spaceCodes.size())) {
        for (std::size_t i = 0; i + 1 < alphabet.size(); i += 2) {
            out.push_back(static_cast<std::uint8_t>(alphabet[i].mark << 6 | alphabet[i].space << 4
                                                    | alphabet[i + 1].mark << 2 | alphabet[i + 1].space));
        }
    } else {
        for (const Pair symbol : alphabet) {
            out.push_back(nibbles(symbol));
        }
    }
    out.push_back(static_cast<std::uint8_t>(frames.size()));
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const Frame &frame = frames[f];
        if (!keyedTiming && (f + 1 < frames.size() || repeatsLast)) {
            out.push_back(static_cast<std::uint8_t>(frame.gapMs));
        }
        if (f > 0 && frame.tokens == frames[f - 1].tokens) {
            out.push_back(asFrameBefore);
            continue;
        }
        for (const Token &token : frame.tokens) {
            switch (token.kind) {
            case TokenKind::Pair:
                out.push_back(nibbles(token.pair));
                break;
            case TokenKind::FinalMark:
                out.push_back(static_cast<std::uint8_t>(finalMark | token.pair.mark));
                break;
            case TokenKind::Bits:
            case TokenKind::FinalBits:
                if (token.kind == TokenKind::Bits && token.bits <= maxShortRun) {
                    out.push_back(static_cast<std::uint8_t>(shortRun + token.bits));
                    break;
                }
                if (token.kind == TokenKind::FinalBits && token.bits <= maxShortClosingRun) {
                    out.push_back(static_cast<std::uint8_t>((token.bits - 1) << 4 | shortClosingRun));
                    break;
                }
                out.push_back(token.kind == TokenKind::Bits ? bitRun : finalBitRun);
                out.push_back(static_cast<std::uint8_t>(token.bits));
                break;
            }
        }
    }
    if (!extraBits.empty()) {
        writeNumber(out, extraBits.size());
        const std::size_t first = out.size();
        out.resize(first + (extraBits.size() + 7) / 8, 0);
        for (std::size_t i = 0; i < extraBits.size(); ++i) {
            if (extraBits[i]) {
                out[first + i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
            }
        }
    }
    if (!adjustments.empty()) {
        writeAscending(out, adjustments, [](const Adjustment &adjustment) { return adjustment.code; });
    }
    return out;
}

std::optional<LearnedFormat> LearnedFormat::parse(const std::vector<std::uint8_t> &bytes)
{
    Reader reader(bytes);
    const bool wide = !bytes.empty() && (bytes[0] == bundleLayout << 4 || bytes[0] == timingsBundleLayout << 4);
    const bool numbered =
        !bytes.empty() && (bytes[0] == timingsBundleLayout << 4 || bytes[0] == (shortTagsBundleLayout << 4 | 1));
    if (wide || numbered || (!bytes.empty() && bytes[0] == shortTagsBundleLayout << 4)) {
        reader.next();
        // A timing of the bundle, itself no bundle.
        const auto readTiming = [&reader]() -> std::optional<LearnedFormat> {
            const std::optional<std::uint16_t> size = reader.number();
            const std::optional<std::vector<std::uint8_t>> timing = size ? reader.take(*size) : std::nullopt;
            std::optional<LearnedFormat> format = timing ? parse(*timing) : std::nullopt;
            return format && format->keyTimings.empty() ? format : std::nullopt;
        };
        std::optional<LearnedFormat> format = readTiming();
        const std::optional<std::uint16_t> others = numbered ? reader.number() : std::optional<std::uint16_t>(0);
        if (!format || !others || (numbered && *others == 0)) {
            return std::nullopt;
        }
        format->wideTags = wide;
        for (std::size_t t = 0; t < *others; ++t) {
            std::optional<LearnedFormat> other = readTiming();
            if (!other) {
                return std::nullopt;
            }
            format->otherTimings.push_back(std::move(*other));
        }
        if (!readKeyTimings(reader, *format, numbered)) {
            return std::nullopt;
        }
        return format;
    }
    LearnedFormat format;
    const std::optional<std::uint8_t> flags = reader.next();
    const std::optional<Layout> layout = flags ? layoutOf(*flags >> 4) : std::nullopt;
    if (!layout || (layout->fourSymbols && (*flags & hasEncoding) == 0)) {
        return std::nullopt;
    }
    if (layout->carrier) {
        const std::optional<std::uint8_t> carrier = reader.next();
        if (!carrier || *carrier == 0) {
            return std::nullopt;
        }
        format.carrierKHz = *carrier;
    }
    const std::optional<std::uint8_t> counts = reader.next();
    if (!counts) {
        return std::nullopt;
    }
    const std::size_t markCount = *counts >> 4;
    const std::size_t spaceCount = *counts & 0xF;
    if (markCount == 0 || markCount > maxClusters || spaceCount > maxClusters) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < markCount + spaceCount; ++i) {
        const std::optional<std::uint8_t> code = reader.next();
        if (!code) {
            return std::nullopt;
        }
        (i < markCount ? format.markCodes : format.spaceCodes).push_back(*code);
    }
    const std::size_t symbolCount = (*flags & hasEncoding) == 0 ? 0 : layout->fourSymbols ? fourSymbols : 2;
    const bool packed = packedAlphabet(*layout, markCount, spaceCount);
    for (std::size_t i = 0; i < (packed ? symbolCount / 2 : symbolCount); ++i) {
        const std::optional<std::uint8_t> byte = reader.next();
        if (!byte) {
            return std::nullopt;
        }
        const auto crumb = [&](int shift) { return static_cast<std::uint8_t>(*byte >> shift & 3); };
        const std::vector<Pair> symbols =
            packed ? std::vector<Pair>{{crumb(6), crumb(4)}, {crumb(2), crumb(0)}} : std::vector<Pair>{pairOf(*byte)};
        for (const Pair symbol : symbols) {
            if (!validPair(format, symbol)) {
                return std::nullopt;
            }
            format.alphabet.push_back(symbol);
        }
    }
    format.repeatsLast = (*flags & repeatsLastFrame) != 0;
    format.keyedTiming = layout->keyedTiming;
    if (format.keyedTiming && !format.repeatsLast) {
        return std::nullopt;
    }
    const std::optional<std::uint8_t> frameCount = reader.next();
    if (!frameCount || *frameCount == 0) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < *frameCount; ++i) {
        // Every frame but a last one that does not repeat is followed by a gap,
        // unless the parts carry the gaps.
        const bool needsGap = !format.keyedTiming && (i + 1 < *frameCount || format.repeatsLast);
        std::optional<Frame> frame = readFrame(reader, format, needsGap || !layout->current);
        if (!frame || needsGap != (frame->gapMs > 0)) {
            return std::nullopt;
        }
        format.frames.push_back(std::move(*frame));
    }
    if ((*flags & hasExtraBits) != 0) {
        const std::optional<std::uint16_t> bitCount = reader.count(layout->compact);
        if (!bitCount) {
            return std::nullopt;
        }
        const std::size_t count = *bitCount;
        std::uint8_t byte = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (i % 8 == 0) {
                const std::optional<std::uint8_t> next = reader.next();
                if (!next) {
                    return std::nullopt;
                }
                byte = *next;
            }
            format.extraBits.push_back((byte >> (7 - i % 8) & 1) != 0);
        }
        if (count == 0) {
            return std::nullopt;
        }
    }
    if ((*flags & hasAdjustments) != 0 && !readAdjustments(reader, format, layout->compact)) {
        return std::nullopt;
    }
    if (format.extraBits.size() + format.partBitCount() != format.bitCount()) {
        return std::nullopt;
    }
    return format;
}

int LearnedFormat::carrierHz() const
{
    return carrierKHz > 0 ? carrierKHz * 1000 : defaultCarrierHz;
}

std::size_t LearnedFormat::bitsPerSymbol(std::size_t symbols)
{
    return symbols == fourSymbols ? 2 : 1;
}

std::size_t LearnedFormat::bitCount() const
{
    std::size_t count = 0;
    for (const Frame &frame : frames) {
        for (const Token &token : frame.tokens) {
            count += token.bits;
        }
    }
    return count * bitsPerSymbol(alphabet.size());
}

std::size_t LearnedFormat::partBitCount() const
{
    return std::min(bitCount(), LearnedParts::capacity(partShape()));
}

LearnedParts::Shape LearnedFormat::partShape() const
{
    if (!keyedTiming) {
        return {repeatsLast, 0, 0, 0};
    }
    LearnedParts::Shape shape{repeatsLast, markCodes.size() + spaceCodes.size(), frames.size(), 0};
    // The room the bits leave takes adjustments.
    const std::size_t room = LearnedParts::capacity(shape);
    shape.adjustments = room > bitCount() ? (room - bitCount()) / LearnedParts::adjustmentBits : 0;
    return shape;
}

int LearnedFormat::gapMsOf(double microseconds)
{
    // Sent as the middle of its millisecond.
    return std::clamp(static_cast<int>(std::lround((microseconds - 500) / 1000)), 1, maxGapMs);
}

std::uint8_t LearnedFormat::gapByteOf(double microseconds) const
{
    if (!keyedTiming) {
        return static_cast<std::uint8_t>(gapMsOf(microseconds));
    }
    const double steps = keyedGapSteps * std::log2(std::max(microseconds, 1.0) / keyedGapBaseUs);
    return static_cast<std::uint8_t>(std::clamp(std::lround(steps), 1L, 255L));
}

int LearnedFormat::gapOfByte(std::uint8_t byte) const
{
    if (byte == 0) {
        return 0;
    }
    return keyedTiming ? static_cast<int>(std::lround(keyedGapBaseUs * std::exp2(byte / keyedGapSteps)))
                       : byte * 1000 + 500;
}

std::vector<std::uint8_t> LearnedFormat::gapsOf(const IrSignal &signal, std::size_t body) const
{
    std::vector<std::uint8_t> gaps;
    for (std::size_t f = 0; f + 1 < body; ++f) {
        const bool followed = f + 1 < signal.frames.size();
        gaps.push_back(followed ? gapByteOf(signal.frames[f].gapAfterUs) : 0);
    }
    if (body == 0 || body + 1 > signal.frames.size()) {
        gaps.push_back(0);
        return gaps;
    }
    // Half-way between the shortest and the longest: no repeat's gap further from it than need be.
    const auto repeatGaps =
        std::minmax_element(signal.frames.begin() + static_cast<std::ptrdiff_t>(body - 1), signal.frames.end() - 1,
                            [](const IrFrame &a, const IrFrame &b) { return a.gapAfterUs < b.gapAfterUs; });
    gaps.push_back(gapByteOf((repeatGaps.first->gapAfterUs + repeatGaps.second->gapAfterUs) / 2.0));
    return gaps;
}

std::optional<IrSignal> LearnedFormat::signal(const std::array<std::uint8_t, 16> &parts) const
{
    const std::uint32_t tag = tagOf(parts);
    const auto own =
        std::find_if(keyTimings.begin(), keyTimings.end(), [tag](const KeyTiming &key) { return key.tag == tag; });
    if (own != keyTimings.end() && own->timing > 0) {
        // The key's timing is another, its parts read as a bundle's.
        LearnedFormat timing = otherTimings[own->timing - 1];
        timing.wideTags = wideTags;
        timing.keyTimings = {KeyTiming{tag, 0, own->adjustments}};
        return timing.signal(parts);
    }
    std::optional<LearnedParts::Content> content =
        LearnedParts::unpack(parts, partBitCount(), partShape(), !keyTimings.empty());
    if (!content || frames.empty() || (repeatsLast && content->repeats == 0 && !keyedTiming)) {
        return std::nullopt;
    }
    // With the timing the key's, the count says how often the last frame goes
    // out, none at all for a key that sent only the frames before it; a gap
    // is there exactly when a frame follows.
    const std::size_t lastCopies = keyedTiming ? content->repeats : 1U + content->repeats;
    if (lastCopies == 0 && frames.size() < 2) {
        return std::nullopt;
    }
    for (std::size_t f = 0; f < content->gaps.size(); ++f) {
        const bool followed = f + 2 < frames.size() || lastCopies >= (f + 2 == frames.size() ? 1U : 2U);
        if ((content->gaps[f] > 0) != followed) {
            return std::nullopt;
        }
    }
    std::vector<bool> &bits = content->bits;
    bits.insert(bits.end(), extraBits.begin(), extraBits.end());
    const Lengths lengths = lengthsOf(*this, content->stretches);
    IrSignal signal;
    signal.carrierHz = carrierHz();
    std::size_t next = 0;
    std::size_t position = 0;
    auto adjustment = adjustments.begin();
    const auto gapAdjustments = std::find_if(adjustments.begin(), adjustments.end(),
                                             [](const Adjustment &a) { return a.position >= firstGapPosition; });
    const auto adjust = [&](IrFrame &out) {
        for (; adjustment != gapAdjustments && adjustment->position < position + out.durations.size(); ++adjustment) {
            out.durations[adjustment->position - position] = lengthOfCode(adjustment->code);
        }
        position += out.durations.size();
    };
    for (std::size_t f = 0; f < frames.size(); ++f) {
        IrFrame out;
        appendFrame(*this, lengths, frames[f], bits, next, out.durations);
        adjust(out);
        out.gapAfterUs = gapOfByte(static_cast<std::uint8_t>(!keyedTiming               ? frames[f].gapMs
                                                             : f < content->gaps.size() ? content->gaps[f]
                                                                                        : 0));
        signal.frames.push_back(std::move(out));
    }
    if (adjustment != gapAdjustments && !repeatsLast) {
        return std::nullopt;
    }
    // Positions beyond the body are the repeats' own, as the capture that made
    // the format measured them; a key held for fewer repeats leaves the rest.
    const IrFrame repeated = signal.frames.back();
    if (lastCopies == 0) {
        signal.frames.pop_back();
    }
    for (std::size_t r = 1; r < lastCopies; ++r) {
        signal.frames.push_back(repeated);
        adjust(signal.frames.back());
    }
    signal.frames.back().gapAfterUs = 0;
    for (auto gap = gapAdjustments; gap != adjustments.end(); ++gap) {
        const std::size_t frame = gap->position - firstGapPosition;
        if (frame + 1 < signal.frames.size()) {
            signal.frames[frame].gapAfterUs = gap->code * 1000 + 500;
        } else if (!repeatsLast) {
            return std::nullopt;
        }
    }
    if (!adjustForKey(signal, content->adjustments)) {
        return std::nullopt;
    }
    if (own != keyTimings.end() && !adjustForKey(signal, own->adjustments)) {
        return std::nullopt;
    }
    return signal;
}
