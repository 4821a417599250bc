#include "framework/Shell.h"

namespace kmx {

DWORD GetTempPathText(std::wstring& path) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD result = ::GetTempPathW(MAX_PATH, buffer);
    if (result > 0 && result < MAX_PATH) path.assign(buffer, result);
    return result;
}

DWORD GetFileAttributesOf(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

HWND FindTopLevelWindow(const wchar_t* className) { return ::FindWindowW(className, nullptr); }

}  // namespace kmx
