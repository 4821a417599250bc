#include "formats/Xml.h"

namespace kmx {
namespace {

// Calls visit(character, its position in the text) for each character until
// it gives false.
template <class Visit>
void ForEachCharacter(const std::wstring& text, Visit visit) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        if (!visit(NextCharacter(text, &i), at)) return;
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

std::wstring Attr(const wchar_t* name, const std::wstring& value) {
    return std::wstring(L" ") + name + L"=\"" + XmlEscaped(value) + L"\"";
}

}  // namespace kmx
