#include "JsonValue.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{
constexpr int maxDepth = 64;

class Parser
{
public:
    explicit Parser(std::string_view text)
        : m_text(text)
    { }

    std::optional<JsonValue> document()
    {
        std::optional<JsonValue> value = parseValue(0);
        blanks();
        if (value && m_pos != m_text.size()) {
            return fail("text after the value");
        }
        return value;
    }
    const std::string &error() const { return m_error; }

private:
    std::optional<JsonValue> fail(const char *what)
    {
        if (m_error.empty()) {
            m_error = std::string(what) + " at character " + std::to_string(m_pos + 1);
        }
        return std::nullopt;
    }
    void blanks()
    {
        while (m_pos < m_text.size()
               && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\n' || m_text[m_pos] == '\r')) {
            ++m_pos;
        }
    }
    bool take(std::string_view word)
    {
        if (m_text.substr(m_pos, word.size()) != word) {
            return false;
        }
        m_pos += word.size();
        return true;
    }
    std::optional<JsonValue> parseValue(int depth)
    {
        blanks();
        if (depth > maxDepth) {
            return fail("nesting too deep");
        }
        if (m_pos >= m_text.size()) {
            return fail("a value missing");
        }
        const char c = m_text[m_pos];
        if (c == '{') {
            return parseObject(depth);
        }
        if (c == '[') {
            return parseArray(depth);
        }
        if (c == '"') {
            std::optional<std::string> text = parseString();
            return text ? std::optional<JsonValue>(JsonValue::string(std::move(*text))) : std::nullopt;
        }
        if (take("true")) {
            return JsonValue::boolean(true);
        }
        if (take("false")) {
            return JsonValue::boolean(false);
        }
        if (take("null")) {
            return JsonValue();
        }
        return parseNumber();
    }
    std::optional<JsonValue> parseNumber()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size()
               && std::string_view("+-0123456789.eE").find(m_text[m_pos]) != std::string_view::npos) {
            ++m_pos;
        }
        const std::string digits(m_text.substr(start, m_pos - start));
        char *end = nullptr;
        const double value = digits.empty() ? 0 : std::strtod(digits.c_str(), &end);
        if (digits.empty() || end != digits.c_str() + digits.size() || !std::isfinite(value)) {
            m_pos = start;
            return fail("not a value");
        }
        return JsonValue::number(value);
    }
    std::optional<std::string> parseString()
    {
        ++m_pos;
        std::string out;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"') {
                return out;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                fail("a control character in a string");
                return std::nullopt;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size()) {
                break;
            }
            const char e = m_text[m_pos++];
            const std::string_view plain = "\"\\/bfnrt";
            const std::string_view meant = "\"\\/\b\f\n\r\t";
            if (const std::size_t i = plain.find(e); i != std::string_view::npos) {
                out += meant[i];
            } else if (e == 'u' && m_pos + 4 <= m_text.size()) {
                const unsigned long code = std::strtoul(std::string(m_text.substr(m_pos, 4)).c_str(), nullptr, 16);
                m_pos += 4;
                // Names and paths of the signals' files: below U+0800 is enough to keep them readable.
                if (code < 0x80) {
                    out += static_cast<char>(code);
                } else if (code < 0x800) {
                    out += static_cast<char>(0xC0 | code >> 6);
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    out += static_cast<char>(0xE0 | code >> 12);
                    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                }
            } else {
                fail("a bad escape in a string");
                return std::nullopt;
            }
        }
        fail("a string without its end");
        return std::nullopt;
    }
    std::optional<JsonValue> parseArray(int depth)
    {
        ++m_pos;
        JsonValue array = JsonValue::array();
        blanks();
        if (take("]")) {
            return array;
        }
        while (true) {
            std::optional<JsonValue> item = parseValue(depth + 1);
            if (!item) {
                return std::nullopt;
            }
            array.append(std::move(*item));
            blanks();
            if (take("]")) {
                return array;
            }
            if (!take(",")) {
                return fail("',' or ']' missing");
            }
        }
    }
    std::optional<JsonValue> parseObject(int depth)
    {
        ++m_pos;
        JsonValue object = JsonValue::object();
        blanks();
        if (take("}")) {
            return object;
        }
        while (true) {
            blanks();
            if (m_pos >= m_text.size() || m_text[m_pos] != '"') {
                return fail("a member name missing");
            }
            std::optional<std::string> key = parseString();
            blanks();
            if (!key || !take(":")) {
                return fail("':' missing");
            }
            std::optional<JsonValue> value = parseValue(depth + 1);
            if (!value) {
                return std::nullopt;
            }
            object.set(*key, std::move(*value));
            blanks();
            if (take("}")) {
                return object;
            }
            if (!take(",")) {
                return fail("',' or '}' missing");
            }
        }
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::string m_error;
};

