// Runs KMXLogCtl.exe as a process of its own and works it from outside, the
// way a user would: only window messages to its controls by id, and the
// message boxes it shows are read and answered like any other window.
// Every wait is bounded; a program that does not end in time is killed.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

namespace kmx {
namespace e2e {

using Millis = std::chrono::milliseconds;
inline constexpr Millis kPatience{10000};
// Long enough for a box that is going to appear after an answered one.
inline constexpr Millis kQuietPeriod{300};
// Boxes are answered no sooner than a quick reader could. Under Wine on Xvfb
// the program learns that a box took the keyboard (an X focus event) a few ms
// after the box became active, 10 ms at most in our measurements. A person's
// key press or click always comes after that event; a posted click can
// overtake it, and the stale event then makes Wine deactivate the whole
// program once the box has closed, a state no user can bring about.
inline constexpr Millis kReadingTime{150};

inline constexpr wchar_t kDialogClass[] = L"#32770";
inline constexpr wchar_t kOutlookTitle[] = L"Korvex Connector For Outlook Logging Control";
inline constexpr wchar_t kBlackBerryTitle[] = L"Korvex Connector For BlackBerry Logging Control";
// The text of a message box is the static control with this id.
inline constexpr int kBoxTextId = 0xFFFF;

// Handles what other processes send to this thread's windows (Wine gives a
// thread windows of its own, and a start-up broadcast waits for each of them
// to answer).
inline void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Polls `ready` until it holds or `timeout` has passed.
template <typename Condition>
bool WaitUntil(Condition ready, Millis timeout = kPatience) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        PumpMessages();
        if (ready()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Handles messages for `duration`.
inline void PumpFor(Millis duration) {
    WaitUntil([] { return false; }, duration);
}

// KMX_PROGRAM when set, otherwise KMXLogCtl.exe beside this test program.
inline std::wstring ProgramPath() {
    wchar_t buffer[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"KMX_PROGRAM", buffer, MAX_PATH) > 0) return buffer;
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, length);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + L"KMXLogCtl.exe";
}

// Text of a window of any process (WM_GETTEXT is marshalled across processes).
inline std::wstring TextOf(HWND window) {
    wchar_t text[1024] = L"";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                             &copied))
        return L"<no answer>";
    return std::wstring(text, copied);
}

inline std::string WideToUtf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

struct MessageBoxWindow {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
};

class ProgramDriver {
public:
    ProgramDriver() = default;
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    ~ProgramDriver() {
        Kill();
        if (m_process.hProcess) CloseHandle(m_process.hProcess);
        if (m_process.hThread) CloseHandle(m_process.hThread);
    }

