// What a window shows, read with sentinels so that a failed call is seen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kmx {

inline std::wstring WindowText(HWND window) {
    wchar_t text[512] = L"sentinel";
    GetWindowTextW(window, text, 512);
    return text;
}

inline std::wstring ClassName(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

// The child windows from the top of the z order down (= template order).
inline std::vector<HWND> ChildrenInZOrder(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

}  // namespace kmx
