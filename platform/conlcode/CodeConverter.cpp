#include "CodeConverter.h"

#include <algorithm>

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

// The first stored format that sends the signal faithfully, as its item's own
// text; items that are no format are passed over.
std::optional<std::string> storedResult(const IrSignal &signal, std::string_view storedFormats)
{
    while (!storedFormats.empty()) {
        const std::size_t end = std::min(storedFormats.find(';'), storedFormats.size());
        const std::string_view item = storedFormats.substr(0, end);
        storedFormats.remove_prefix(std::min(end + 1, storedFormats.size()));
        const std::size_t colon = item.find(':');
        if (colon != 6 || !HexText::parse(item.substr(0, colon))) {
            continue;
        }
        const std::string_view dataHex = item.substr(colon + 1);
        const std::optional<std::vector<std::uint8_t>> data = HexText::bytes(dataHex);
        const std::optional<LearnedFormat> format = data ? LearnedFormat::parse(*data) : std::nullopt;
        if (const auto parts = format ? LearnedFormatFit::partsFor(*format, signal) : std::nullopt) {
            return result(item.substr(0, colon), *parts, dataHex);
        }
    }
    return std::nullopt;
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
