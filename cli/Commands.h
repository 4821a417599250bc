// The companion's commands, from the words of its command line to an exit
// status (0 success, 1 any failure or usage error).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/CommandHost.h"

namespace kmx {

// args: the command line without the program's name. version: what
// --version prints after the program's name.
int RunCommandLine(const std::vector<std::wstring>& args, const std::wstring& version, CommandHost& host);

// What show --json prints and export writes, for commands that bundle them.
std::wstring SettingsJson(CommandHost& host);
std::vector<std::uint8_t> ExportedRegFile(CommandHost& host);

}  // namespace kmx
