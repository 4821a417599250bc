#include "support/win32/MessageBoxRecorder.h"

#include <utility>

namespace kmx {

ScopedMessageBoxRecorder::ScopedMessageBoxRecorder(int answer) : m_answer(answer) {
    m_previous = SetMessageBoxFunction(
        [this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
            m_boxes.push_back(Box{owner, text, caption, type});
            return m_answer;
        });
}

ScopedMessageBoxRecorder::~ScopedMessageBoxRecorder() { SetMessageBoxFunction(std::move(m_previous)); }

}  // namespace kmx
