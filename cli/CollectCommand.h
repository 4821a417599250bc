// kmxlogcfg collect: one zip of the log files and the settings, for a
// support case.
#pragma once

#include <string>
#include <vector>

#include "cli/CommandHost.h"

namespace kmx {

// args: the words after "collect". version: kmxlogcfg's, for about.txt.
int Collect(CommandHost& host, const SettingsModel& model, const std::vector<std::wstring>& args,
            const std::wstring& version);

}  // namespace kmx
