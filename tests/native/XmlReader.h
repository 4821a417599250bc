// A small XML reader for the tests: elements, attributes, text, comments and
// the declaration, entity and character references, UTF-8 input; anything
// malformed (unmatched tags, a raw '<' or '&', an unknown entity, a control
// character) is an error. Enough to read back what the companion writes.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kmx::xmltest {

struct Element {
    std::wstring name;
    std::map<std::wstring, std::wstring> attributes;
    std::vector<std::unique_ptr<Element>> children;
    std::wstring text;  // the character data directly inside, joined

    std::wstring Attr(const std::wstring& key) const {
        const auto found = attributes.find(key);
        return found == attributes.end() ? L"" : found->second;
    }
    bool Has(const std::wstring& key) const { return attributes.count(key) != 0; }
    std::vector<const Element*> All(const std::wstring& childName) const {
        std::vector<const Element*> found;
        for (const auto& child : children)
            if (child->name == childName) found.push_back(child.get());
        return found;
    }
    const Element* First(const std::wstring& childName) const {
        const auto found = All(childName);
        return found.empty() ? nullptr : found.front();
    }
    // Every descendant of that name, depth first.
    void Collect(const std::wstring& descendant, std::vector<const Element*>& out) const {
        for (const auto& child : children) {
            if (child->name == descendant) out.push_back(child.get());
            child->Collect(descendant, out);
        }
    }
};

class Reader {
public:
    // Throws std::runtime_error on malformed input.
    static std::unique_ptr<Element> Parse(const std::string& utf8) {
        Reader reader(Decode(utf8));
        return reader.Document();
    }

private:
    explicit Reader(std::u32string text) : m_text(std::move(text)) {}

    [[noreturn]] void Fail(const char* what) const {
        throw std::runtime_error(std::string(what) + " at " + std::to_string(m_at));
    }

    static std::u32string Decode(const std::string& bytes) {
        std::u32string out;
        for (std::size_t i = 0; i < bytes.size();) {
            const unsigned char b = static_cast<unsigned char>(bytes[i]);
            const int extra = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
            if (extra < 0 || i + extra >= bytes.size() + (extra == 0 ? 1 : 0))
                throw std::runtime_error("bad UTF-8");
            char32_t c = extra == 0 ? b : b & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) {
                const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
                if ((next & 0xC0) != 0x80) throw std::runtime_error("bad UTF-8");
                c = (c << 6) | (next & 0x3F);
            }
            out += c;
            i += 1 + extra;
        }
        return out;
    }

    static bool IsXmlChar(char32_t c) {
        return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
               (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    }
    static bool IsSpace(char32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    bool Starts(const char* s) const {
        for (std::size_t i = 0; s[i] != '\0'; ++i)
            if (m_at + i >= m_text.size() || m_text[m_at + i] != static_cast<char32_t>(s[i])) return false;
        return true;
    }
    void SkipSpace() {
        while (m_at < m_text.size() && IsSpace(m_text[m_at])) ++m_at;
    }
    void SkipPast(const char* end) {
        while (m_at < m_text.size() && !Starts(end)) ++m_at;
        if (m_at >= m_text.size()) Fail("unterminated markup");
        m_at += std::char_traits<char>::length(end);
    }
    void SkipMisc() {
        for (;;) {
            SkipSpace();
            if (Starts("<?"))
                SkipPast("?>");
            else if (Starts("<!--"))
                SkipPast("-->");
            else
                return;
        }
    }
    static void Append(std::wstring& out, char32_t c) {
        if (sizeof(wchar_t) == 2 && c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    std::wstring Name() {
        std::wstring name;
        while (m_at < m_text.size() && !IsSpace(m_text[m_at]) && m_text[m_at] != '>' && m_text[m_at] != '/' &&
               m_text[m_at] != '=')
            Append(name, m_text[m_at++]);
        if (name.empty()) Fail("name expected");
        return name;
    }
    char32_t Reference() {
        const std::size_t semicolon = m_text.find(U';', m_at);
        if (semicolon == std::u32string::npos) Fail("unterminated reference");
        const std::u32string ref = m_text.substr(m_at + 1, semicolon - m_at - 1);
        m_at = semicolon + 1;
        if (ref == U"amp") return '&';
        if (ref == U"lt") return '<';
        if (ref == U"gt") return '>';
        if (ref == U"quot") return '"';
        if (ref == U"apos") return '\'';
        if (ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x';
            char32_t c = 0;
            for (std::size_t i = hex ? 2 : 1; i < ref.size(); ++i) {
                const char32_t d = ref[i];
                const int v = d >= '0' && d <= '9'          ? int(d - '0')
                              : hex && d >= 'a' && d <= 'f' ? int(d - 'a' + 10)
                              : hex && d >= 'A' && d <= 'F' ? int(d - 'A' + 10)
                                                            : -1;
                if (v < 0) Fail("bad character reference");
                c = c * (hex ? 16 : 10) + static_cast<char32_t>(v);
            }
            if (!IsXmlChar(c)) Fail("reference to a character XML does not allow");
            return c;
        }
        Fail("unknown entity");
    }
    // Text up to stop, with references resolved; attribute values normalise
    // raw white space to blanks, as XML readers do.
    std::wstring Characters(char32_t stop, bool attribute) {
        std::wstring out;
        while (m_at < m_text.size() && m_text[m_at] != stop) {
            const char32_t c = m_text[m_at];
            if (!IsXmlChar(c)) Fail("character XML does not allow");
            if (c == '<') Fail("raw <");
            if (c == '&') {
                Append(out, Reference());
                continue;
            }
            Append(out, attribute && IsSpace(c) ? U' ' : c);
            ++m_at;
        }
        return out;
    }
    std::unique_ptr<Element> ParseElement() {
        if (!Starts("<")) Fail("element expected");
        ++m_at;
        auto element = std::make_unique<Element>();
        element->name = Name();
        for (;;) {
            SkipSpace();
            if (Starts("/>")) {
                m_at += 2;
                return element;
            }
            if (Starts(">")) {
                ++m_at;
                break;
            }
            const std::wstring key = Name();
            SkipSpace();
            if (!Starts("=")) Fail("= expected");
            ++m_at;
            SkipSpace();
            if (m_at >= m_text.size() || (m_text[m_at] != '"' && m_text[m_at] != '\''))
                Fail("quote expected");
            const char32_t quote = m_text[m_at++];
            if (element->attributes.count(key) != 0) Fail("attribute twice");
            element->attributes[key] = Characters(quote, true);
            if (m_at >= m_text.size()) Fail("unterminated attribute");
            ++m_at;
        }
        for (;;) {
            element->text += Characters('<', false);
            if (m_at >= m_text.size()) Fail("unterminated element");
            if (Starts("<!--")) {
                SkipPast("-->");
            } else if (Starts("</")) {
                m_at += 2;
                if (Name() != element->name) Fail("mismatched end tag");
                SkipSpace();
                if (!Starts(">")) Fail("> expected");
                ++m_at;
                return element;
            } else {
                element->children.push_back(ParseElement());
            }
        }
    }
    std::unique_ptr<Element> Document() {
        SkipMisc();
        auto root = ParseElement();
        SkipMisc();
        if (m_at != m_text.size()) Fail("content after the root element");
        return root;
    }

    std::u32string m_text;
    std::size_t m_at = 0;
};

}  // namespace kmx::xmltest
