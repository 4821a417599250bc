// The few file, environment and window-lookup services the dialogs need,
// each a thin wrapper of one Win32 call.
#pragma once

#include <windows.h>
#include <string>

namespace kmx {

// GetTempPathW with a buffer of MAX_PATH units. Returns the call's result (the
// length, 0 on failure, or the size needed when the buffer is too small); the
// path is set only when the call succeeded within the buffer.
DWORD GetTempPathText(std::wstring& path);

// GetFileAttributesW.
DWORD GetFileAttributesOf(const std::wstring& path);

// FindWindowW with a class name and any title.
HWND FindTopLevelWindow(const wchar_t* className);

}  // namespace kmx
