#include "framework/MessageBoxSeam.h"

#include <utility>

namespace kmx {

namespace {

MessageBoxFunction& InstalledFunction() {
    static MessageBoxFunction function;
    return function;
}

}  // namespace

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    const MessageBoxFunction& function = InstalledFunction();
    if (function) return function(owner, text, caption, type);
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function) {
    return std::exchange(InstalledFunction(), std::move(function));
}

}  // namespace kmx
