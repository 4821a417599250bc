// What a window shows beyond its dialog template, as words of a command line:
// the benchmark reads it off the running program and the yardstick window
// replays it. One operation per word:
//
//   reads                the registry reads one start of the program makes
//   foreground           the window is activated before it is shown, so that
//                        its caption is drawn active
//   size=W,H             the window's size in pixels (after `foreground`,
//                        the same call activates the window)
//   title=TEXT           the window's title
//   icons                the application icon as the big and the small icon
//   enabled:ID=0|1  visible:ID=0|1  check:ID=N  text:ID=TEXT  limit:ID=N  range:ID=LOW,HIGH
//
// A control's words follow each other. TEXT is UTF-16 with every unit outside
// [A-Za-z0-9._:\-] written as %XXXX (hex), so that no word holds a blank or a
// quote and the command line passes through Wine's launcher unchanged.
#pragma once

#include <cwchar>
#include <string>

namespace kmx {
namespace bench {

inline bool IsPlainTextUnit(wchar_t unit) {
    return (unit >= L'A' && unit <= L'Z') || (unit >= L'a' && unit <= L'z') ||
           (unit >= L'0' && unit <= L'9') || unit == L'.' || unit == L'_' || unit == L':' || unit == L'\\' ||
           unit == L'-';
}

inline std::wstring EscapeText(const std::wstring& text) {
    std::wstring escaped;
    for (const wchar_t unit : text) {
        if (IsPlainTextUnit(unit)) {
            escaped += unit;
        } else {
            wchar_t hex[6];
            std::swprintf(hex, 6, L"%%%04X", static_cast<unsigned>(unit));
            escaped += hex;
        }
    }
    return escaped;
}

inline std::wstring UnescapeText(const wchar_t* begin, const wchar_t* end) {
    std::wstring text;
    for (const wchar_t* at = begin; at < end; ++at) {
        if (*at == L'%' && end - at >= 5) {
            text += static_cast<wchar_t>(std::wcstoul(std::wstring(at + 1, at + 5).c_str(), nullptr, 16));
            at += 4;
        } else {
            text += *at;
        }
    }
    return text;
}

}  // namespace bench
}  // namespace kmx