void writeString(const std::string &text, std::string &out)
{
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

void writeValue(const JsonValue &value, std::string &out);

void writeNumber(double number, std::string &out)
{
    char text[32];
    if (number == std::floor(number) && std::abs(number) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", number);
    } else {
        std::snprintf(text, sizeof text, "%.6g", number);
    }
    out += text;
}
}  // namespace

JsonValue JsonValue::number(double value)
{
    JsonValue v;
    v.m_kind = Kind::Number;
    v.m_number = value;
    return v;
}

JsonValue JsonValue::string(std::string value)
{
    JsonValue v;
    v.m_kind = Kind::String;
    v.m_string = std::move(value);
    return v;
}

JsonValue JsonValue::boolean(bool value)
{
    JsonValue v;
    v.m_kind = Kind::Bool;
    v.m_bool = value;
    return v;
}

JsonValue JsonValue::array(std::vector<JsonValue> items)
{
    JsonValue v;
    v.m_kind = Kind::Array;
    v.m_items = std::move(items);
    return v;
}

JsonValue JsonValue::object()
{
    JsonValue v;
    v.m_kind = Kind::Object;
    return v;
}

std::optional<JsonValue> JsonValue::parse(std::string_view text, std::string *error)
{
    Parser parser(text);
    std::optional<JsonValue> value = parser.document();
    if (!value && error) {
        *error = parser.error();
    }
    return value;
}

const JsonValue *JsonValue::member(std::string_view key) const
{
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] == key) {
            return &m_items[i];
        }
    }
    return nullptr;
}

JsonValue &JsonValue::set(const std::string &key, JsonValue value)
{
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] == key) {
            m_items[i] = std::move(value);
            return *this;
        }
    }
    m_keys.push_back(key);
    m_items.push_back(std::move(value));
    return *this;
}

std::string JsonValue::write() const
{
    std::string out;
    writeValue(*this, out);
    return out;
}

namespace
{
void writeValue(const JsonValue &value, std::string &out)
{
    switch (value.kind()) {
    case JsonValue::Kind::Null:
        out += "null";
        break;
    case JsonValue::Kind::Bool:
        out += value.asBool() ? "true" : "false";
        break;
    case JsonValue::Kind::Number:
        writeNumber(value.asNumber(), out);
        break;
    case JsonValue::Kind::String:
        writeString(value.asString(), out);
        break;
    case JsonValue::Kind::Array:
        out += '[';
        for (std::size_t i = 0; i < value.items().size(); ++i) {
            out += i > 0 ? "," : "";
            writeValue(value.items()[i], out);
        }
        out += ']';
        break;
    case JsonValue::Kind::Object:
        out += '{';
        for (std::size_t i = 0; i < value.items().size(); ++i) {
            out += i > 0 ? "," : "";
            writeString(value.keyAt(i), out);
            out += ':';
            writeValue(value.items()[i], out);
        }
        out += '}';
        break;
    }
}
}  // namespace
