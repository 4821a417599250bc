#include "framework/Shell.h"

namespace kmx {

HWND FindTopLevelWindow(const wchar_t* className) { return ::FindWindowW(className, nullptr); }

}  // namespace kmx
