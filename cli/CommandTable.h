// The companion's command line: one table of its commands, from which both
// the usage text and the dispatch come.
#pragma once

#include <string>
#include <vector>

#include "cli/CommandHost.h"

namespace kmx {

// args: the command line without the program's name. version: what
// --version prints after the program's name. Returns the exit status
// (cli/ExitCode.h).
int RunCommandLine(const std::vector<std::wstring>& args, const std::wstring& version, CommandHost& host);

}  // namespace kmx
