// Start-up benchmark: how long KMXLogCtl.exe takes from CreateProcessW until
// its window is shown and idle, against minimal_dialog.exe (the same dialog
// template and nothing else), interleaved over KMX_BENCH_RUNS runs each
// (10 by default); then the program's peak working set, its file size and
// the DLLs it imports. Last, the console companion: `kmxlogcfg show` and
// `kmxlogcfg export FILE /y` from CreateProcessW until the process has ended,
// against hello_console.exe (prints one line), interleaved over three times
// as many runs, with stdout and stderr on NUL.
//
//   startup_bench.exe          the benchmark
//   startup_bench.exe --once [--show-app-dump]
//       one start and close of KMXLogCtl.exe and nothing else, for tracing the
//       registry calls of a start; with --show-app-dump, ShowAppDump = 1 is
//       set in the logging key for that start (and removed again if it was
//       not there)
#include <windows.h>
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

struct Run {
    bool ok = false;
    double startMs = 0;
    SIZE_T peakWorkingSet = 0;
    std::string problem;
};

// Starts `exe`, times it until its window is visible and the process idle,
// reads its peak working set while the window is open, then closes it.
Run StartAndClose(const std::wstring& exe) {
    Run run;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        run.problem = "CreateProcessW failed, error " + std::to_string(GetLastError());
        return run;
    }
    WaitForInputIdle(process.hProcess, kPatienceMs);
    HWND window = nullptr;
    for (DWORD waited = 0; window == nullptr && waited < kPatienceMs; waited += 1) {
        window = VisibleWindowOf(process.dwProcessId);
        if (window == nullptr) Sleep(1);
    }
    LARGE_INTEGER shown;
    QueryPerformanceCounter(&shown);
    if (window == nullptr) {
        run.problem = "no visible window within 10 s";
    } else {
        run.startMs = Milliseconds(begin, shown);
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof(memory);
        if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof(memory)))
            run.peakWorkingSet = memory.PeakWorkingSetSize;
        PostMessageW(window, WM_CLOSE, 0, 0);
        run.ok = true;
    }
    if (WaitForSingleObject(process.hProcess, kPatienceMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, kPatienceMs);
        run.ok = false;
        run.problem += run.problem.empty() ? "" : "; ";
        run.problem += "did not end after WM_CLOSE; killed";
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

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

int RunsWanted() {
    const char* text = std::getenv("KMX_BENCH_RUNS");
    const int runs = text != nullptr ? std::atoi(text) : 0;
    return runs > 0 ? runs : 10;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring program = OwnDirectory() + L"KMXLogCtl.exe";
    const std::wstring minimal = OwnDirectory() + L"minimal_dialog.exe";

    if (argc > 1 && std::wstring(argv[1]) == L"--once") {
        const bool showAppDump = argc > 2 && std::wstring(argv[2]) == L"--show-app-dump";
        HKEY key = nullptr;
        bool added = false;
        if (showAppDump && RegOpenKeyExW(HKEY_CURRENT_USER, kLoggingKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                         &key) == ERROR_SUCCESS) {
            const DWORD one = 1;
            added =
                RegQueryValueExW(key, L"ShowAppDump", nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS;
            RegSetValueExW(key, L"ShowAppDump", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                           sizeof(one));
        }
        const Run run = StartAndClose(program);
        if (key != nullptr) {
            if (added) RegDeleteValueW(key, L"ShowAppDump");
            RegCloseKey(key);
        }
        if (!run.ok) std::printf("KMXLogCtl.exe: %s\n", run.problem.c_str());
        return run.ok ? 0 : 1;
    }

    // The first start of each also completes the logging key (it writes
    // every missing setting) and warms the file cache; neither is counted.
    for (const std::wstring& exe : {program, minimal}) {
        const Run warmUp = StartAndClose(exe);
        if (!warmUp.ok) {
            std::printf("%s: %s\n", Narrow(exe).c_str(), warmUp.problem.c_str());
            return 1;
        }
    }
    std::printf("logging key before the runs: %lu values\n", ValueCount(HKEY_CURRENT_USER, kLoggingKey));

    const int runs = RunsWanted();
    std::vector<double> programMs, minimalMs;
    SIZE_T programPeak = 0, minimalPeak = 0;
    for (int i = 0; i < runs; ++i) {
        // Alternate which goes first, so neither always follows the other.
        for (int k = 0; k < 2; ++k) {
            const bool isProgram = (i + k) % 2 == 0;
            const Run run = StartAndClose(isProgram ? program : minimal);
            if (!run.ok) {
                std::printf("%s: %s\n", isProgram ? "KMXLogCtl.exe" : "minimal_dialog.exe",
                            run.problem.c_str());
                return 1;
            }
            (isProgram ? programMs : minimalMs).push_back(run.startMs);
            SIZE_T& peak = isProgram ? programPeak : minimalPeak;
            peak = std::max(peak, run.peakWorkingSet);
        }
    }

    const double programMedian = Median(programMs);
    const double minimalMedian = Median(minimalMs);
    const double ratio = programMedian / minimalMedian;
    std::printf("start to shown and idle, median of %d interleaved runs each:\n", runs);
    std::printf("  KMXLogCtl.exe       %8.1f ms  (min %.1f, max %.1f)\n", programMedian,
                *std::min_element(programMs.begin(), programMs.end()),
                *std::max_element(programMs.begin(), programMs.end()));
    std::printf("  minimal_dialog.exe  %8.1f ms  (min %.1f, max %.1f)\n", minimalMedian,
                *std::min_element(minimalMs.begin(), minimalMs.end()),
                *std::max_element(minimalMs.begin(), minimalMs.end()));
    std::printf("  ratio               %8.2f    (target <= 1.10: %s)\n", ratio,
                ratio <= 1.10 ? "met" : "MISSED");

    std::printf("peak working set with the window open: KMXLogCtl.exe %zu KiB, minimal_dialog.exe %zu KiB\n",
                programPeak / 1024, minimalPeak / 1024);

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
    std::printf("logging key after the runs: %lu values\n", ValueCount(HKEY_CURRENT_USER, kLoggingKey));
    return BenchConsoleCompanion(3 * runs) ? 0 : 1;
}
