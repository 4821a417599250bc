// Start-up benchmark, the side inside Wine (scripts/bench.sh drives it and
// adds the clock watched from the X server):
//
//   startup_bench.exe --capture
//       reads the shown state of KMXLogCtl.exe and of the bare template off
//       their running windows by message (title, size, and every control's
//       enabled and visible state, check mark, text, limit and spin range)
//       and writes the difference as the same-window floor's words to
//       bench-floor.txt beside this program. Wine answers no WM_GETICON from
//       another process and draws the caption by a state no message reports:
//       bench.sh adds those two from the X side.
//   startup_bench.exe --compare
//       starts the program and the floor and checks that they show the same
//       state by message, the focused control included
//   startup_bench.exe --idle-round N
//       one start of each window (the program and the three yardsticks), in
//       an order rotated by N, each timed from CreateProcessW until its window
//       is shown and the process idle; prints "idle LABEL MS PEAK_KIB" lines
//   startup_bench.exe --breakdown [RUNS]
//       where the time of a start goes: the probed builds of the program and
//       of the same-window floor (Probe.h), started alternately, with the
//       median time of each stamped step
//   startup_bench.exe --report
//       the program's file size and imports, then the console companion:
//       `kmxlogcfg show` and `kmxlogcfg export FILE /y` from CreateProcessW
//       until the process has ended, against hello_console.exe (prints one
//       line), interleaved over KMX_BENCH_RUNS runs (10 by default) times
//       three, with stdout and stderr on NUL
//   startup_bench.exe --once [--show-app-dump] [--floor]
//       one start and close of KMXLogCtl.exe (or of the same-window floor) and
//       nothing else, for tracing the registry calls of a start; with
//       --show-app-dump, ShowAppDump = 1 is set in the logging key for that
//       start (and removed again if it was not there)
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "ShownState.h"

namespace {

constexpr DWORD kPatienceMs = 10000;
constexpr wchar_t kLoggingKey[] = L"Software\\Korvex\\Logging";

std::wstring OwnDirectory() {
    wchar_t buffer[MAX_PATH] = L"";
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, length);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path;
}

std::wstring FloorWordsFile() { return OwnDirectory() + L"bench-floor.txt"; }

struct FoundWindow {
    DWORD pid;
    HWND window;
};

BOOL CALLBACK FindVisibleWindowOf(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<FoundWindow*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == found->pid && IsWindowVisible(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleWindowOf(DWORD pid) {
    FoundWindow found{pid, nullptr};
    EnumWindows(FindVisibleWindowOf, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// One of the windows the benchmark starts: a program and its command-line words.
struct Window {
    const char* label;
    std::wstring exe;
    std::wstring words;
};

// A started window, shown and idle.
struct Started {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
    double startMs = 0;
    // QueryPerformanceCounter before CreateProcessW and after WaitForInputIdle.
    LONGLONG beginTicks = 0;
    LONGLONG idleTicks = 0;
    std::string problem;
};

// Starts `window` and waits until its window is visible and the process idle.
Started Start(const Window& window) {
    Started started;
    std::wstring commandLine = L"\"" + window.exe + L"\"";
    if (!window.words.empty()) commandLine += L" " + window.words;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    if (!CreateProcessW(window.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started.process)) {
        started.problem = "CreateProcessW failed, error " + std::to_string(GetLastError());
        return started;
    }
    WaitForInputIdle(started.process.hProcess, kPatienceMs);
    LARGE_INTEGER idle;
    QueryPerformanceCounter(&idle);
    started.beginTicks = begin.QuadPart;
    started.idleTicks = idle.QuadPart;
    for (DWORD waited = 0; started.window == nullptr && waited < kPatienceMs; waited += 1) {
        started.window = VisibleWindowOf(started.process.dwProcessId);
        if (started.window == nullptr) Sleep(1);
    }
    LARGE_INTEGER shown;
    QueryPerformanceCounter(&shown);
    if (started.window == nullptr)
        started.problem = "no visible window within 10 s";
    else
        started.startMs = Milliseconds(begin, shown);
    return started;
}

// Closes the window (WM_CLOSE) and waits for the process; kills it when it
// does not end. Returns false when it had to be killed.
bool Close(Started& started) {
    if (started.process.hProcess == nullptr) return false;
    if (started.window != nullptr) PostMessageW(started.window, WM_CLOSE, 0, 0);
    bool ended = WaitForSingleObject(started.process.hProcess, kPatienceMs) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(started.process.hProcess, 99);
        WaitForSingleObject(started.process.hProcess, kPatienceMs);
        started.problem += started.problem.empty() ? "" : "; ";
        started.problem += "did not end after WM_CLOSE; killed";
    }
    CloseHandle(started.process.hThread);
    CloseHandle(started.process.hProcess);
    started.process = {};
    return ended;
}

SIZE_T PeakWorkingSet(const Started& started) {
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    return GetProcessMemoryInfo(started.process.hProcess, &memory, sizeof(memory)) ? memory.PeakWorkingSetSize
                                                                                   : 0;
}

// ---- The shown state of a running window, read by message ----

struct ControlState {
    int id = 0;
    std::wstring className;
    bool enabled = false;
    bool visible = false;
    std::wstring text;
    LRESULT check = -1;  // buttons only
    LRESULT limit = -1;  // edits only
    LRESULT range = -1;  // spins only: UDM_GETRANGE's MAKELONG(high, low)
};

struct ShownState {
    std::wstring title;
    int width = 0;
    int height = 0;
    int focusId = 0;
    std::vector<ControlState> controls;  // in z-order
};

// WM_GETTEXT, which reaches an edit's own text in another process (GetWindowTextW does not).
std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, kPatienceMs, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_BLOCK,
                        kPatienceMs, &copied);
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

LRESULT Ask(HWND window, UINT message) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, 0, 0, SMTO_BLOCK, kPatienceMs, &result);
    return static_cast<LRESULT>(result);
}

