// Names compared as the registry compares them: ASCII letters without case,
// every other character exactly. The one fold of the whole tree.
#pragma once

#include <string>
#include <string_view>

namespace kmx {

template <typename Char>
constexpr Char AsciiUpper(Char c) {
    return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}

template <typename Char>
constexpr bool EqualsIgnoringAsciiCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

inline bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    return EqualsIgnoringAsciiCase<wchar_t>(a, b);
}

inline std::wstring AsciiUpperCase(std::wstring text) {
    for (wchar_t& c : text) c = AsciiUpper(c);
    return text;
}

}  // namespace kmx
