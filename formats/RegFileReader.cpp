// Reading registry editor files. The text is UTF-16 units throughout, so
// characters beyond the BMP stay surrogate pairs until each name or string is
// converted at the end; every syntax character is ASCII and cannot be part of
// a pair.
#include "formats/RegFileReader.h"

#include <string_view>
#include <utility>

#include "formats/RegFileEncoding.h"
#include "settings/AsciiCase.h"
#include "settings/Utf16.h"

namespace kmx {
namespace {

constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kHeader4 = u"REGEDIT4";

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

std::u16string_view Trimmed(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Physical lines of the text, one at a time, with their 1-based numbers.
class LineReader {
public:
    explicit LineReader(const std::u16string& text) : m_text(text) {}

    bool Next(std::u16string_view* line) {
        if (m_pos >= m_text.size()) return false;
        std::size_t end = m_pos;
        while (end < m_text.size() && m_text[end] != u'\r' && m_text[end] != u'\n') ++end;
        *line = std::u16string_view(m_text).substr(m_pos, end - m_pos);
        if (end < m_text.size()) {
            const bool crlf = m_text[end] == u'\r' && end + 1 < m_text.size() && m_text[end + 1] == u'\n';
            end += crlf ? 2 : 1;
        }
        m_pos = end;
        ++m_line;
        return true;
    }

    int Line() const { return m_line; }

private:
    const std::u16string& m_text;
    std::size_t m_pos = 0;
    int m_line = 0;
};

// A position on the current line.
struct Cursor {
    std::u16string_view line;
    std::size_t at = 0;

    bool AtEnd() const { return at >= line.size(); }
    bool Is(char16_t c) const { return at < line.size() && line[at] == c; }
    void SkipBlanks() {
        while (at < line.size() && IsBlank(line[at])) ++at;
    }
    bool Take(char16_t c) {
        if (!Is(c)) return false;
        ++at;
        return true;
    }
    // An ASCII word, matched in any case.
    bool TakeWord(std::u16string_view word) {
        if (!EqualsIgnoringAsciiCase(line.substr(at, word.size()), word)) return false;
        at += word.size();
        return true;
    }
    // Nothing but blanks up to the end, or up to a ';' comment.
    bool RestIsBlankOrComment() {
        SkipBlanks();
        return AtEnd() || Is(u';');
    }
};

class Parser {
public:
    Parser(const std::u16string& text, RegFileContent* content, RegFileError* error)
        : m_lines(text), m_content(content), m_error(error) {}

    bool Run() {
        if (!ReadHeader()) return false;
        std::u16string_view line;
        while (m_lines.Next(&line)) {
            Cursor cursor{line};
            cursor.SkipBlanks();
            if (cursor.AtEnd() || cursor.Is(u';')) continue;
            if (cursor.Is(u'[')) {
                if (!ReadSection(cursor)) return false;
            } else if (cursor.Is(u'"') || cursor.Is(u'@')) {
                if (!ReadValue(cursor)) return false;
            } else {
                return Fail(L"line is neither a [key], a value nor a comment");
            }
        }
        return true;
    }

private:
    bool Fail(std::wstring reason) { return FailAt(m_lines.Line(), std::move(reason)); }

    bool FailAt(int line, std::wstring reason) {
        m_error->line = line;
        m_error->reason = std::move(reason);
        return false;
    }

    bool ReadHeader() {
        const wchar_t* const reason =
            L"missing header \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"";
        std::u16string_view line;
        while (m_lines.Next(&line)) {
            const std::u16string_view header = Trimmed(line);
            if (header.empty()) continue;
            if (header != kHeader5 && header != kHeader4) return Fail(reason);
            m_content->regedit4 = header == kHeader4;
            return true;
        }
        return FailAt(0, reason);  // nothing but blank lines
    }

    bool ReadSection(Cursor& cursor) {
        const std::u16string_view line = cursor.line.substr(cursor.at + 1);
        const std::size_t close = line.rfind(u']');
        if (close == std::u16string_view::npos) return Fail(L"missing ']' after the key path");
        if (!Trimmed(line.substr(close + 1)).empty()) return Fail(L"text after ']'");
        std::u16string_view path = line.substr(0, close);
        RegFileSection section;
        section.line = m_lines.Line();
        if (!path.empty() && path.front() == u'-') {
            section.deleteKey = true;
            path.remove_prefix(1);
        }
        if (path.empty()) return Fail(L"empty key path");
        if (path.find(u'\0') != std::u16string_view::npos) return Fail(L"NUL in key path");
        section.keyPath = FromUtf16(std::u16string(path));
        m_content->sections.push_back(std::move(section));
        return true;
    }

    bool ReadValue(Cursor& cursor) {
        if (m_content->sections.empty()) return Fail(L"value before any [key] section");
        RegFileSection& section = m_content->sections.back();
        if (section.deleteKey) return Fail(L"value in a section that deletes its key");

        RegFileValue value;
        value.line = m_lines.Line();
        if (!cursor.Take(u'@') && !ReadQuoted(cursor, &value.name, L"NUL in value name")) return false;
        cursor.SkipBlanks();
        if (!cursor.Take(u'=')) return Fail(L"missing '=' after the value name");
        cursor.SkipBlanks();

        if (cursor.Is(u'"')) {
            value.kind = RegFileValue::Kind::String;
            if (!ReadQuoted(cursor, &value.text, L"NUL in string value")) return false;
        } else if (cursor.TakeWord(u"dword:")) {
            value.kind = RegFileValue::Kind::Dword;
            if (!ReadDword(cursor, &value.dword)) return false;
        } else if (cursor.TakeWord(u"hex")) {
            value.kind = RegFileValue::Kind::Hex;
            if (!ReadHexType(cursor, &value.hexType) || !ReadHexBytes(cursor, &value.bytes)) return false;
        } else if (cursor.Take(u'-')) {
            value.kind = RegFileValue::Kind::Delete;
        } else {
            return Fail(L"value data is not \"string\", dword:, hex: or -");
        }
        if (!cursor.RestIsBlankOrComment()) return Fail(L"unexpected text after the value");
        section.values.push_back(std::move(value));
        return true;
    }

    // A quoted name or string on one line; only \\ and \" are escapes.
    bool ReadQuoted(Cursor& cursor, std::wstring* out, const wchar_t* nulReason) {
        ++cursor.at;  // the opening quote
        std::u16string units;
        while (!cursor.AtEnd()) {
            char16_t c = cursor.line[cursor.at++];
            if (c == u'"') {
                *out = FromUtf16(units);
                return true;
            }
            if (c == u'\0') return Fail(nulReason);
            if (c == u'\\') {
                if (cursor.AtEnd()) break;
                c = cursor.line[cursor.at++];
                if (c == u'\0') return Fail(nulReason);
                if (c != u'\\' && c != u'"') {
                    const bool shown = c > u' ' && c < 0x7F;
                    return Fail((shown ? L"unknown escape \\" + std::wstring(1, static_cast<wchar_t>(c))
                                       : std::wstring(L"unknown escape")) +
                                L" (write \\\\ for a backslash)");
                }
            }
            units.push_back(c);
        }
        return Fail(L"unterminated quoted string");
    }

    bool ReadDword(Cursor& cursor, std::uint32_t* number) {
        std::size_t digits = 0;
        std::uint32_t n = 0;
        for (int d; !cursor.AtEnd() && (d = HexDigit(cursor.line[cursor.at])) >= 0; ++cursor.at) {
            if (++digits > 8) return Fail(L"dword value has more than 8 hex digits");
            n = (n << 4) | static_cast<std::uint32_t>(d);
        }
        if (!cursor.AtEnd() && !IsBlank(cursor.line[cursor.at]) && !cursor.Is(u';')) {
            return Fail(L"dword value has a character that is not a hex digit");
        }
        if (digits == 0) return Fail(L"dword value has no hex digits");
        *number = n;
        return true;
    }

    // After "hex": ":" for REG_BINARY, or "(n):" with n in hex.
    bool ReadHexType(Cursor& cursor, std::uint32_t* type) {
        if (cursor.Take(u':')) return true;
        if (!cursor.Take(u'(')) return Fail(L"expected ':' or '(' after hex");
        std::size_t digits = 0;
        std::uint32_t n = 0;
        for (int d; !cursor.AtEnd() && (d = HexDigit(cursor.line[cursor.at])) >= 0; ++cursor.at) {
            if (++digits > 8) return Fail(L"hex value type has more than 8 hex digits");
            n = (n << 4) | static_cast<std::uint32_t>(d);
        }
        if (digits == 0 || !cursor.Take(u')') || !cursor.Take(u':')) {
            return Fail(L"hex value type is not written as hex(n): with n in hex");
        }
        *type = n;
        return true;
    }

    // Blanks, and a '\' that ends its line: the list goes on at the first
    // non-blank of the next line.
    void SkipBlanksAndContinuations(Cursor& cursor) {
        for (;;) {
            cursor.SkipBlanks();
            if (!cursor.Is(u'\\') || !Trimmed(cursor.line.substr(cursor.at + 1)).empty()) return;
            std::u16string_view next;
            if (!m_lines.Next(&next)) {
                cursor.at = cursor.line.size();
                return;
            }
            cursor = Cursor{next};
        }
    }

    // Two-digit hex bytes separated by commas, possibly none, possibly with
    // a trailing comma; continuation lines allowed.
    bool ReadHexBytes(Cursor& cursor, std::vector<std::uint8_t>* bytes) {
        bool expectByte = true;
        for (;;) {
            SkipBlanksAndContinuations(cursor);
            if (cursor.AtEnd() || cursor.Is(u';')) return true;
            if (!expectByte) {
                if (!cursor.Take(u',')) return Fail(L"expected ',' between hex bytes");
                expectByte = true;
                continue;
            }
            const std::u16string_view rest = cursor.line.substr(cursor.at);
            const int high = rest.size() > 0 ? HexDigit(rest[0]) : -1;
            const int low = rest.size() > 1 ? HexDigit(rest[1]) : -1;
            if (high < 0 || low < 0 || (rest.size() > 2 && HexDigit(rest[2]) >= 0)) {
                return Fail(L"hex byte is not two hex digits");
            }
            bytes->push_back(static_cast<std::uint8_t>(high << 4 | low));
            cursor.at += 2;
            expectByte = false;
        }
    }

    LineReader m_lines;
    RegFileContent* m_content;
    RegFileError* m_error;
};

}  // namespace

bool ParseRegFile(const std::uint8_t* data, std::size_t size, RegFileContent* content, RegFileError* error) {
    *content = RegFileContent();
    std::u16string text;
    if (!DecodeRegFileText(data, size, &text, error)) return false;
    return Parser(text, content, error).Run();
}

}  // namespace kmx
