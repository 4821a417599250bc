// kmxlogcfg: the console companion of the logging control window.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    (void)argv;
    std::fputs("Usage: kmxlogcfg COMMAND [ARGUMENTS]\n", stdout);
    return argc > 1 ? 1 : 0;
}
