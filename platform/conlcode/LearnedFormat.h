#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "IrSignal.h"
#include "LearnedParts.h"

// The timing of a learned format, as its format data lie in the remote's code
// area. A format lists the distinct mark and space lengths (clusters), the pair
// (mark, space) symbols that carry the key's bits when the signal has such an
// encoding (two symbols for bits 0 and 1, or four that carry two bits each, for
// codes of more than two symbols), and its frames as runs of symbols and single
// (mark, space) pairs.
// The last frame may repeat. The key's own bits are not part of it: they fill
// parts A and B of the key record (LearnedParts); bits that do not fit there
// stay with the format, which then belongs to that key alone.
//
// Bytes: [0] layout << 4 | flags (1 encoding, 2 last frame repeats, 4 extra
//            bits, 8 adjustments); layout 5, or 9 when the timing is the key's,
//            plus 1 when the carrier follows, plus 2 with a four-symbol encoding
//        with a carrier: the carrier in kHz (1 to 255); else the default carrier
//        [1] mark count << 4 | space count (1 to 14 marks, 0 to 14 spaces:
//            frames of single marks have no spaces)
//        mark lengths, then space lengths, one byte each (lengthOfCode), ascending
//        with an encoding, its symbols: of bit 0, then of bit 1; with four
//            symbols of bits 00, 01, 10, 11; each (mark << 4 | space), or with
//            at most four marks and four spaces two a byte (mark << 6 |
//            space << 4 | mark << 2 | space)
//        frame count, then per frame its gap byte (ms after it; none after a
//        last frame that does not repeat; none at all when the timing is the
//        key's) and its tokens:
//            0x00-0xDD a pair (mark << 4 | space)
//            0xF0 n: n symbols; 0xF2-0xFF: 1 to 14 symbols
//            0xE0 | mark: the closing mark
//            0xF1 n: n symbols, the last one a mark alone, closing the frame;
//            (n - 1) << 4 | 0x0F: the same for 1 to 14 symbols
//            0xDE alone: the tokens of the frame before (its bits its own)
//        with extra bits: their count (a number), the bits MSB first
//        with adjustments: their count (a number), then each its position
//            among the frames' marks and spaces (a number: how far past the
//            one before, past -1 for the first) and its length code: the few
//            lengths that their cluster's mean would miss by more than a
//            faithful copy allows; positions beyond the frames go on through
//            the repeats of the last frame; from 0x8000 on a position is
//            0x8000 + the number of a sent frame, its code the gap after it in ms
//        a number: 7 bits a byte, lowest first, the top bit set on all but the
//            last, at most 0xFFFF
// With the timing the key's (layouts 9 to 12, always with the last frame
// repeating), parts A and B carry it (LearnedParts): a stretch of every mark
// and space length, in steps of the length scale; a gap byte after every
// frame, the last one's the gap between its copies, 0 where no frame follows;
// and the count, how often the last frame goes out, none for a key that sent
// only the frames before it. So the keys of a remote share its format however
// each capture's lengths stray, and whether they were held for more or fewer
// frames; the format's lengths are those of the key that stored it.
// A bundle (layout 13) is such a format with the timing of keys whose parts
// have no room for all of it: the byte 0xD0, the format's bytes as above
// after their count (a number), then the count of keys (a number) and for
// each the digest of its parts (4 bytes, high first, FormatDigest::partsTag)
// and its adjustments as the parts hold them (LearnedParts): their count,
// then each its position (a number, past the one before) and its steps (a
// signed byte). The parts of a bundle's keys may hold a variant in the room
// after their data bits. A bundle keeps the id of its timing: keys stored
// before it grew send as they did, and the keys of a remote's timing share
// one slot.
// A bundle of timings (layout 14) also holds keys of other frame structures:
// the byte 0xE0, its own timing's bytes after their count, then the count of
// other timings and each one's bytes (layouts 5 to 12) after their count,
// then its keys as in layout 13, each with the number of the timing it uses
// after its digest (a number: 0 its own, 1 the first other one), and no
// adjustments at all allowed for a key of another timing. So a remote full of
// slots still takes keys of any structure while its blocks last.
// Layout 15 is either with two-byte tags (the low half of the digest): the
// byte 0xF0 for layout 13's fields, 0xF1 for layout 14's. Bundles are written
// so now; one read from layout 13 or 14 keeps its four-byte tags, which its
// keys' records were checked against. Two bytes do: no key gets parts whose
// tag another key of the bundle has, and a key without a timing of its own
// is checked as the bundle sends it. A new format may be a bundle of its one
// key: where the key's capture strays from the format's timing, the strays
// go with the key (LearnedFormatFit::withStraysOfItsKey).
// Layouts written before, still read: 3 and 4 (4 with the carrier) with two
// symbols, each alphabet symbol a byte and a gap byte after every frame; 1
// and 2 likewise with every count and position two bytes, high first.
// Reading stops at the end of these fields: the code area pads to 8-byte blocks.
class LearnedFormat
{
public:
    static constexpr std::size_t maxClusters = 14;
    static constexpr std::size_t maxRun = 255;
    // The carrier of most remotes: formats whose capture gave none go out at it.
    static constexpr int defaultCarrierHz = 38000;

