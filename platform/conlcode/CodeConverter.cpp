#include "CodeConverter.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <vector>

#include "DurationText.h"
#include "FaithfulCopy.h"
#include "FormatDigest.h"
#include "HexText.h"
#include "KnownProtocols.h"
#include "LearnedFormatBuilder.h"
#include "LearnedFormatFit.h"

namespace
{
// Fewer marks than this are noise, not a code.
constexpr int minMarks = 4;
// Format data take at most 255 blocks of 8 bytes: the block count is one byte.
constexpr std::size_t maxFormatBytes = 255 * 8;
// What a new format's strays may cost more as its key's (a bundle's entry) than as the format's.
constexpr std::size_t strayBytes = 8;

// The remote's capture buffer holds 2560 words of which the closing takes 22;
// a capture that comes within one long space of that was cut off, and its last
// frame most likely with it. The receiver stores a mark of u = 3 (us + 58)
// units, a space of 3 (us - 58), in words of up to 0x7FFF units.
constexpr int captureWords = 2560 - 22;
constexpr int cutMargin = 40;
constexpr int longestWord = 0x7FFF;

int markWords(int us)
{
    return 3 * (us + 58) > longestWord ? 2 : 1;
}

int spaceWords(int us)
{
    return std::max(3 * (us - 58), 0) / longestWord + 1;
}

void dropCutFrame(IrSignal &signal)
{
    int words = 0;
    for (const IrFrame &frame : signal.frames) {
        for (std::size_t i = 0; i < frame.durations.size(); ++i) {
            words += i % 2 == 0 ? markWords(frame.durations[i]) : spaceWords(frame.durations[i]);
        }
        words += frame.gapAfterUs > 0 ? spaceWords(frame.gapAfterUs) : 0;
    }
    if (words >= captureWords - cutMargin && signal.frames.size() > 1) {
        signal.frames.pop_back();
        signal.frames.back().gapAfterUs = 0;
    }
}

std::string result(std::string_view id, const std::array<std::uint8_t, 16> &parts, std::string_view dataHex)
{
    return std::string(id) + "::" + HexText::formatBytes(parts.data(), 8) + ":"
           + HexText::formatBytes(parts.data() + 8, 8) + ":::" + std::string(dataHex);
}

std::string result(std::uint32_t id, const std::array<std::uint8_t, 16> &parts, const std::vector<std::uint8_t> &data)
{
    return result(HexText::format(id, 6), parts, HexText::formatBytes(data.data(), data.size()));
}

struct StoredFormat
{
    std::string_view id;
    std::string_view dataHex;
    LearnedFormat format;
    // Digests of the parts of the keys that use it, when the caller listed
    // them: only with them can it grow into a bundle.
    std::optional<std::set<std::uint32_t>> liveTags;
};

// The parts of the key record a capture is about to replace, and its format's id.
struct ReplacedKey
{
    std::string_view id;
    std::array<std::uint8_t, 16> parts{};
};

struct StoredFormats
{
    std::vector<StoredFormat> formats;
    std::optional<ReplacedKey> replaced;
    // No slot is free for a format of the key's own.
    bool slotsFull = false;
    // The most bytes a stored format's new data may take.
    std::size_t room = maxFormatBytes;
};

// The parts of 16 bytes each in `partsHex`; nothing when it is not that.
std::optional<std::vector<std::array<std::uint8_t, 16>>> partsOf(std::string_view partsHex)
{
    const std::optional<std::vector<std::uint8_t>> bytes =
        partsHex.empty() ? std::optional<std::vector<std::uint8_t>>(std::in_place) : HexText::bytes(partsHex);
    if (!bytes || bytes->size() % 16 != 0) {
        return std::nullopt;
    }
    std::vector<std::array<std::uint8_t, 16>> out(bytes->size() / 16);
    for (std::size_t k = 0; k < out.size(); ++k) {
        std::copy_n(bytes->begin() + static_cast<std::ptrdiff_t>(16 * k), 16, out[k].begin());
    }
    return out;
}

// The items that are formats, in the order given, and the replaced key's; the rest are passed over.
StoredFormats storedFormatsOf(std::string_view storedFormats)
{
    constexpr std::string_view replacedItem = "replaced:";
    StoredFormats out;
    while (!storedFormats.empty()) {
        const std::size_t end = std::min(storedFormats.find(';'), storedFormats.size());
        std::string_view item = storedFormats.substr(0, end);
        storedFormats.remove_prefix(std::min(end + 1, storedFormats.size()));
        if (item == "slotsfull") {
            out.slotsFull = true;
            continue;
        }
        constexpr std::string_view roomItem = "room:";
        if (item.substr(0, roomItem.size()) == roomItem) {
            std::size_t bytes = 0;
            const auto digits = item.substr(roomItem.size());
            if (std::from_chars(digits.data(), digits.data() + digits.size(), bytes).ptr
                == digits.data() + digits.size()) {
                out.room = std::min(out.room, bytes);
            }
            continue;
        }
        const bool replaced = item.substr(0, replacedItem.size()) == replacedItem;
        item.remove_prefix(replaced ? replacedItem.size() : 0);
        const std::size_t colon = item.find(':');
        if (colon != 6 || !HexText::parse(item.substr(0, colon))) {
            continue;
        }
        const std::string_view id = item.substr(0, colon);
        item.remove_prefix(colon + 1);
        if (replaced) {
            const auto parts = partsOf(item);
            if (parts && parts->size() == 1) {
                out.replaced = ReplacedKey{id, parts->front()};
            }
            continue;
        }
        StoredFormat stored;
        stored.id = id;
        const std::size_t keys = item.find(':');
        stored.dataHex = item.substr(0, keys);
        const std::optional<std::vector<std::uint8_t>> data = HexText::bytes(stored.dataHex);
        const std::optional<LearnedFormat> format = data ? LearnedFormat::parse(*data) : std::nullopt;
        if (!format) {
            continue;
        }
        stored.format = *format;
        if (keys != std::string_view::npos) {
            const auto parts = partsOf(item.substr(keys + 1));
            if (!parts) {
                continue;
            }
            stored.liveTags.emplace();
            for (const std::array<std::uint8_t, 16> &key : *parts) {
                stored.liveTags->insert(format->tagOf(key));
            }
        }
        out.formats.push_back(std::move(stored));
    }
    return out;
}

// The format without the timing of keys no longer listed, and of `kept`'s, when the caller listed them.
LearnedFormat liveFormat(const StoredFormat &stored, std::optional<std::uint32_t> kept = std::nullopt)
{
    if (!stored.liveTags) {
        return stored.format;
    }
    std::set<std::uint32_t> tags = *stored.liveTags;
    if (kept) {
        tags.insert(*kept);
    }
    return LearnedFormatFit::withoutStaleKeys(stored.format, tags);
}

// The key with `parts` of the stored format, as `grown` holds it: the data
// as given while they are the same, else the new data; nothing when those
// take more than `room` bytes.
std::optional<std::string> storedResult(const StoredFormat &stored, const LearnedFormat &grown,
                                        const std::array<std::uint8_t, 16> &parts, std::size_t room)
{
    if (grown.keyTimings == stored.format.keyTimings && grown.otherTimings == stored.format.otherTimings) {
        return result(stored.id, parts, stored.dataHex);
    }
    const std::vector<std::uint8_t> data = grown.serialize();
    if (data.size() > room) {
        return std::nullopt;
    }
    return result(stored.id, parts, HexText::formatBytes(data.data(), data.size()));
}

// The first stored format that sends the signal faithfully; else, for a key
// learned again, its old parts where they, with their own timing, still do;
// else the format that holds the key's timing as a bundle with the fewest
// lengths of its own. So a key costs a bundle's timing only where no format
// alone can send it.
std::optional<std::string> storedResult(const IrSignal &signal, const StoredFormats &stored)
{
    for (const StoredFormat &format : stored.formats) {
        const LearnedFormat live = liveFormat(format);
        const auto parts = LearnedFormatFit::partsFor(live, signal);
        if (std::optional<std::string> fit = parts ? storedResult(format, live, *parts, stored.room) : std::nullopt) {
            return fit;
        }
    }
    for (const StoredFormat &format : stored.formats) {
        if (!stored.replaced || format.id != stored.replaced->id) {
            continue;
        }
        const std::array<std::uint8_t, 16> &parts = stored.replaced->parts;
        const LearnedFormat live = liveFormat(format, format.format.tagOf(parts));
        const std::optional<IrSignal> sent = live.signal(parts);
        std::optional<std::string> kept = sent && FaithfulCopy::faithful(*sent, signal)
                                              ? storedResult(format, live, parts, stored.room)
                                              : std::nullopt;
        if (kept) {
            return kept;
        }
    }
    std::optional<std::string> best;
    std::size_t fewest = 0;
    for (const StoredFormat &format : stored.formats) {
        const auto extension =
            format.liveTags ? LearnedFormatFit::extended(format.format, signal, *format.liveTags) : std::nullopt;
        if (!extension) {
            continue;
        }
        const std::size_t own = extension->format.keyTimings.back().adjustments.size();
        std::optional<std::string> grown = storedResult(format, extension->format, extension->parts, stored.room);
        if (grown && (!best || own < fewest)) {
            best = grown;
            fewest = own;
        }
    }
    return best;
}

// With no slot left, the key's own format `learned` as another timing of the
// stored format that grows least by it.
std::optional<std::string> joinedResult(const IrSignal &signal, const LearnedCode &learned, const StoredFormats &stored)
{
    std::optional<std::string> best;
    std::size_t smallest = 0;
    for (const StoredFormat &format : stored.formats) {
        const auto extension = format.liveTags
                                   ? LearnedFormatFit::withTiming(format.format, learned, signal, *format.liveTags)
                                   : std::nullopt;
        std::optional<std::string> grown =
            extension ? storedResult(format, extension->format, extension->parts, stored.room) : std::nullopt;
        if (grown && (!best || grown->size() < smallest)) {
            best = grown;
            smallest = grown->size();
        }
    }
    return best;
}

// A format of the key's own: where the caller offered what the remote holds,
// the capture's strays go with the key (LearnedFormatFit::withStraysOfItsKey)
// while the data fit the room; else the format as built. Never one whose id a
// stored format with other data has: the caller would take the key for one
// of that format's, or replace its data and lose its keys' timing. Such a key
// (one whose parts a listed key's share, its timing the same) gets a timing
// apart, its first symbols fixed, where it has the bits for one.
std::string newFormatResult(const IrSignal &signal, const std::optional<LearnedCode> &learned,
                            const std::optional<StoredFormats> &stored)
{
    if (!learned) {
        return {};
    }
    std::vector<LearnedCode> candidates;
    if (std::optional<LearnedCode> bundled =
            stored ? LearnedFormatFit::withStraysOfItsKey(*learned, signal) : std::nullopt) {
        // Strays that cost many more bytes as the key's recur in every repeat: the remote's, not the capture's.
        if (bundled->format.serialize().size()
            <= std::min(stored->room, learned->format.serialize().size() + strayBytes)) {
            candidates.push_back(std::move(*bundled));
        }
    }
    candidates.push_back(*learned);
    if (stored) {
        const std::vector<LearnedCode> shifted = LearnedFormatFit::shiftedCodes(*learned, signal);
        candidates.insert(candidates.end(), shifted.begin(), shifted.end());
    }
    for (const LearnedCode &code : candidates) {
        const std::vector<std::uint8_t> data = code.format.serialize();
        if (data.size() > maxFormatBytes) {
            continue;
        }
        const std::uint32_t id = FormatDigest::formatId(code.format);
        const auto sameId = [&](const StoredFormat &format) { return HexText::parse(format.id) == id; };
        const auto holder = stored ? std::find_if(stored->formats.begin(), stored->formats.end(), sameId)
                                   : std::vector<StoredFormat>::const_iterator();
        if (!stored || holder == stored->formats.end()) {
            return result(id, code.parts, data);
        }
        if (holder->format == code.format) {
            return result(holder->id, code.parts, holder->dataHex);
        }
    }
    return {};
}
}  // namespace

