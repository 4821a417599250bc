// Every message box of the program is shown through ShowMessageBox, so that
// tests can record the boxes and answer them without a modal loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kmx {

using MessageBoxFunction =
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>;

// Shows a message box through the installed function (::MessageBoxW unless
// replaced) and returns its answer.
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);

// Installs `function` (an empty one restores ::MessageBoxW) and returns the
// previous one.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);

// For tests: while it lives, every box is recorded and answered with
// Answer() instead of being shown. The previous function comes back when it
// goes.
class ScopedMessageBoxRecorder {
public:
    struct Box {
        HWND owner;
        std::wstring text;
        std::wstring caption;
        UINT type;
    };

    explicit ScopedMessageBoxRecorder(int answer = IDOK);
    ~ScopedMessageBoxRecorder();
    ScopedMessageBoxRecorder(const ScopedMessageBoxRecorder&) = delete;
    ScopedMessageBoxRecorder& operator=(const ScopedMessageBoxRecorder&) = delete;

    const std::vector<Box>& Boxes() const { return m_boxes; }
    void SetAnswer(int answer) { m_answer = answer; }
    int Answer() const { return m_answer; }

private:
    std::vector<Box> m_boxes;
    int m_answer;
    MessageBoxFunction m_previous;
};

}  // namespace kmx
