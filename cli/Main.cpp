// kmxlogcfg: the console companion of the logging control window.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "KMXVersion.h"

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"--version") == 0) {
        std::fputs("kmxlogcfg " KMX_VERSION_STRING "\n", stdout);
        return 0;
    }
    std::fputs("Usage: kmxlogcfg COMMAND [ARGUMENTS]\n", stdout);
    return argc > 1 ? 1 : 0;
}