// The spin range comes as UDM_GETRANGE's packed result: UDM_GETRANGE32
// answers through pointers, which do not cross processes.
ShownState ReadShownState(HWND dialog) {
    ShownState state;
    state.title = TextOf(dialog);
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    state.width = rect.right - rect.left;
    state.height = rect.bottom - rect.top;
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof(thread);
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) && thread.hwndFocus != nullptr)
        state.focusId = GetDlgCtrlID(thread.hwndFocus);

    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        ControlState control;
        control.id = GetDlgCtrlID(child);
        wchar_t className[64] = L"";
        GetClassNameW(child, className, 64);
        control.className = className;
        control.enabled = IsWindowEnabled(child) != FALSE;
        control.visible = (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0;
        control.text = TextOf(child);
        if (_wcsicmp(className, L"Button") == 0) control.check = Ask(child, BM_GETCHECK);
        if (_wcsicmp(className, L"Edit") == 0) control.limit = Ask(child, EM_GETLIMITTEXT);
        if (_wcsicmp(className, UPDOWN_CLASSW) == 0) control.range = Ask(child, UDM_GETRANGE);
        state.controls.push_back(control);
    }
    return state;
}

std::optional<ShownState> ShownStateOf(const Window& window, std::string* problem) {
    Started started = Start(window);
    std::optional<ShownState> state;
    if (started.window != nullptr) state = ReadShownState(started.window);
    Close(started);
    *problem = started.problem;
    return state;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The words that turn `from` (the bare template) into `to` (the program), or
// nothing when the two windows do not come from the same template.
std::optional<std::wstring> Difference(const ShownState& from, const ShownState& to, std::string* problem) {
    using kmx::bench::EscapeText;
    if (from.controls.size() != to.controls.size()) {
        *problem = "the two windows have different controls";
        return std::nullopt;
    }
    std::wstring words = L"reads";
    for (std::size_t i = 0; i < to.controls.size(); ++i) {
        const ControlState& a = from.controls[i];
        const ControlState& b = to.controls[i];
        if (a.id != b.id || a.className != b.className) {
            *problem = "control " + std::to_string(i) + " differs in id or class";
            return std::nullopt;
        }
        std::wstring changes;
        const std::wstring id = std::to_wstring(b.id);
        if (a.range != b.range)
            changes += L" range:" + id + L"=" + std::to_wstring(static_cast<short>(HIWORD(b.range))) + L"," +
                       std::to_wstring(static_cast<short>(LOWORD(b.range)));
        if (a.limit != b.limit) changes += L" limit:" + id + L"=" + std::to_wstring(b.limit);
        if (a.text != b.text) changes += L" text:" + id + L"=" + EscapeText(b.text);
        if (a.check != b.check) changes += L" check:" + id + L"=" + std::to_wstring(b.check);
        if (a.visible != b.visible) changes += L" visible:" + id + L"=" + (b.visible ? L"1" : L"0");
        if (a.enabled != b.enabled) changes += L" enabled:" + id + L"=" + (b.enabled ? L"1" : L"0");
        if (changes.empty()) continue;
        const auto sameId = [&](const ControlState& c) { return c.id == b.id; };
        if (std::count_if(to.controls.begin(), to.controls.end(), sameId) != 1) {
            *problem = "control id " + std::to_string(b.id) + " changed but is not unique";
            return std::nullopt;
        }
        words += changes;
    }
    if (from.title != to.title) words += L" title=" + EscapeText(to.title);
    if (from.width != to.width || from.height != to.height)
        words += L" size=" + std::to_wstring(to.width) + L"," + std::to_wstring(to.height);
    return words;
}

// The first way in which two shown states differ, or empty.
std::string FirstDifference(const ShownState& a, const ShownState& b) {
    if (a.title != b.title) return "title";
    if (a.width != b.width || a.height != b.height) return "size";
    if (a.focusId != b.focusId)
        return "focus (" + std::to_string(a.focusId) + " against " + std::to_string(b.focusId) + ")";
    if (a.controls.size() != b.controls.size()) return "number of controls";
    for (std::size_t i = 0; i < a.controls.size(); ++i) {
        const ControlState& x = a.controls[i];
        const ControlState& y = b.controls[i];
        if (x.id != y.id || x.className != y.className || x.enabled != y.enabled || x.visible != y.visible ||
            x.text != y.text || x.check != y.check || x.limit != y.limit || x.range != y.range)
            return "control " + std::to_string(x.id);
    }
    return "";
}

std::optional<std::wstring> ReadFloorWords() {
    std::ifstream file(Narrow(FloorWordsFile()));
    std::string line;
    if (!file || !std::getline(file, line)) return std::nullopt;
    return std::wstring(line.begin(), line.end());
}

// The window's size word alone: the collapsed template.
std::wstring SizeWord(const std::wstring& words) {
    const std::size_t at = words.find(L"size=");
    return at == std::wstring::npos ? std::wstring() : words.substr(at, words.find(L' ', at) - at);
}

std::vector<Window> Windows(const std::wstring& floorWords) {
    const std::wstring minimal = OwnDirectory() + L"minimal_dialog.exe";
    return {{"program", OwnDirectory() + L"KMXLogCtl.exe", L""},
            {"floor", minimal, floorWords},
            {"collapsed", minimal, SizeWord(floorWords)},
            {"full", minimal, L""}};
}

int Capture() {
    const std::vector<Window> windows = Windows(L"");
    std::string problem;
    const std::optional<ShownState> program = ShownStateOf(windows[0], &problem);
    if (!program) {
        std::printf("KMXLogCtl.exe: %s\n", problem.c_str());
        return 1;
    }
    const std::optional<ShownState> bare = ShownStateOf(windows[3], &problem);
    if (!bare) {
        std::printf("minimal_dialog.exe: %s\n", problem.c_str());
        return 1;
    }
    const std::optional<std::wstring> words = Difference(*bare, *program, &problem);
    if (!words) {
        std::printf("the program's window cannot be replayed: %s\n", problem.c_str());
        return 1;
    }
    std::ofstream(Narrow(FloorWordsFile())) << Narrow(*words) << "\n";
    return 0;
}

int Compare() {
    const std::optional<std::wstring> words = ReadFloorWords();
    if (!words) {
        std::printf("no bench-floor.txt: run --capture first\n");
        return 1;
    }
    const std::vector<Window> windows = Windows(*words);
    std::string problem;
    const std::optional<ShownState> program = ShownStateOf(windows[0], &problem);
    const std::optional<ShownState> floor = ShownStateOf(windows[1], &problem);
    if (!program || !floor) {
        std::printf("%s\n", problem.c_str());
        return 1;
    }
    const std::string difference = FirstDifference(*program, *floor);
    std::printf("  shown state read by message (controls, title, size, focus) the same: %s\n",
                difference.empty() ? "yes" : ("NO, " + difference).c_str());
    return difference.empty() ? 0 : 1;
}

int IdleRound(int round) {
    const std::optional<std::wstring> words = ReadFloorWords();
    if (!words) {
        std::printf("no bench-floor.txt: run --capture first\n");
        return 1;
    }
    const std::vector<Window> windows = Windows(*words);
    for (std::size_t k = 0; k < windows.size(); ++k) {
        // Rotated, so that none always follows the same one.
        const Window& window = windows[(static_cast<std::size_t>(round) + k) % windows.size()];
        Started started = Start(window);
        const SIZE_T peak = started.window != nullptr ? PeakWorkingSet(started) : 0;
        const bool ended = Close(started);
        if (!started.problem.empty() || !ended) {
            std::printf("%s: %s\n", window.label, started.problem.c_str());
            return 1;
        }
        std::printf("idle %s %.2f %zu\n", window.label, started.startMs, peak / 1024);
    }
    return 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The names of the DLLs in the PE import directory of `path`.
std::optional<std::vector<std::string>> ImportedDlls(const std::wstring& path) {
    std::ifstream file(Narrow(path), std::ios::binary);
    if (!file) return std::nullopt;
    const std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto at = [&](size_t offset, size_t size) {
        return offset + size <= image.size() ? &image[offset] : nullptr;
    };

    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return std::nullopt;
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS64*>(at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS64)));
    if (nt == nullptr || nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return std::nullopt;
    const size_t sectionsAt = static_cast<size_t>(dos->e_lfanew) +
                              offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                              nt->FileHeader.SizeOfOptionalHeader;
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        at(sectionsAt, sizeof(IMAGE_SECTION_HEADER) * nt->FileHeader.NumberOfSections));
    if (sections == nullptr) return std::nullopt;
    auto fileOffset = [&](DWORD rva) -> std::optional<size_t> {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress &&
                rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return static_cast<size_t>(rva - s.VirtualAddress) + s.PointerToRawData;
        }
        return std::nullopt;
    };

    std::vector<std::string> dlls;
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return dlls;
    const auto first = fileOffset(directory.VirtualAddress);
    if (!first) return std::nullopt;
    for (size_t offset = *first;; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry =
            reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (entry == nullptr) return std::nullopt;
        if (entry->Name == 0) break;
        const auto name = fileOffset(entry->Name);
        if (!name || at(*name, 1) == nullptr) return std::nullopt;
        dlls.emplace_back(&image[*name], strnlen(&image[*name], image.size() - *name));
    }
    return dlls;
}

