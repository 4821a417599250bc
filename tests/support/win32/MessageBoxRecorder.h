// Message boxes recorded and answered without a modal loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/MessageBoxSeam.h"

namespace kmx {

// While it lives, every box is recorded and answered with
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
