#include "settings/Utf16.h"

namespace kmx {

std::u16string ToUtf16(const std::wstring& text) {
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t c : text) {
        const std::uint32_t cp = static_cast<std::uint32_t>(c);
        if (sizeof(wchar_t) > 2 && cp > 0xFFFF && cp <= 0x10FFFF) {
            const std::uint32_t v = cp - 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            // Beyond U+10FFFF nothing in UTF-16 can carry it: keep the low unit
            // rather than drop the character and shift the rest.
            units.push_back(static_cast<char16_t>(cp & 0xFFFF));
        }
    }
    return units;
}

std::wstring FromUtf16(const std::u16string& units) {
    std::wstring text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (sizeof(wchar_t) > 2 && u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() &&
            units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            const std::uint32_t cp =
                0x10000 + ((std::uint32_t{u} - 0xD800) << 10) + (std::uint32_t{units[i + 1]} - 0xDC00);
            text.push_back(static_cast<wchar_t>(cp));
            ++i;
        } else {
            text.push_back(static_cast<wchar_t>(u));
        }
    }
    return text;
}

std::vector<std::uint8_t> ToUtf16LeBytes(const std::wstring& text, bool withTerminator) {
    std::u16string units = ToUtf16(text);
    if (withTerminator) units.push_back(u'\0');
    std::vector<std::uint8_t> bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return bytes;
}

std::u16string UnitsFromLeBytes(const std::uint8_t* bytes, std::size_t count) {
    std::u16string units;
    units.reserve((count + 1) / 2);
    for (std::size_t i = 0; i < count; i += 2) {
        const std::uint8_t high = i + 1 < count ? bytes[i + 1] : 0;
        units.push_back(static_cast<char16_t>(bytes[i] | (high << 8)));
    }
    return units;
}

std::wstring TextFromUtf16LeBytes(const std::uint8_t* bytes, std::size_t count) {
    std::u16string units = UnitsFromLeBytes(bytes, count);
    const std::size_t nul = units.find(u'\0');
    if (nul != std::u16string::npos) units.resize(nul);
    return FromUtf16(units);
}

}  // namespace kmx
