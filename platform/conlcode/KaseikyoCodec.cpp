#include "KaseikyoCodec.h"

#include <algorithm>
#include <array>

#include "PulseBits.h"

namespace
{
constexpr int unit = 432;
constexpr int gapUs = 173 * unit;
constexpr int carrierHz = 37000;
constexpr int dataBits = 48;
constexpr PulseBits::Encoding encoding{{unit, unit}, {unit, 3 * unit}, false};
constexpr std::uint8_t panasonicM = 2;
constexpr std::uint8_t panasonicN = 32;

using Bytes = std::array<std::uint8_t, 6>;

std::optional<Bytes> frameBytes(const IrFrame &frame)
{
    std::size_t pos = 0;
    const std::vector<int> &d = frame.durations;
    if (d.size() != 2 + 2 * dataBits + 1 || !PulseBits::expect(d, pos, 8 * unit)
        || !PulseBits::expect(d, pos, 4 * unit)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> bits = PulseBits::read(d, pos, dataBits, encoding);
    if (!bits || !PulseBits::expect(d, pos, unit)) {
        return std::nullopt;
    }
    Bytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(*bits >> (8 * i));
    }
    return bytes;
}

std::uint8_t nibbleParity(std::uint8_t value)
{
    return static_cast<std::uint8_t>((value >> 4 ^ value) & 0xF);
}

// The maker's parity X and the checksum C of the other fields.
std::uint8_t parityOf(std::uint8_t m, std::uint8_t n)
{
    return nibbleParity(static_cast<std::uint8_t>(m ^ n));
}

std::uint8_t checksumOf(std::uint8_t d, std::uint8_t s, std::uint8_t f, std::uint8_t e)
{
    return nibbleParity(static_cast<std::uint8_t>(d ^ s ^ f ^ (e << 4)));
}

// The frame's bytes of a code; nothing when its fields are out of range.
std::optional<Bytes> bytesOf(const KnownCode &code)
{
    const auto &v = code.fields;
    if (code.formatId == KnownFormats::panasonic) {
        if (std::any_of(v.begin() + 3, v.end(), [](std::uint8_t b) { return b != 0; })) {
            return std::nullopt;
        }
        const std::uint8_t d = v[KnownFormats::fieldD], s = v[KnownFormats::fieldS], f = v[KnownFormats::fieldF];
        return Bytes{panasonicM, panasonicN, d, s, f, static_cast<std::uint8_t>(d ^ s ^ f)};
    }
    const std::uint8_t d = v[KnownFormats::fieldD], e = v[KnownFormats::fieldE];
    if (d > 0xF || e > 0xF || v[6] != 0 || v[7] != 0) {
        return std::nullopt;
    }
    const std::uint8_t m = v[KnownFormats::fieldM], n = v[KnownFormats::fieldN];
    const std::uint8_t s = v[KnownFormats::fieldS], f = v[KnownFormats::fieldF];
    return Bytes{m, n, static_cast<std::uint8_t>(parityOf(m, n) | d << 4),
                 s, f, static_cast<std::uint8_t>(e | checksumOf(d, s, f, e) << 4)};
}
}  // namespace

bool KaseikyoCodec::owns(std::uint32_t formatId) const
{
    return formatId == KnownFormats::kaseikyo || formatId == KnownFormats::panasonic;
}

std::optional<KnownCode> KaseikyoCodec::decode(const IrSignal &signal) const
{
    if (signal.frames.empty() || signal.frames.size() > 256) {
        return std::nullopt;
    }
    const std::optional<Bytes> bytes = frameBytes(signal.frames.front());
    if (!bytes) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < signal.frames.size(); ++i) {
        if (frameBytes(signal.frames[i]) != bytes) {
            return std::nullopt;
        }
    }
    const Bytes &b = *bytes;
    KnownCode code;
    if (b[0] == panasonicM && b[1] == panasonicN && b[5] == (b[2] ^ b[3] ^ b[4])) {
        code.formatId = KnownFormats::panasonic;
        code.fields[KnownFormats::fieldD] = b[2];
        code.fields[KnownFormats::fieldS] = b[3];
        code.fields[KnownFormats::fieldF] = b[4];
    } else {
        code.formatId = KnownFormats::kaseikyo;
        code.fields[KnownFormats::fieldM] = b[0];
        code.fields[KnownFormats::fieldN] = b[1];
        code.fields[KnownFormats::fieldD] = b[2] >> 4;
        code.fields[KnownFormats::fieldS] = b[3];
        code.fields[KnownFormats::fieldF] = b[4];
        code.fields[KnownFormats::fieldE] = b[5] & 0xF;
        if (bytesOf(code) != bytes) {
            return std::nullopt;
        }
    }
    code.repeatCount = static_cast<std::uint8_t>(signal.frames.size() - 1);
    code.repeat = code.repeatCount > 0 ? RepeatKind::Full : RepeatKind::None;
    return code;
}

std::optional<IrSignal> KaseikyoCodec::encode(const KnownCode &code) const
{
    const std::optional<Bytes> bytes = owns(code.formatId) ? bytesOf(code) : std::nullopt;
    if (!bytes || code.toggle != 0 || code.repeat == RepeatKind::Ditto || !code.repeatsConsistent()) {
        return std::nullopt;
    }
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < bytes->size(); ++i) {
        bits |= static_cast<std::uint64_t>((*bytes)[i]) << (8 * i);
    }
    std::vector<int> frame{8 * unit, 4 * unit};
    PulseBits::write(frame, bits, dataBits, encoding);
    frame.push_back(unit);
    return IrSignal::repeated(carrierHz, PulseBits::gapped(frame, gapUs), 1u + code.repeatCount);
}

std::string KaseikyoCodec::name(const KnownCode &code) const
{
    return code.formatId == KnownFormats::panasonic ? "Panasonic" : "Kaseikyo";
}

ProtocolCodec::Fields KaseikyoCodec::fields(const KnownCode &code) const
{
    if (code.formatId == KnownFormats::panasonic) {
        return fieldsOf(code, {{"D", 0}, {"S", 1}, {"F", 2}}, false);
    }
    return fieldsOf(code, {{"D", 0}, {"S", 1}, {"F", 2}, {"E", 3}, {"M", 4}, {"N", 5}}, false);
}

std::optional<KnownCode> KaseikyoCodec::make(std::string_view name, const Fields &fields, int repeats) const
{
    if (name == "Panasonic") {
        return sendable(
            codeOf(KnownFormats::panasonic, RepeatKind::Full, repeats, fields, {{"D", 0}, {"S", 1}, {"F", 2}}, false));
    }
    if (name == "Kaseikyo") {
        return sendable(codeOf(KnownFormats::kaseikyo, RepeatKind::Full, repeats, fields,
                               {{"D", 0}, {"S", 1}, {"F", 2}, {"E", 3}, {"M", 4}, {"N", 5}}, false));
    }
    return std::nullopt;
}