// A system DLL is one the system directory provides.
bool IsSystemDll(const std::string& name) {
    wchar_t system[MAX_PATH] = L"";
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring path = std::wstring(system) + L"\\" + std::wstring(name.begin(), name.end());
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD ValueCount(HKEY hive, const wchar_t* path) {
    HKEY key = nullptr;
    DWORD count = 0;
    if (RegOpenKeyExW(hive, path, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(key);
    }
    return count;
}

// Milliseconds from CreateProcessW until the process has ended, with its
// standard handles on NUL; negative when it failed or did not exit with 0.
double LaunchToExit(std::wstring commandLine) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    const HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER begin, end;
    QueryPerformanceCounter(&begin);
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(nul);
    if (!started) return -1;
    DWORD exitCode = 1;
    if (WaitForSingleObject(process.hProcess, kPatienceMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, kPatienceMs);
    }
    QueryPerformanceCounter(&end);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode == 0 ? Milliseconds(begin, end) : -1;
}

// The console companion's commands against hello_console.exe, interleaved.
bool BenchConsoleCompanion(int runs) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring exportFile = std::wstring(temp) + L"kmx-bench-export.reg";
    const std::wstring companion = L"\"" + OwnDirectory() + L"kmxlogcfg.exe\"";
    const struct {
        const char* label;
        std::wstring commandLine;
    } programs[] = {
        {"hello_console.exe", L"\"" + OwnDirectory() + L"hello_console.exe\""},
        {"kmxlogcfg show", companion + L" show"},
        {"kmxlogcfg export FILE /y", companion + L" export \"" + exportFile + L"\" /y"},
    };
    constexpr std::size_t kPrograms = std::size(programs);
    std::vector<double> times[kPrograms];
    // One uncounted run of each warms the file cache.
    for (int i = -1; i < runs; ++i) {
        for (std::size_t k = 0; k < kPrograms; ++k) {
            // Rotate the order, so that none always follows the same one.
            const std::size_t which = (static_cast<std::size_t>(i + 1) + k) % kPrograms;
            const double ms = LaunchToExit(programs[which].commandLine);
            if (ms < 0) {
                std::printf("%s: did not start, or did not exit with 0\n", programs[which].label);
                DeleteFileW(exportFile.c_str());
                return false;
            }
            if (i >= 0) times[which].push_back(ms);
        }
    }
    DeleteFileW(exportFile.c_str());

    const double floorMedian = Median(times[0]);
    const double floorMin = *std::min_element(times[0].begin(), times[0].end());
    std::printf("console companion, launch to exit inside Wine (output on NUL), %d interleaved runs each:\n",
                runs);
    std::printf("  %-26s %8s %8s %14s %10s\n", "", "median", "min", "median ratio", "min ratio");
    for (std::size_t k = 0; k < kPrograms; ++k) {
        const double median = Median(times[k]);
        const double least = *std::min_element(times[k].begin(), times[k].end());
        std::printf("  %-26s %5.1f ms %5.1f ms %14.2f %10.2f", programs[k].label, median, least,
                    median / floorMedian, least / floorMin);
        // Both ratios: on a busy machine the medians scatter more than the minimums.
        if (k > 0)
            std::printf("   (target both <= 1.20: %s)",
                        median / floorMedian <= 1.20 && least / floorMin <= 1.20 ? "met" : "MISSED");
        std::printf("\n");
    }
    return true;
}

