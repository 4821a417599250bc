// A strict JSON reader (RFC 8259) for checking what the companion prints: the
// whole text must be one value; strings keep their UTF-8 bytes, with escapes
// decoded; numbers keep their text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kmx {
namespace cliwine {

struct JsonValue {
    enum class Type { Null, Boolean, Number, String, Array, Object };
    Type type = Type::Null;
    std::string text;  // String: the decoded UTF-8; Number: as written; Boolean: "true" or "false"
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;  // in the order written

    const JsonValue* Member(const std::string& name) const {
        for (const auto& member : members)
            if (member.first == name) return &member.second;
        return nullptr;
    }
};

class JsonReader {
public:
    static std::optional<JsonValue> Read(const std::string& text) {
        JsonReader reader(text);
        JsonValue value;
        if (!reader.Value(value, 0)) return std::nullopt;
        reader.SkipBlanks();
        if (reader.m_at != text.size()) return std::nullopt;
        return value;
    }

private:
    explicit JsonReader(const std::string& text) : m_text(text) {}

    void SkipBlanks() {
        while (m_at < m_text.size() &&
               (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }
    bool Take(char c) {
        SkipBlanks();
        if (m_at >= m_text.size() || m_text[m_at] != c) return false;
        ++m_at;
        return true;
    }
    bool Word(const char* word) {
        const std::string w = word;
        if (m_text.compare(m_at, w.size(), w) != 0) return false;
        m_at += w.size();
        return true;
    }
    bool Digits() {
        const std::size_t from = m_at;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') ++m_at;
        return m_at > from;
    }

    bool Value(JsonValue& value, int depth) {
        if (depth > 64) return false;
        SkipBlanks();
        if (m_at >= m_text.size()) return false;
        const char c = m_text[m_at];
        if (c == '{') return Object(value, depth);
        if (c == '[') return Array(value, depth);
        if (c == '"') {
            value.type = JsonValue::Type::String;
            return String(value.text);
        }
        if (Word("true") || Word("false")) {
            value.type = JsonValue::Type::Boolean;
            value.text = c == 't' ? "true" : "false";
            return true;
        }
        if (Word("null")) return true;
        return Number(value);
    }

    bool Object(JsonValue& value, int depth) {
        value.type = JsonValue::Type::Object;
        ++m_at;
        if (Take('}')) return true;
        do {
            std::pair<std::string, JsonValue> member;
            SkipBlanks();
            if (m_at >= m_text.size() || m_text[m_at] != '"' || !String(member.first) || !Take(':') ||
                !Value(member.second, depth + 1))
                return false;
            value.members.push_back(std::move(member));
        } while (Take(','));
        return Take('}');
    }

    bool Array(JsonValue& value, int depth) {
        value.type = JsonValue::Type::Array;
        ++m_at;
        if (Take(']')) return true;
        do {
            value.items.emplace_back();
            if (!Value(value.items.back(), depth + 1)) return false;
        } while (Take(','));
        return Take(']');
    }

    bool Number(JsonValue& value) {
        const std::size_t from = m_at;
        if (m_at < m_text.size() && m_text[m_at] == '-') ++m_at;
        if (m_at < m_text.size() && m_text[m_at] == '0') {
            ++m_at;
        } else if (!Digits()) {
            return false;
        }
        if (m_at < m_text.size() && m_text[m_at] == '.' && (++m_at, !Digits())) return false;
        if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
            ++m_at;
            if (m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-')) ++m_at;
            if (!Digits()) return false;
        }
        value.type = JsonValue::Type::Number;
        value.text = m_text.substr(from, m_at - from);
        return true;
    }

    bool Hex4(unsigned* unit) {
        if (m_at + 4 > m_text.size()) return false;
        *unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return false;
            *unit = *unit * 16 + static_cast<unsigned>(digit);
        }
        return true;
    }

    static void AppendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    // Raw bytes are taken as they are (the caller checks the UTF-8 of the whole
    // text); control characters must be escaped, and a \u surrogate must pair.
    bool String(std::string& out) {
        ++m_at;
        while (m_at < m_text.size()) {
            const unsigned char c = static_cast<unsigned char>(m_text[m_at++]);
            if (c == '"') return true;
            if (c < 0x20) return false;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (m_at >= m_text.size()) return false;
            const char escape = m_text[m_at++];
            const std::string simple = "\"\\/bfnrt";
            const std::string meaning = "\"\\/\b\f\n\r\t";
            if (simple.find(escape) != std::string::npos) {
                out += meaning[simple.find(escape)];
                continue;
            }
            unsigned unit = 0;
            if (escape != 'u' || !Hex4(&unit) || (unit >= 0xDC00 && unit < 0xE000)) return false;
            if (unit >= 0xD800 && unit < 0xDC00) {
                unsigned low = 0;
                if (!Word("\\u") || !Hex4(&low) || low < 0xDC00 || low >= 0xE000) return false;
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            }
            AppendUtf8(out, unit);
        }
        return false;
    }

    const std::string& m_text;
    std::size_t m_at = 0;
};

}  // namespace cliwine
}  // namespace kmx
