// export FILE [/y]: the settings as a .reg file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/CommandHost.h"

namespace kmx {

// An existing file is replaced only with `replace`.
int Export(CommandHost& host, const std::wstring& path, bool replace);

// What export writes, also for commands that bundle it.
std::vector<std::uint8_t> ExportedRegFile(CommandHost& host);

}  // namespace kmx