// ---- The breakdown: time stamps of the probed builds ----

using Steps = std::vector<std::pair<std::string, double>>;

double TicksToMs(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// One start of a probed build: its stamps in milliseconds since CreateProcessW,
// framed by the launch and by WaitForInputIdle's return.
std::optional<Steps> StampedStart(const Window& window) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file = std::wstring(temp) + L"kmx-probe.txt";
    DeleteFileW(file.c_str());
    SetEnvironmentVariableW(L"KMX_PROBE_FILE", file.c_str());
    Started started = Start(window);
    const bool ended = Close(started);
    SetEnvironmentVariableW(L"KMX_PROBE_FILE", nullptr);
    if (!started.problem.empty() || !ended) return std::nullopt;

    Steps steps = {{"CreateProcessW", 0.0}};
    std::ifstream stamps(Narrow(file));
    long long ticks = 0;
    std::string label;
    while (stamps >> ticks && std::getline(stamps, label))
        steps.emplace_back(label.substr(1), TicksToMs(ticks - started.beginTicks));
    steps.emplace_back("idle (WaitForInputIdle returns)", TicksToMs(started.idleTicks - started.beginTicks));
    // Stamps made while the window closes come after idle.
    std::stable_sort(steps.begin(), steps.end(),
                     [](const auto& a, const auto& b) { return a.second < b.second; });
    DeleteFileW(file.c_str());
    return steps;
}

