#include "cli/CollectFiles.h"

namespace kmx {

bool SelectLogFiles(CommandHost& host, const SettingsModel& model, std::uint64_t sinceSeconds,
                    LogSelection* selection) {
    selection->location = LocateLogs(model);
    const std::wstring& folder = selection->location.folder;
    if (!host.DirectoryExists(folder)) {
        host.Err(L"kmxlogcfg: there is no log folder " + folder + L"\n");
        return false;
    }
    std::vector<DirectoryEntry> entries;
    std::wstring problem;
    if (!ListLogFolder(host, selection->location, &entries, &problem)) {
        host.Err(L"kmxlogcfg: cannot list " + folder + L": " + problem + L"\n");
        return false;
    }
    const UtcTicks now = host.NowUtc();
    const UtcTicks span = sinceSeconds * kTicksPerSecond;
    selection->since = sinceSeconds > 0 && now > span ? now - span : 0;
    for (DirectoryEntry& entry : SummarizeLogs(model, selection->location.prefix, std::move(entries)).files) {
        if (entry.reparsePoint || entry.lastWritten < selection->since) continue;
        selection->totalBytes += entry.size;
        selection->files.push_back(std::move(entry));
    }
    return true;
}

}  // namespace kmx
