#include "formats/Xml.h"

namespace kmx {
namespace {

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Calls visit(character, its position in the text) for each character; a
// lone surrogate is passed as itself. wchar_t holds UTF-16 units on Windows
// and whole characters elsewhere.
template <class Visit>
void ForEachCharacter(const std::wstring& text, Visit visit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t at = i;
        char32_t c = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && IsHighSurrogate(c) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<char32_t>(text[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            ++i;
        }
        if (!visit(c, at)) return;
    }
}

}  // namespace

std::size_t FindCharacterXmlCannotCarry(const std::wstring& text) {
    std::size_t found = std::wstring::npos;
    ForEachCharacter(text, [&](char32_t c, std::size_t at) {
        const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                             (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
        if (!allowed) found = at;
        return allowed;
    });
    return found;
}

std::wstring XmlEscaped(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (const wchar_t c : text) {
        switch (c) {
            case L'&': escaped += L"&amp;"; break;
            case L'<': escaped += L"&lt;"; break;
            case L'>': escaped += L"&gt;"; break;
            case L'"': escaped += L"&quot;"; break;
            case L'\t': escaped += L"&#9;"; break;
            case L'\n': escaped += L"&#10;"; break;
            case L'\r': escaped += L"&#13;"; break;
            default: escaped += c; break;
        }
    }
    return escaped;
}

std::string ToUtf8(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    ForEachCharacter(text, [&](char32_t c, std::size_t) {
        if (IsHighSurrogate(c) || IsLowSurrogate(c)) c = 0xFFFD;
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | (c >> 6));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += static_cast<char>(0xE0 | (c >> 12));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (c >> 18));
            bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
        return true;
    });
    return bytes;
}

}  // namespace kmx