    // Starts the program and waits until its main window is shown. On
    // failure, `problem` says what went wrong (and a started process is killed).
    bool Start(std::wstring* problem) {
        const std::wstring exe = ProgramPath();
        if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
            *problem = L"program not found: " + exe;
            return false;
        }
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &m_process)) {
            *problem = L"CreateProcessW failed with error " + std::to_wstring(GetLastError());
            return false;
        }
        // Idle and showing its window; polled, so that this thread keeps
        // answering what the starting program sends it.
        const auto shown = [&] {
            return WaitForInputIdle(m_process.hProcess, 0) != WAIT_TIMEOUT &&
                   (m_main = FindMainWindow()) != nullptr;
        };
        if (!WaitUntil([&] { return shown() || HasEnded(); })) {
            *problem = L"no main window within 10 s (its windows:" + DescribeWindows() +
                       L"); the program was killed";
            Kill();
            return false;
        }
        if (m_main == nullptr) {
            *problem = L"the program ended without showing its window";
            return false;
        }
        return true;
    }

    HWND Main() const { return m_main; }
    HWND Item(int id) const { return GetDlgItem(m_main, id); }

    // A click that cannot lead to a modal box: returns when it was handled.
    void Click(int id) const { Send(Item(id), BM_CLICK, 0, 0); }
    // A click that may open a modal box: returns at once.
    void PostClick(int id) const { PostMessageW(Item(id), BM_CLICK, 0, 0); }
    void Close() const { PostMessageW(m_main, WM_CLOSE, 0, 0); }

    void Type(int id, const std::wstring& text) const {
        Send(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::wstring Text(int id) const { return TextOf(Item(id)); }
    std::wstring Title() const { return TextOf(m_main); }
    bool IsChecked(int id) const { return Send(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool IsEnabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool IsVisible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
    bool IsOpen() const { return !HasEnded() && IsWindow(m_main); }

    RECT WindowRect(HWND window) const {
        RECT rect = {};
        GetWindowRect(window, &rect);
        return rect;
    }

    HWND FocusedWindow() const { return GuiThread().hwndFocus; }
    HWND ActiveWindow() const { return GuiThread().hwndActive; }

    // For failure messages: which windows have the focus and the activation,
    // and which one is in the foreground.
    std::wstring DescribeFocus() const {
        const GUITHREADINFO info = GuiThread();
        return L"focus on " + Describe(info.hwndFocus) + L", active " + Describe(info.hwndActive) +
               L", foreground " + Describe(GetForegroundWindow());
    }

    // The program's message box currently shown, if any.
    std::optional<MessageBoxWindow> CurrentBox() const {
        HWND box = nullptr;
        while ((box = FindWindowExW(nullptr, box, kDialogClass, nullptr)) != nullptr) {
            if (box == m_main || !IsWindowVisible(box) || OwnerPid(box) != m_process.dwProcessId) continue;
            HWND text = GetDlgItem(box, kBoxTextId);
            if (text == nullptr) continue;
            return MessageBoxWindow{box, TextOf(box), TextOf(text)};
        }
        return std::nullopt;
    }

    std::optional<MessageBoxWindow> WaitForBox(Millis timeout = kPatience) const {
        std::optional<MessageBoxWindow> box;
        WaitUntil([&] { return (box = CurrentBox()).has_value() || HasEnded(); }, timeout);
        return box;
    }

    // Presses the box's button `buttonId` (IDOK, IDCANCEL) once the box is
    // active and has been read, and waits until the box has gone.
    bool Answer(const MessageBoxWindow& box, int buttonId) const {
        HWND button = GetDlgItem(box.window, buttonId);
        if (button == nullptr) return false;
        WaitUntil([&] { return ActiveWindow() == box.window; });
        PumpFor(kReadingTime);
        PostMessageW(button, BM_CLICK, 0, 0);
        return WaitUntil([&] { return !IsWindow(box.window); });
    }

    bool HasEnded() const {
        return m_process.hProcess == nullptr || WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0;
    }

    // Waits for the process to end; otherwise kills it and says why it was
    // still running (a box that is open, or no answer at all).
    bool WaitForEnd(std::wstring* problem, Millis timeout = kPatience) {
        if (WaitUntil([&] { return HasEnded(); }, timeout)) return true;
        *problem = L"the program did not end within " + std::to_wstring(timeout.count()) + L" ms";
        if (const auto box = CurrentBox())
            *problem += L"; a box was open: \"" + box->caption + L"\": \"" + box->text + L"\"";
        *problem += L"; it was killed";
        Kill();
        return false;
    }

    // Ends a program that is still running. True when it had to.
    bool Kill() {
        if (HasEnded()) return false;
        TerminateProcess(m_process.hProcess, 99);
        WaitForSingleObject(m_process.hProcess, 5000);
        return true;
    }

private:
    GUITHREADINFO GuiThread() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetWindowThreadProcessId(m_main, nullptr), &info);
        return info;
    }

    std::wstring Describe(HWND window) const {
        if (window == nullptr) return L"none";
        if (window == m_main) return L"the main window";
        if (window == GetDesktopWindow()) return L"the desktop";
        if (GetParent(window) == m_main) return L"control " + std::to_wstring(GetDlgCtrlID(window));
        wchar_t className[64] = L"";
        GetClassNameW(window, className, 64);
        return L"a window of class " + std::wstring(className);
    }

    static DWORD OwnerPid(HWND window) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        return pid;
    }

    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
        return static_cast<LRESULT>(result);
    }

    // Class, title and visibility of each top-level window of the program.
    std::wstring DescribeWindows() const {
        std::wstring list;
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, nullptr, nullptr)) != nullptr) {
            if (OwnerPid(window) != m_process.dwProcessId) continue;
            wchar_t className[64] = L"";
            GetClassNameW(window, className, 64);
            list += L" [" + std::wstring(className) + L" \"" + TextOf(window) + L"\"" +
                    (IsWindowVisible(window) ? L" visible]" : L" hidden]");
        }
        return list.empty() ? L" none" : list;
    }

    HWND FindMainWindow() const {
        for (const wchar_t* title : {kOutlookTitle, kBlackBerryTitle}) {
            HWND window = nullptr;
            while ((window = FindWindowExW(nullptr, window, kDialogClass, title)) != nullptr) {
                if (OwnerPid(window) == m_process.dwProcessId && IsWindowVisible(window)) return window;
            }
        }
        return nullptr;
    }

    PROCESS_INFORMATION m_process = {};
    HWND m_main = nullptr;
};

}  // namespace e2e
}  // namespace kmx
