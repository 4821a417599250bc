// The yardstick of the console companion's timings: a console program that
// prints one line and exits, built and linked as kmxlogcfg.exe is.
#include <windows.h>

int wmain() {
    const char line[] = "hello\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, sizeof(line) - 1, &written, nullptr);
    return 0;
}
