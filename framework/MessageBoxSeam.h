// Every message box of the program is shown through ShowMessageBox, so that
// tests can record the boxes and answer them without a modal loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace kmx {

using MessageBoxFunction =
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>;

// Shows a message box through the installed function (::MessageBoxW unless
// replaced) and returns its answer.
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);

// Installs `function` (an empty one restores ::MessageBoxW) and returns the
// previous one.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);

}  // namespace kmx
