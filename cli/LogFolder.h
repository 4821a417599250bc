// Where the connector writes its log files and what is there: the folder
// KMXLogs below the configured log directory, holding files named
// PREFIX-TIMESTAMP-HOST-PID.log (and .bak backups). Platform-free: the
// listing of the folder comes from outside as DirectoryEntry values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/SettingsModel.h"
#include "cli/UtcTime.h"

namespace kmx {

class CommandHost;

// One entry of a folder, as FindFirstFileW/FindNextFileW report it ("." and
// ".." left out).
struct DirectoryEntry {
    std::wstring name;          // the name alone, no path
    std::uint64_t size = 0;     // bytes (0 for a directory)
    UtcTicks lastWritten = 0;   // ftLastWriteTime
    bool directory = false;     // FILE_ATTRIBUTE_DIRECTORY
    bool reparsePoint = false;  // FILE_ATTRIBUTE_REPARSE_POINT (a link or junction)
};

inline constexpr wchar_t kLogFolderName[] = L"KMXLogs";

struct LogLocation {
    std::wstring directory;  // the log directory as Save writes it (trailing backslashes trimmed)
    std::wstring prefix;     // the log file prefix
    std::wstring folder;     // directory + "\KMXLogs"
};

// The location the settings in `model` give, as the window would save them.
LogLocation LocateLogs(const SettingsModel& model);

// Whether a file name starts with the prefix, ASCII letters compared
// without case (as the file system does for these names). An empty prefix
// matches every name.
bool IsLogFileName(const std::wstring& name, const std::wstring& prefix);

struct LogSummary {
    std::vector<DirectoryEntry> files;  // the prefix's plain files (no directories), by name
    std::uint64_t totalBytes = 0;
    std::optional<UtcTicks> oldest;  // the earliest last-written time, when there are files
    // The limits that apply, as Save would write them; empty when switched off.
    std::optional<std::int32_t> maxDirSizeMB;  // when EnableMaxDirSize is on
    std::optional<std::int32_t> maxAgeDays;    // when EnableMaxAge is on
};

// The log files among `entries` (one folder's listing, not recursive) and
// the limits of `model` they are measured against.
LogSummary SummarizeLogs(const SettingsModel& model, const std::wstring& prefix,
                         std::vector<DirectoryEntry> entries);

// The log folder's listing, with each of the prefix's files' size and time
// taken from the open file where it opens (the listing's own lag behind the
// file the connector is writing). False with *problem when the folder cannot
// be listed.
bool ListLogFolder(CommandHost& host, const LogLocation& location, std::vector<DirectoryEntry>* entries,
                   std::wstring* problem);

// Whole days from `then` to `now` (0 when `then` is later).
std::uint64_t AgeInDays(UtcTicks then, UtcTicks now);

}  // namespace kmx
