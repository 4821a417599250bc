// kmxlogcfg: the console companion of the logging control window, for
// administrators' scripts.
#include <windows.h>

#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/win32/ConsoleHost.h"
#include "kvxshared/KvxShared.h"

#ifndef KMX_VERSION_STRING
#define KMX_VERSION_STRING L"0.0.0"
#endif

int wmain(int argc, wchar_t** argv) {
    kmx::ConsoleHost host;
    // The connector's library reads the variant through the same registry.
    Korvex::Util::ScopedRegistry library(host.Registry());
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    return kmx::RunCommandLine(args, KMX_VERSION_STRING, host);
}
