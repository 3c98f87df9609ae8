#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A JSON value as one line of signals holds it, read and written without a
// library: objects, arrays, numbers, strings, true, false and null.
class JsonValue
{
public:
    enum class Kind
    {
        Null,
        Bool,
        Number,
        String,
        Array,
        Object
    };

    JsonValue() = default;
    static JsonValue number(double value);
    static JsonValue string(std::string value);
    static JsonValue boolean(bool value);
    static JsonValue array(std::vector<JsonValue> items = {});
    static JsonValue object();

    // Nothing when `text` is not one JSON value (blanks around it allowed);
    // `error` then says where it broke.
    static std::optional<JsonValue> parse(std::string_view text, std::string *error = nullptr);
    std::string write() const;

    Kind kind() const { return m_kind; }
    double asNumber() const { return m_number; }
    bool asBool() const { return m_bool; }
    const std::string &asString() const { return m_string; }
    const std::vector<JsonValue> &items() const { return m_items; }
    // The member `key` of an object; null when there is none.
    const JsonValue *member(std::string_view key) const;
    // An object's i-th member name.
    const std::string &keyAt(std::size_t i) const { return m_keys[i]; }
    // Adds or replaces a member, keeping the order members were first set in.
    JsonValue &set(const std::string &key, JsonValue value);
    void append(JsonValue value) { m_items.push_back(std::move(value)); }

private:
    Kind m_kind = Kind::Null;
    double m_number = 0;
    bool m_bool = false;
    std::string m_string;
    std::vector<JsonValue> m_items;
    std::vector<std::string> m_keys;  // an object's keys, one per item
};