int Breakdown(int runs) {
    const std::optional<std::wstring> words = ReadFloorWords();
    if (!words) {
        std::printf("no bench-floor.txt: run --capture first\n");
        return 1;
    }
    const Window probed[] = {
        {"KMXLogCtl.exe (probed build)", OwnDirectory() + L"probed_start.exe", L""},
        {"same-window floor (probed build)", OwnDirectory() + L"probed_floor.exe", *words}};
    std::vector<Steps> results[2];
    for (int i = -1; i < runs; ++i) {
        for (int k = 0; k < 2; ++k) {
            const int which = (i + 1 + k) % 2;
            const std::optional<Steps> steps = StampedStart(probed[which]);
            if (!steps) {
                std::printf("%s: no stamps\n", probed[which].label);
                return 1;
            }
            if (i >= 0) results[which].push_back(*steps);
        }
    }
    for (int which = 0; which < 2; ++which) {
        const Steps& first = results[which].front();
        std::printf("  %s, medians of %d runs (ms since CreateProcessW, and the step before):\n",
                    probed[which].label, runs);
        double previous = 0;
        for (std::size_t s = 0; s < first.size(); ++s) {
            std::vector<double> at;
            for (const Steps& run : results[which])
                if (run.size() == first.size() && run[s].first == first[s].first) at.push_back(run[s].second);
            const double median = Median(at);
            std::printf("    %8.2f  %+7.2f  %s\n", median, median - previous, first[s].first.c_str());
            previous = median;
        }
    }
    return 0;
}

