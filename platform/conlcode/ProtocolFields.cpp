#include "ProtocolFields.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <initializer_list>

namespace
{
enum class Rule
{
    Given,       // must be given
    Zero,        // 0 unless given
    Complement,  // 255 minus `from` unless given
    Copy,        // `from` unless given
    Implied,     // always 255 minus `from`: the protocol sends it as a check, it is never given
    Preset,      // `preset` unless given
    Fixed,       // always `preset`: the protocol has no other value, it is never given
};

struct Field
{
    std::string_view name;
    int most;
    Rule rule = Rule::Given;
    std::string_view from = {};
    int preset = 0;
};

struct Protocol
{
    std::string_view name;
    std::vector<Field> fields;
};

const Field anyD{"D", 255};
const Field anyF{"F", 255};
const Field givenE{"E", 255};
const Field impliedE{"E", 255, Rule::Implied, "F"};
const Field complementS{"S", 255, Rule::Complement, "D"};
const Field copyS{"S", 255, Rule::Copy, "D"};
const Field toggle{"T", 1, Rule::Zero};

const Field d4{"D", 15};
const Field d5{"D", 31};
const Field f6{"F", 63};
const Field f7{"F", 127};

const std::array<Protocol, 63> protocols{{
    {"NEC1", {anyD, complementS, anyF, impliedE}},
    {"NEC2", {anyD, complementS, anyF, impliedE}},
    {"NEC1-f16", {anyD, complementS, anyF, givenE}},
    {"NEC2-f16", {anyD, complementS, anyF, givenE}},
    {"NECx1", {anyD, copyS, anyF, impliedE}},
    {"NECx2", {anyD, copyS, anyF, impliedE}},
    {"NECx1-f16", {anyD, copyS, anyF, givenE}},
    {"NECx2-f16", {anyD, copyS, anyF, givenE}},
    {"Pioneer", {anyD, complementS, anyF, impliedE}},
    {"NEC42", {{"D", 8191}, anyF}},
    {"48-NEC1", {anyD, complementS, anyF, givenE}},
    {"48-NEC2", {anyD, complementS, anyF, givenE}},
    {"Aiwa", {anyD, {"S", 31}, anyF}},
    {"Tivo", {{"D", 255, Rule::Fixed, {}, 133}, {"S", 255, Rule::Fixed, {}, 48}, anyF, {"U", 15}}},
    {"RC5", {d5, f7, toggle}},
    {"RC5x", {d5, {"S", 127}, f6, toggle}},
    {"StreamZap", {{"D", 63}, f6, toggle}},
    {"RC6", {anyD, anyF, toggle}},
    {"MCE", {{"D", 127}, {"S", 255}, anyF, toggle}},
    {"RC6-6-20", {anyD, {"S", 15}, anyF, toggle}},
    {"Replay", {anyD, {"S", 255}, anyF, toggle}},
    {"Sony12", {d5, f7}},
    {"Sony15", {anyD, f7}},
    {"Sony20", {d5, {"S", 255}, f7}},
    {"Kaseikyo", {d4, {"S", 255}, anyF, {"E", 15}, {"M", 255}, {"N", 255}}},
    {"Panasonic", {anyD, {"S", 255}, anyF}},
    {"Panasonic2", {anyD, {"S", 255}, anyF, {"X", 255}}},
    {"Denon-K", {d4, {"S", 15}, {"F", 4095}}},
    {"JVC-48", {anyD, {"S", 255}, anyF}},
    {"SharpDVD", {d4, {"S", 255}, anyF, {"E", 15, Rule::Preset, {}, 1}}},
    {"RCA", {d4, anyF}},
    {"RCA-38", {d4, anyF}},
    {"Samsung36", {anyD, {"S", 255}, anyF, {"E", 15}}},
    {"JVC", {anyD, anyF}},
    {"JVC{2}", {anyD, anyF}},
    {"Sharp", {d5, anyF}},
    {"Sharp{1}", {d5, anyF}},
    {"Sharp{2}", {d5, anyF}},
    {"Denon", {d5, anyF}},
    {"Denon{1}", {d5, anyF}},
    {"Denon{2}", {d5, anyF}},
    {"Mitsubishi", {anyD, anyF}},
    {"Dish_Network", {f6, {"S", 31}, d5}},
    {"Thomson7", {d4, f7, toggle}},
    {"Thomson", {d5, f6, toggle}},
    {"RECS80", {{"D", 7}, f6, toggle}},
    {"Panasonic_Old", {d5, f6}},
    {"Proton", {anyD, anyF}},
    {"G.I.Cable", {d4, anyF}},
    {"G.I.4DTV", {{"D", 7}, f6}},
    {"Emerson", {{"D", 63}, f6}},
    {"DirecTV_P0", {d4, anyF}},
    {"DirecTV_P1", {d4, anyF}},
    {"DirecTV_P2", {d4, anyF}},
    {"DirecTV_P3", {d4, anyF}},
    {"DirecTV_P4", {d4, anyF}},
    {"DirecTV_P5", {d4, anyF}},
    {"Nokia32", {anyD, {"S", 255}, anyF, {"X", 127}, toggle}},
    {"Nokia12", {d4, anyF}},
    {"Nokia", {anyD, {"S", 255}, anyF}},
    {"XMP", {anyD, {"S", 255}, {"F", 65535}, {"OEM", 255, Rule::Preset, {}, 68}}},
    {"Bose", {anyF}},
    {"Blaupunkt", {f6, {"D", 7}}},
}};

// Whether a user may give the field at all.
bool given(const Field &field)
{
    return field.rule != Rule::Implied && field.rule != Rule::Fixed;
}

bool sameLetters(std::string_view a, std::string_view b)
{
    const auto lower = [](unsigned char c) { return static_cast<char>(std::tolower(c)); };
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Decimal, or hex after 0x.
std::optional<int> numberOf(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    int value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (problem != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string fieldNames(const Protocol &protocol, bool givenOnly)
{
    std::string names;
    for (const Field &field : protocol.fields) {
        if (!givenOnly || given(field))
            names += (names.empty() ? "" : " ") + std::string(field.name);
    }
    return names;
}

const Protocol *protocolNamed(std::string_view name)
{
    const auto found =
        std::find_if(protocols.begin(), protocols.end(), [&](const Protocol &p) { return sameLetters(p.name, name); });
    return found == protocols.end() ? nullptr : &*found;
}

// Items are separated by commas or white space; an '=' joins the words around
// it, so that "D = 4" is one item. An empty item between commas stays, to be named.
std::vector<std::string_view> itemsOf(std::string_view text)
{
    std::vector<std::string_view> items;
    if (trimmed(text).empty())
        return items;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string_view piece = trimmed(text.substr(at, comma - at));
        at = comma + 1;
        if (piece.empty())
            items.push_back(piece);
        for (std::size_t start = 0; start < piece.size();) {
            std::size_t end = start;
            for (;;) {
                end = std::min(piece.find_first_of(" \t", end), piece.size());
                const std::size_t next = std::min(piece.find_first_not_of(" \t", end), piece.size());
                if (next == piece.size() || (piece[end - 1] != '=' && piece[next] != '='))
                    break;
                end = next + 1;
            }
            items.push_back(piece.substr(start, end - start));
            start = std::min(piece.find_first_not_of(" \t", end), piece.size());
        }
    }
    return items;
}

const Field *fieldNamed(const Protocol &protocol, std::string_view name)
{
    const auto found = std::find_if(protocol.fields.begin(), protocol.fields.end(),
                                    [&](const Field &f) { return sameLetters(f.name, name); });
    return found == protocol.fields.end() ? nullptr : &*found;
}

// What a field is when it is not given.
int fallbackOf(const Field &field, int source)
{
    return field.rule == Rule::Zero                                  ? 0
           : field.rule == Rule::Preset || field.rule == Rule::Fixed ? field.preset
           : field.rule == Rule::Copy                                ? source
                                                                     : 255 - source;
}

std::optional<ProtocolFields::Code> fail(std::string *error, std::string message)
{
    *error = std::move(message);
    return std::nullopt;
}
}  // namespace

std::optional<ProtocolFields::Code> ProtocolFields::parse(std::string_view name, std::string_view text,
                                                          std::string *error)
{
    const Protocol *protocol = protocolNamed(name);
    if (!protocol) {
        std::string known;
        for (const std::string &each : names())
            known += " " + each;
        return fail(error, "unknown protocol '" + std::string(name) + "' (known:" + known + ")");
    }
    const std::string protocolName(protocol->name);
    std::vector<std::optional<int>> values(protocol->fields.size());
    for (const std::string_view item : itemsOf(text)) {
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos)
            return fail(error, "malformed field '" + std::string(item) + "' (expected NAME=VALUE, such as D=4)");
        const std::string_view key = trimmed(item.substr(0, equals));
        const Field *field = fieldNamed(*protocol, key);
        if (!field || !given(*field))
            return fail(error, protocolName + " has no field '" + std::string(key)
                                   + "' (its fields: " + fieldNames(*protocol, true) + ")");
        const std::string fieldName(field->name);
        std::optional<int> &value = values[static_cast<std::size_t>(field - protocol->fields.data())];
        if (value)
            return fail(error, "field " + fieldName + " given twice");
        const std::string_view number = trimmed(item.substr(equals + 1));
        value = numberOf(number);
        if (!value)
            return fail(error, "malformed value '" + std::string(number) + "' of field " + fieldName
                                   + " (expected a whole number, decimal or 0x hex)");
        if (*value < 0 || *value > field->most)
            return fail(error, "field " + fieldName + "=" + std::string(number) + " out of range for " + protocolName
                                   + " (0 to " + std::to_string(field->most) + ")");
    }
    const auto valueOf = [&](std::string_view fieldName) {
        for (std::size_t i = 0; i < protocol->fields.size(); ++i) {
            if (protocol->fields[i].name == fieldName)
                return values[i].value_or(0);
        }
        return 0;
    };
    Code code{protocolName, {}};
    for (std::size_t i = 0; i < protocol->fields.size(); ++i) {
        const Field &field = protocol->fields[i];
        if (!values[i] && field.rule == Rule::Given)
            return fail(error, "missing field " + std::string(field.name) + " of " + protocolName
                                   + " (its fields: " + fieldNames(*protocol, true) + ")");
        if (!values[i] || !given(field))
            values[i] = fallbackOf(field, valueOf(field.from));
        code.fields.emplace_back(field.name, *values[i]);
    }
    return code;
}

std::string ProtocolFields::format(std::string_view name, const ProtocolCodec::Fields &fields)
{
    const Protocol *protocol = protocolNamed(name);
    std::string text(protocol ? protocol->name : name);
    const auto valueOf = [&](std::string_view fieldName) {
        const auto found =
            std::find_if(fields.begin(), fields.end(), [&](const auto &f) { return f.first == fieldName; });
        return found == fields.end() ? 0 : found->second;
    };
    for (const auto &[fieldName, value] : fields) {
        const Field *field = protocol ? fieldNamed(*protocol, fieldName) : nullptr;
        if (field && field->rule != Rule::Given && value == fallbackOf(*field, valueOf(field->from)))
            continue;
        text += " " + fieldName + "=" + std::to_string(value);
    }
    return text;
}

std::vector<std::string> ProtocolFields::names()
{
    std::vector<std::string> all;
    for (const Protocol &protocol : protocols)
        all.emplace_back(protocol.name);
    return all;
}

std::string ProtocolFields::describe(std::string_view name)
{
    const Protocol *protocol = protocolNamed(name);
    if (!protocol)
        return {};
    std::string text;
    for (const Field &field : protocol->fields) {
        if (!given(field))
            continue;
        text += (text.empty() ? "" : " ") + std::string(field.name) + "=0.." + std::to_string(field.most);
        if (field.rule == Rule::Zero)
            text += " (0)";
        else if (field.rule == Rule::Copy)
            text += " (" + std::string(field.from) + ")";
        else if (field.rule == Rule::Complement)
            text += " (255-" + std::string(field.from) + ")";
        else if (field.rule == Rule::Preset)
            text += " (" + std::to_string(field.preset) + ")";
    }
    return text;
}
