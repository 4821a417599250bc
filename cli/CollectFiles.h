// Which log files collect takes: the prefix's files in the log folder,
// written within --since, without links.
#pragma once

#include <cstdint>
#include <vector>

#include "cli/CommandHost.h"
#include "cli/LogFolder.h"

namespace kmx {

struct LogSelection {
    LogLocation location;
    UtcTicks since = 0;  // files last written before it are left out
    std::vector<DirectoryEntry> files;
    std::uint64_t totalBytes = 0;
};

// False, with the message on stderr, when the log folder is missing or
// cannot be listed.
bool SelectLogFiles(CommandHost& host, const SettingsModel& model, std::uint64_t sinceSeconds,
                    LogSelection* selection);

}  // namespace kmx
