#include "FormatCodec.h"

#include <algorithm>
#include <array>

#include "HexText.h"
#include "KnownProtocols.h"
#include "LearnedFormat.h"

namespace
{
constexpr std::size_t recordBytes = 22;
constexpr std::size_t partsOffset = 6;
constexpr std::uint8_t storedCode = 0xC0;
constexpr std::uint8_t learnedFormat = 0x80;

using Record = std::vector<std::uint8_t>;

std::optional<Record> storedRecord(std::string_view recordHex)
{
    std::optional<Record> record = HexText::bytes(recordHex);
    if (!record || record->size() != recordBytes || (*record)[0] != storedCode || (*record)[1] != 0) {
        return std::nullopt;
    }
    return record;
}

std::array<std::uint8_t, 16> partsOf(const Record &record)
{
    std::array<std::uint8_t, 16> parts{};
    std::copy(record.begin() + partsOffset, record.end(), parts.begin());
    return parts;
}

std::optional<KnownCode> knownCodeOf(const Record &record)
{
    if (record[2] != 0) {
        return std::nullopt;
    }
    const std::uint32_t id =
        static_cast<std::uint32_t>(record[3]) << 16 | static_cast<std::uint32_t>(record[4]) << 8 | record[5];
    return KnownCode::fromParts(id, partsOf(record));
}
}  // namespace

std::optional<IrSignal> FormatCodec::regenerate(std::string_view recordHex, std::string_view formatDataHex)
{
    const std::optional<Record> record = storedRecord(recordHex);
    if (!record) {
        return std::nullopt;
    }
    const std::uint8_t kind = (*record)[2];
    if (kind == 0) {
        const std::optional<KnownCode> code = knownCodeOf(*record);
        if (!code) {
            return std::nullopt;
        }
        return KnownProtocols::encode(*code);
    }
    if (kind != learnedFormat) {
        return std::nullopt;
    }
    const std::optional<std::vector<std::uint8_t>> data = HexText::bytes(formatDataHex);
    if (!data) {
        return std::nullopt;
    }
    const std::optional<LearnedFormat> format = LearnedFormat::parse(*data);
    if (!format) {
        return std::nullopt;
    }
    return format->signal(partsOf(*record));
}

std::optional<KnownCode> FormatCodec::knownCode(std::string_view recordHex)
{
    const std::optional<Record> record = storedRecord(recordHex);
    return record ? knownCodeOf(*record) : std::nullopt;
}