int RunsWanted() {
    const char* text = std::getenv("KMX_BENCH_RUNS");
    const int runs = text != nullptr ? std::atoi(text) : 0;
    return runs > 0 ? runs : 10;
}

int Report() {
    const std::wstring program = OwnDirectory() + L"KMXLogCtl.exe";
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (GetFileAttributesExW(program.c_str(), GetFileExInfoStandard, &attributes)) {
        const unsigned long long size =
            attributes.nFileSizeLow + (static_cast<unsigned long long>(attributes.nFileSizeHigh) << 32);
        std::printf("KMXLogCtl.exe size: %llu bytes (target < 1 MiB: %s)\n", size,
                    size < 1024ull * 1024 ? "met" : "MISSED");
    }

    if (const auto dlls = ImportedDlls(program)) {
        bool allSystem = true;
        std::printf("imports:");
        for (const std::string& dll : *dlls) {
            const bool system = IsSystemDll(dll);
            allSystem = allSystem && system;
            std::printf(" %s%s", dll.c_str(), system ? "" : " (NOT a system DLL)");
        }
        std::printf("\nonly system DLLs: %s\n", allSystem ? "yes" : "NO");
    } else {
        std::printf("imports: could not read the PE import directory\n");
    }
    std::printf("logging key: %lu values\n", ValueCount(HKEY_CURRENT_USER, kLoggingKey));
    return BenchConsoleCompanion(3 * RunsWanted()) ? 0 : 1;
}

int Once(bool showAppDump, bool floor) {
    std::optional<std::wstring> words;
    if (floor && !(words = ReadFloorWords())) {
        std::printf("no bench-floor.txt: run --capture first\n");
        return 1;
    }
    HKEY key = nullptr;
    bool added = false;
    if (showAppDump && RegOpenKeyExW(HKEY_CURRENT_USER, kLoggingKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                     &key) == ERROR_SUCCESS) {
        const DWORD one = 1;
        added = RegQueryValueExW(key, L"ShowAppDump", nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS;
        RegSetValueExW(key, L"ShowAppDump", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
    }
    const Window window = Windows(words.value_or(L""))[floor ? 1 : 0];
    Started started = Start(window);
    const bool ended = Close(started);
    if (key != nullptr) {
        if (added) RegDeleteValueW(key, L"ShowAppDump");
        RegCloseKey(key);
    }
    if (!started.problem.empty()) std::printf("%s: %s\n", window.label, started.problem.c_str());
    return started.problem.empty() && ended ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"--report";
    if (mode == L"--capture") return Capture();
    if (mode == L"--compare") return Compare();
    if (mode == L"--idle-round" && argc > 2) return IdleRound(_wtoi(argv[2]));
    if (mode == L"--report") return Report();
    if (mode == L"--breakdown") return Breakdown(argc > 2 ? _wtoi(argv[2]) : RunsWanted());
    if (mode == L"--once") {
        bool showAppDump = false, floor = false;
        for (int i = 2; i < argc; ++i) {
            showAppDump = showAppDump || std::wstring(argv[i]) == L"--show-app-dump";
            floor = floor || std::wstring(argv[i]) == L"--floor";
        }
        return Once(showAppDump, floor);
    }
    std::printf(
        "usage: startup_bench.exe --capture | --compare | --idle-round N | --breakdown [RUNS] | --report | "
        "--once "
        "[--show-app-dump] "
        "[--floor]\n");
    return 2;
}
