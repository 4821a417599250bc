#include "settings/Utf16.h"

namespace kmx {
namespace {

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The character at units[*at], a surrogate pair taken together, and *at
// moved past it.
template <class String>
char32_t DecodePair(const String& units, std::size_t* at) {
    const char32_t unit = static_cast<char32_t>(units[(*at)++]);
    if (!IsHighSurrogate(unit) || *at >= units.size()) return unit;
    const char32_t next = static_cast<char32_t>(units[*at]);
    if (!IsLowSurrogate(next)) return unit;
    ++*at;
    return 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
}

}  // namespace

char32_t NextCharacter(const std::wstring& text, std::size_t* at) {
    if (sizeof(wchar_t) == 2) return DecodePair(text, at);
    return static_cast<char32_t>(text[(*at)++]);
}

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
    for (std::size_t i = 0; i < units.size();)
        text.push_back(static_cast<wchar_t>(sizeof(wchar_t) > 2 ? DecodePair(units, &i) : units[i++]));
    return text;
}

std::vector<std::uint8_t> ToUtf16LeBytes(const std::wstring& text, bool withTerminator) {
    std::u16string units = ToUtf16(text);
    if (withTerminator) units.push_back(u'\0');
    std::vector<std::uint8_t> bytes;
    AppendLeBytes(units, &bytes);
    return bytes;
}

void AppendLeBytes(const std::u16string& units, std::vector<std::uint8_t>* bytes) {
    bytes->reserve(bytes->size() + units.size() * 2);
    for (char16_t u : units) {
        bytes->push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes->push_back(static_cast<std::uint8_t>(u >> 8));
    }
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

std::string ToUtf8(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = NextCharacter(text, &i);
        if (IsHighSurrogate(c) || IsLowSurrogate(c)) c = 0xFFFD;
        AppendUtf8(c, bytes);
    }
    return bytes;
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string UnitsToUtf8(const std::u16string& units) {
    std::string out;
    for (std::size_t i = 0; i < units.size();) AppendUtf8(DecodePair(units, &i), out);
    return out;
}

std::u16string Utf8ToUnits(const std::string& text) {
    std::u16string units;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
        const unsigned char lead = byte(i);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        bool whole = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k) whole = (byte(i + k) & 0xC0) == 0x80;
        if (!whole) {
            units += u'\uFFFD';
            ++i;
            continue;
        }
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (byte(i + k) & 0x3F);
        i += length;
        if (c >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
    }
    return units;
}

}  // namespace kmx
