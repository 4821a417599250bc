// show [--json]: the settings, their factory defaults and what differs, and
// the time box. Reads only.
#pragma once

#include <string>

#include "cli/CommandHost.h"

namespace kmx {

int Show(CommandHost& host);
int ShowJson(CommandHost& host);

// What show --json prints, also for commands that bundle it.
std::wstring SettingsJson(CommandHost& host);

}  // namespace kmx
