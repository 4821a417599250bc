#include "cli/LogFolder.h"

#include <algorithm>

#include "cli/CommandHost.h"
#include "settings/AsciiCase.h"
#include "settings/FieldRules.h"
#include "settings/FileName.h"

namespace kmx {

LogLocation LocateLogs(const SettingsModel& model) {
    LogLocation location;
    location.directory = TrimTrailingBackslashes(model.logDirectory);
    location.prefix = model.logFilePrefix;
    location.folder = location.directory + L"\\" + kLogFolderName;
    return location;
}

bool IsLogFileName(const std::wstring& name, const std::wstring& prefix) {
    return name.size() >= prefix.size() &&
           EqualsIgnoringAsciiCase(std::wstring_view(name).substr(0, prefix.size()), prefix);
}

LogSummary SummarizeLogs(const SettingsModel& model, const std::wstring& prefix,
                         std::vector<DirectoryEntry> entries) {
    LogSummary summary;
    for (DirectoryEntry& entry : entries) {
        if (entry.directory || !IsLogFileName(entry.name, prefix)) continue;
        summary.totalBytes += entry.size;
        if (!summary.oldest || entry.lastWritten < *summary.oldest) summary.oldest = entry.lastWritten;
        summary.files.push_back(std::move(entry));
    }
    std::sort(summary.files.begin(), summary.files.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    if (model.value[kEnableMaxDirSize] != 0) summary.maxDirSizeMB = LimitToWrite(model, kMaxDirSizeMB);
    if (model.value[kEnableMaxAge] != 0) summary.maxAgeDays = LimitToWrite(model, kMaxAgeDays);
    return summary;
}

bool ListLogFolder(CommandHost& host, const LogLocation& location, std::vector<DirectoryEntry>* entries,
                   std::wstring* problem) {
    if (!host.ListDirectory(location.folder, entries, problem)) return false;
    for (DirectoryEntry& entry : *entries) {
        if (entry.directory || entry.reparsePoint || !IsLogFileName(entry.name, location.prefix)) continue;
        std::uint64_t size = 0;
        UtcTicks lastWritten = 0;
        if (!host.OpenFileFacts(location.folder + L"\\" + entry.name, &size, &lastWritten)) continue;
        entry.size = size;
        entry.lastWritten = lastWritten;
    }
    return true;
}

std::uint64_t AgeInDays(UtcTicks then, UtcTicks now) {
    return now > then ? (now - then) / (kTicksPerSecond * 86400) : 0;
}

}  // namespace kmx
