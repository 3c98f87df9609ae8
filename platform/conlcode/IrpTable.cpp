#include "IrpTable.h"

#include <algorithm>

namespace Irp
{
namespace
{
constexpr std::size_t mostUnknownBits = 4;

std::uint64_t mask(int count)
{
    return count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
}

// The bits of `value` in the other order.
std::uint64_t mirrored(std::uint64_t value, int count)
{
    std::uint64_t out = 0;
    for (int i = 0; i < count; ++i) {
        out |= (value >> i & 1) << (count - 1 - i);
    }
    return out;
}

int mostOf(const Field &field)
{
    return field.most >= 0 ? field.most : static_cast<int>(mask(field.bits));
}
}  // namespace

std::uint64_t Bits::sent(const Values &values, bool msbFirst) const
{
    const std::uint64_t source = this->source == Source::Constant ? static_cast<std::uint64_t>(index)
                                                                  : static_cast<std::uint64_t>(values[index]) >> offset;
    const std::uint64_t value = (complement ? ~source : source) & mask(count);
    // Sent highest bit first: as is for msb, mirrored for lsb.
    return msbFirst != reversed ? value : mirrored(value, count);
}

void assign(Values &values, Covered &covered, const Bits &bits, std::uint64_t sent, bool msbFirst)
{
    if (bits.source != Bits::Source::Field) {
        return;
    }
    std::uint64_t value = msbFirst != bits.reversed ? sent : mirrored(sent, bits.count);
    if (bits.complement) {
        value = ~value & mask(bits.count);
    }
    const std::uint64_t carried = mask(bits.count) << bits.offset;
    int &target = values[bits.index];
    target = static_cast<int>((static_cast<std::uint64_t>(target) & ~carried) | value << bits.offset);
    if (static_cast<std::size_t>(bits.index) < covered.size()) {
        covered[static_cast<std::size_t>(bits.index)] |= carried;
    }
}

bool complete(const Protocol &protocol, Values &values, const Covered &covered,
              const std::function<bool(const Values &)> &fits)
{
    std::vector<std::pair<std::size_t, int>> unknown;
    for (std::size_t i = 0; i < protocol.fields.size(); ++i) {
        for (int bit = 0; bit < protocol.fields[i].bits; ++bit) {
            if ((covered[i] >> bit & 1) == 0) {
                unknown.emplace_back(i, bit);
            }
        }
    }
    if (unknown.size() > mostUnknownBits) {
        return false;
    }
    for (unsigned guess = 0; guess < 1u << unknown.size(); ++guess) {
        for (std::size_t b = 0; b < unknown.size(); ++b) {
            int &target = values[unknown[b].first];
            const int bit = 1 << unknown[b].second;
            target = (guess >> b & 1) != 0 ? target | bit : target & ~bit;
        }
        if (fits(values)) {
            return true;
        }
    }
    return false;
}

void computeChecks(const Protocol &protocol, Values &values)
{
    if (protocol.checks) {
        protocol.checks(values);
    }
}

std::optional<Values> valuesOf(const Protocol &protocol, const KnownCode &code)
{
    if (code.fields[rowByte] != protocol.row) {
        return std::nullopt;
    }
    Values values{};
    std::array<bool, 8> used{};
    used[formByte] = used[rowByte] = true;
    for (std::size_t i = 0; i < protocol.fields.size(); ++i) {
        const Field &field = protocol.fields[i];
        if (field.byte == toggleByte) {
            values[i] = code.toggle;
        } else {
            const auto byte = static_cast<std::size_t>(field.byte);
            values[i] = code.fields[byte] | (field.bits > 8 ? code.fields[byte + 1] << 8 : 0);
            used[byte] = true;
            used[byte + 1] = used[byte + 1] || field.bits > 8;
        }
        if (values[i] < field.least || values[i] > mostOf(field)) {
            return std::nullopt;
        }
    }
    const bool toggled = std::any_of(protocol.fields.begin(), protocol.fields.end(),
                                     [](const Field &field) { return field.byte == toggleByte; });
    for (std::size_t byte = 0; byte < used.size(); ++byte) {
        if (!used[byte] && code.fields[byte] != 0) {
            return std::nullopt;
        }
    }
    if (!toggled && code.toggle != 0) {
        return std::nullopt;
    }
    computeChecks(protocol, values);
    return values;
}

bool store(const Protocol &protocol, const Values &values, KnownCode &code)
{
    code.fields[rowByte] = protocol.row;
    for (std::size_t i = 0; i < protocol.fields.size(); ++i) {
        const Field &field = protocol.fields[i];
        if (values[i] < field.least || values[i] > mostOf(field)) {
            return false;
        }
        if (field.byte == toggleByte) {
            code.toggle = static_cast<std::uint8_t>(values[i]);
            continue;
        }
        const auto byte = static_cast<std::size_t>(field.byte);
        code.fields[byte] = static_cast<std::uint8_t>(values[i]);
        if (field.bits > 8) {
            code.fields[byte + 1] = static_cast<std::uint8_t>(values[i] >> 8);
        }
    }
    return true;
}

std::vector<std::uint8_t> eachForm(std::uint8_t forms)
{
    std::vector<std::uint8_t> out;
    for (int form = forms; form >= 0; --form) {
        if ((form & ~forms) == 0) {
            out.push_back(static_cast<std::uint8_t>(form));
        }
    }
    return out;
}

void setFrames(KnownCode &code, std::uint8_t form, std::size_t repeats, RepeatKind repeat)
{
    code.fields[formByte] = form;
    code.repeatCount = static_cast<std::uint8_t>(repeats);
    code.repeat = repeats == 0 ? RepeatKind::None : repeat;
}

std::optional<KnownCode> codeOf(const Protocol &protocol, std::uint32_t formatId, const ProtocolCodec::Fields &fields,
                                int repeats, std::uint8_t form, RepeatKind repeat)
{
    const std::optional<Values> values = valuesFrom(protocol, fields);
    KnownCode code;
    code.formatId = formatId;
    if (!values || repeats < 0 || repeats > 255 || !store(protocol, *values, code)) {
        return std::nullopt;
    }
    setFrames(code, form, static_cast<std::size_t>(repeats), repeat);
    return code;
}

ProtocolCodec::Fields fieldsOf(const Protocol &protocol, const KnownCode &code)
{
    ProtocolCodec::Fields out;
    const std::optional<Values> values = valuesOf(protocol, code);
    for (std::size_t i = 0; values && i < protocol.fields.size(); ++i) {
        out.emplace_back(protocol.fields[i].name, (*values)[i]);
    }
    return out;
}

std::optional<Values> valuesFrom(const Protocol &protocol, const ProtocolCodec::Fields &fields)
{
    Values values{};
    std::size_t found = 0;
    for (std::size_t i = 0; i < protocol.fields.size(); ++i) {
        const auto named = std::find_if(fields.begin(), fields.end(),
                                        [&](const auto &entry) { return entry.first == protocol.fields[i].name; });
        // T starts at 0 where not given.
        if (named == fields.end() && protocol.fields[i].byte != toggleByte) {
            return std::nullopt;
        }
        found += named == fields.end() ? 0 : 1;
        values[i] = named == fields.end() ? 0 : named->second;
    }
    if (found != fields.size()) {
        return std::nullopt;
    }
    return values;
}
}  // namespace Irp

std::optional<KnownCode> TableCodec::decode(const IrSignal &signal) const
{
    std::vector<KnownCode> codes = candidates(signal);
    return codes.empty() ? std::nullopt : std::optional<KnownCode>(codes.front());
}