    struct Pair
    {
        std::uint8_t mark = 0;
        std::uint8_t space = 0;
        bool operator==(const Pair &) const = default;
    };
    enum class TokenKind : std::uint8_t
    {
        Pair,       // one mark and one space
        Bits,       // `bits` symbols of the encoding
        FinalMark,  // the frame's closing mark (pair.mark)
        FinalBits,  // `bits` symbols, the last as its mark alone: closes the frame
    };
    struct Token
    {
        TokenKind kind = TokenKind::Pair;
        Pair pair;
        std::size_t bits = 0;
        bool operator==(const Token &) const = default;
    };
    struct Frame
    {
        std::vector<Token> tokens;
        int gapMs = 0;
        bool operator==(const Frame &) const = default;
    };

    std::vector<std::uint8_t> markCodes;
    std::vector<std::uint8_t> spaceCodes;
    // None without an encoding; bit 0, bit 1; or bits 00, 01, 10, 11.
    std::vector<Pair> alphabet;
    static constexpr std::size_t fourSymbols = 4;
    // The bits each symbol of an alphabet of `symbols` carries.
    static std::size_t bitsPerSymbol(std::size_t symbols);
    std::vector<Frame> frames;
    bool repeatsLast = false;
    // The lengths' stretches, the gaps and the count come with each key's parts.
    bool keyedTiming = false;
    std::vector<bool> extraBits;
    struct Adjustment
    {
        std::uint16_t position = 0;
        std::uint8_t code = 0;
        bool operator==(const Adjustment &) const = default;
    };
    std::vector<Adjustment> adjustments;
    // In a bundle: the lengths and gaps of keys beyond what their parts hold.
    struct KeyTiming
    {
        std::uint32_t tag = 0;   // tagOf the key's parts
        std::size_t timing = 0;  // 0: the format's own, else otherTimings[timing - 1]
        std::vector<LearnedParts::Adjustment> adjustments;
        bool operator==(const KeyTiming &) const = default;
    };
    std::vector<KeyTiming> keyTimings;
    // In a bundle: timings of other frame structures, each used by the keys whose entry names it.
    std::vector<LearnedFormat> otherTimings;
    // A bundle of layout 13 or 14, its keys' tags four bytes: it keeps them when it grows.
    bool wideTags = false;
    // What names the key with `parts` among the bundle's keys: FormatDigest::partsTag,
    // its low two bytes unless the tags are wide.
    std::uint32_t tagOf(const std::array<std::uint8_t, 16> &parts) const;
    static constexpr std::uint16_t firstGapPosition = 0x8000;
    // 0 when unknown; formats stored before it was recorded read as 0.
    std::uint8_t carrierKHz = 0;
    int carrierHz() const;

    // Lengths are stored on a scale of 2^(1/24) from 16 us: 1.5 % at most off.
    static int lengthOfCode(std::uint8_t code);
    static std::uint8_t codeOfLength(double microseconds);
    // A length stretched by a key: in quarters of the scale's steps, 0.7 % each.
    static constexpr int stretchesPerStep = 4;
    static int stretchedLength(std::uint8_t code, int stretch);
    // The code that sends the most of `lengths` faithfully, among equals the
    // nearest to their mean: one length for all of them.
    static std::uint8_t codeOfLengths(const std::vector<int> &lengths);

    std::vector<std::uint8_t> serialize() const;
    // The bytes of the timing alone, a bundle's keys left out: what the id digests.
    std::vector<std::uint8_t> timingData() const;
    // Nothing when the bytes are not a well-formed format.
    static std::optional<LearnedFormat> parse(const std::vector<std::uint8_t> &bytes);

    // The data bits of all frames.
    std::size_t bitCount() const;
    // How many of them parts A and B carry.
    std::size_t partBitCount() const;
    // What besides the bits they carry.
    LearnedParts::Shape partShape() const;

    // A gap between frames in whole ms (1 to 255): what a frame's gap byte holds.
    static int gapMsOf(double microseconds);
    // A gap byte: whole ms, sent as the middle of its millisecond; with the
    // timing the key's, steps of 2^(1/32) from 1 ms, 1.1 % at most off. 0: none.
    std::uint8_t gapByteOf(double microseconds) const;
    int gapOfByte(std::uint8_t byte) const;
    // The gap bytes of `signal` read as `body` frames and then repeats of the
    // last: after each but the last its own, after the last the one between its
    // repeats (half-way between the shortest and the longest); 0 where no frame follows.
    std::vector<std::uint8_t> gapsOf(const IrSignal &signal, std::size_t body) const;
    // The key's signal: the format's timing with the bits and repeat count of
    // `parts`; nothing when the parts do not fit the format.
    std::optional<IrSignal> signal(const std::array<std::uint8_t, 16> &parts) const;

    bool operator==(const LearnedFormat &) const = default;
};
