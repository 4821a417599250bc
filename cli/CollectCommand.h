// kmxlogcfg collect: one zip of the log files and the settings, for a
// support case.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/CommandHost.h"

namespace kmx {

struct CollectRequest {
    std::wstring target;             // "" for KMXLogs-COMPUTER-USER-STAMP.zip (KMXLogs-redacted-STAMP.zip)
    bool replace = false;            // /y
    std::uint64_t sinceSeconds = 0;  // --since; 0 for every log file
    bool redact = false;             // --redact
    std::vector<std::wstring> redactAlso;  // --redact-also, matched anywhere in any case
};

// model: the settings as show reads them. version: kmxlogcfg's, for about.txt.
int Collect(CommandHost& host, const SettingsModel& model, const CollectRequest& request,
            const std::wstring& version);

}  // namespace kmx