std::string CodeConverter::convert(std::string_view durationText, int carrierHz,
                                   std::optional<std::string_view> storedFormats)
{
    std::optional<IrSignal> signal = DurationText::parse(durationText);
    if (!signal || (signal->durationCount() + static_cast<int>(signal->frames.size())) / 2 < minMarks) {
        return {};
    }
    signal->carrierHz = std::max(carrierHz, 0);
    dropCutFrame(*signal);
    if (std::optional<KnownCode> known = KnownProtocols::decode(*signal)) {
        // Sent again at the carrier heard: the device may listen at another than the protocol's.
        known->carrierKHz = KnownCode::carrierKHzOf(signal->carrierHz);
        return result(known->formatId, known->parts(), {});
    }
    const std::optional<StoredFormats> stored =
        storedFormats ? std::optional(storedFormatsOf(*storedFormats)) : std::nullopt;
    if (std::optional<std::string> fit = stored ? storedResult(*signal, *stored) : std::nullopt) {
        return *fit;
    }
    const std::optional<LearnedCode> learned = LearnedFormatBuilder::build(*signal);
    if (std::optional<std::string> joined =
            learned && stored && stored->slotsFull ? joinedResult(*signal, *learned, *stored) : std::nullopt) {
        return *joined;
    }
    return newFormatResult(*signal, learned, stored);
}
