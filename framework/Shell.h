// Finding another program's window, a thin wrapper of one Win32 call.
#pragma once

#include <windows.h>

namespace kmx {

// FindWindowW with a class name and any title.
HWND FindTopLevelWindow(const wchar_t* className);

}  // namespace kmx
