// The companion's commands for deploying by Group Policy or Intune: the
// administrative templates, and the settings as a preferences collection.
#pragma once

#include <string>
#include <vector>

#include "cli/CommandHost.h"
#include "settings/SettingsView.h"

namespace kmx {

// admx DIR [/y]: DIR\KMXLogCtl.admx and DIR\en-US\KMXLogCtl.adml, creating
// the folders; existing files are replaced only with /y.
int WritePolicyTemplates(CommandHost& host, const std::wstring& dir, bool replace);

// export --gpp FILE [/y]: the settings, as export writes them to a .reg file,
// as a Group Policy Preferences registry collection.
int ExportGpp(CommandHost& host, const std::wstring& path, bool replace,
              const std::vector<ShownSetting>& settings);

}  // namespace kmx
