// kmxlogcfg logs [--json]: where the connector writes its log files and what
// is there. Reads only.
#pragma once

#include "cli/CommandHost.h"
#include "settings/SettingsModel.h"

namespace kmx {

// model: the settings as show reads them. Exit status 0, or 1 when the log
// folder exists but cannot be listed.
int ShowLogs(CommandHost& host, const SettingsModel& model, bool json);

}  // namespace kmx
