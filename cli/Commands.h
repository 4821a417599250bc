// The companion's commands, from the words of its command line to an exit
// status (0 success, 1 any failure or usage error).
#pragma once

#include <string>
#include <vector>

#include "cli/CommandHost.h"

namespace kmx {

// args: the command line without the program's name. version: what
// --version prints after the program's name.
int RunCommandLine(const std::vector<std::wstring>& args, const std::wstring& version, CommandHost& host);

}  // namespace kmx
