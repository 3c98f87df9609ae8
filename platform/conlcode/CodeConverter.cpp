#include "CodeConverter.h"

#include <algorithm>
#include <set>
#include <vector>

#include "DurationText.h"
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

// The items that are formats, in the order given; the rest are passed over.
std::vector<StoredFormat> storedFormatsOf(std::string_view storedFormats)
{
    std::vector<StoredFormat> out;
    while (!storedFormats.empty()) {
        const std::size_t end = std::min(storedFormats.find(';'), storedFormats.size());
        std::string_view item = storedFormats.substr(0, end);
        storedFormats.remove_prefix(std::min(end + 1, storedFormats.size()));
        const std::size_t colon = item.find(':');
        if (colon != 6 || !HexText::parse(item.substr(0, colon))) {
            continue;
        }
        StoredFormat stored;
        stored.id = item.substr(0, colon);
        item.remove_prefix(colon + 1);
        const std::size_t keys = item.find(':');
        stored.dataHex = item.substr(0, keys);
        const std::optional<std::vector<std::uint8_t>> data = HexText::bytes(stored.dataHex);
        const std::optional<LearnedFormat> format = data ? LearnedFormat::parse(*data) : std::nullopt;
        if (!format) {
            continue;
        }
        stored.format = *format;
        if (keys != std::string_view::npos) {
            const std::string_view partsHex = item.substr(keys + 1);
            const std::optional<std::vector<std::uint8_t>> parts =
                partsHex.empty() ? std::optional<std::vector<std::uint8_t>>(std::in_place) : HexText::bytes(partsHex);
            if (!parts || parts->size() % 16 != 0) {
                continue;
            }
            stored.liveTags.emplace();
            for (std::size_t k = 0; k < parts->size(); k += 16) {
                std::array<std::uint8_t, 16> key{};
                std::copy_n(parts->begin() + static_cast<std::ptrdiff_t>(k), key.size(), key.begin());
                stored.liveTags->insert(FormatDigest::partsTag(key));
            }
        }
        out.push_back(std::move(stored));
    }
    return out;
}

// The first stored format that sends the signal faithfully, with its data as
// given; else the one that holds the key's timing as a bundle with the
// fewest lengths of its own.
std::optional<std::string> storedResult(const IrSignal &signal, std::string_view storedFormats)
{
    const std::vector<StoredFormat> stored = storedFormatsOf(storedFormats);
    for (const StoredFormat &format : stored) {
        if (const auto parts = LearnedFormatFit::partsFor(format.format, signal)) {
            return result(format.id, *parts, format.dataHex);
        }
    }
    std::optional<std::string> best;
    std::size_t fewest = 0;
    for (const StoredFormat &format : stored) {
        const auto extension =
            format.liveTags ? LearnedFormatFit::extended(format.format, signal, *format.liveTags) : std::nullopt;
        if (!extension) {
            continue;
        }
        const std::size_t own = extension->format.keyTimings.back().adjustments.size();
        const std::vector<std::uint8_t> data = extension->format.serialize();
        if (data.size() <= maxFormatBytes && (!best || own < fewest)) {
            best = result(format.id, extension->parts, HexText::formatBytes(data.data(), data.size()));
            fewest = own;
        }
    }
    return best;
}
}  // namespace

std::string CodeConverter::convert(std::string_view durationText, int carrierHz, std::string_view storedFormats)
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
    if (std::optional<std::string> stored = storedResult(*signal, storedFormats)) {
        return *stored;
    }
    const std::optional<LearnedCode> learned = LearnedFormatBuilder::build(*signal);
    if (!learned) {
        return {};
    }
    const std::vector<std::uint8_t> data = learned->format.serialize();
    if (data.size() > maxFormatBytes) {
        return {};
    }
    return result(FormatDigest::formatId(learned->format), learned->parts, data);
}
