// Time stamps at the steps of a start, for the benchmark's breakdown: a
// probed build stamps its steps and, when it ends, writes them to the file
// named by KMX_PROBE_FILE, one "TICKS LABEL" line each (QueryPerformanceCounter,
// which Wine takes from one clock for all processes, so the launcher's
// CreateProcessW stamp is comparable). Registry calls in a row are one step.
#pragma once

#include <windows.h>

#include <cstdio>

namespace kmx {
namespace bench {

struct Stamp {
    LONGLONG ticks;
    const char* label;
    int calls;  // registry calls in the step, for the "registry" steps
};

inline constexpr char kRegistryEnds[] = "registry ends";
inline Stamp g_stamps[256];
inline int g_stampCount = 0;

inline LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

inline void Mark(const char* label) {
    if (g_stampCount < 256) g_stamps[g_stampCount++] = {Now(), label, 0};
}

// Around one registry call: a run of calls becomes one "registry" step that
// begins at the first and ends at the last.
inline void RegistryCallBegins() {
    if (g_stampCount == 0 || g_stamps[g_stampCount - 1].label != kRegistryEnds) {
        Mark("registry begins");
        Mark(kRegistryEnds);
    }
}
inline void RegistryCallEnds() {
    g_stamps[g_stampCount - 1].ticks = Now();
    ++g_stamps[g_stampCount - 1].calls;
}

inline void WriteStamps() {
    wchar_t path[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"KMX_PROBE_FILE", path, MAX_PATH) == 0) return;
    FILE* file = _wfopen(path, L"w");
    if (file == nullptr) return;
    for (int i = 0; i < g_stampCount; ++i) {
        if (g_stamps[i].calls > 0)
            std::fprintf(file, "%lld %s (%d calls)\n", g_stamps[i].ticks, g_stamps[i].label,
                         g_stamps[i].calls);
        else
            std::fprintf(file, "%lld %s\n", g_stamps[i].ticks, g_stamps[i].label);
    }
    std::fclose(file);
}

}  // namespace bench
}  // namespace kmx
