// kmxlogcfg: the console companion of the logging control window, for
// administrators' scripts.
#include <windows.h>

#include <string>
#include <vector>

#include "KMXVersion.h"
#include "cli/CommandTable.h"
#include "cli/win32/ConsoleHost.h"
#include "kvxshared/KvxShared.h"

int wmain(int argc, wchar_t** argv) {
    kmx::ConsoleHost host;
    // The connector's library reads the variant through the same registry.
    Korvex::Util::ScopedRegistry library(host.Registry());
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    const std::string version = KMX_VERSION_STRING;
    return kmx::RunCommandLine(args, std::wstring(version.begin(), version.end()), host);
}
