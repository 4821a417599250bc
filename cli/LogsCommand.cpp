#include "cli/LogsCommand.h"

#include <string>

#include "cli/ExitCode.h"
#include "formats/Json.h"
#include "cli/LogFolder.h"

namespace kmx {
namespace {

std::wstring Number(std::uint64_t number) { return std::to_wstring(number); }

template <typename T>
std::wstring JsonOrNull(const std::optional<T>& number) {
    return number ? std::to_wstring(*number) : L"null";
}

// A size as people read it: bytes below 1 KiB, else one decimal of the
// largest binary unit it reaches ("2.2 MiB", "71.2 GiB").
std::wstring HumanSize(std::uint64_t bytes) {
    static const wchar_t* const kUnits[] = {L"KiB", L"MiB", L"GiB", L"TiB", L"PiB", L"EiB"};
    if (bytes < 1024) return Number(bytes) + L" B";
    std::size_t unit = 0;
    std::uint64_t scale = 1024;
    while (unit + 1 < sizeof(kUnits) / sizeof(kUnits[0]) && bytes / scale >= 1024) {
        scale *= 1024;
        ++unit;
    }
    // Tenths, rounded, without forming bytes * 10 (which may not fit).
    std::uint64_t tenths = bytes / scale * 10 + (bytes % scale * 10 + scale / 2) / scale;
    if (tenths >= 10240 && unit + 1 < sizeof(kUnits) / sizeof(kUnits[0])) {
        tenths = (tenths + 512) / 1024;  // 1023.96 KiB reads as 1.0 MiB
        ++unit;
    }
    return Number(tenths / 10) + L"." + Number(tenths % 10) + L" " + kUnits[unit];
}

std::wstring PaddedLeft(const std::wstring& text, std::size_t width) {
    return text.size() < width ? std::wstring(width - text.size(), L' ') + text : text;
}

}  // namespace

int ShowLogs(CommandHost& host, const SettingsModel& model, bool json) {
    const LogLocation location = LocateLogs(model);
    const bool exists = host.DirectoryExists(location.folder);
    std::vector<DirectoryEntry> entries;
    std::wstring problem;
    if (exists && !ListLogFolder(host, location, &entries, &problem)) {
        host.Err(L"kmxlogcfg: cannot list " + location.folder + L": " + problem + L"\n");
        return kFailure;
    }
    const LogSummary summary = SummarizeLogs(model, location.prefix, std::move(entries));
    std::uint64_t free = 0;
    const bool knowFree = host.FreeBytes(exists ? location.folder : location.directory + L"\\", &free);
    const UtcTicks now = host.NowUtc();
    std::optional<std::uint64_t> oldestAge;
    if (summary.oldest) oldestAge = AgeInDays(*summary.oldest, now);

    if (json) {
        std::wstring out = L"{\"logDirectory\": " + JsonString(location.directory);
        out += L", \"logFilePrefix\": " + JsonString(location.prefix);
        out += L", \"folder\": " + JsonString(location.folder);
        out += std::wstring(L", \"folderExists\": ") + (exists ? L"true" : L"false") + L", \"files\": [";
        for (std::size_t i = 0; i < summary.files.size(); ++i) {
            const DirectoryEntry& file = summary.files[i];
            out += (i > 0 ? L", " : L"") + std::wstring(L"{\"name\": ") + JsonString(file.name) +
                   L", \"size\": " + Number(file.size) + L", \"lastWritten\": " +
                   JsonString(IsoUtc(file.lastWritten)) + L"}";
        }
        out += L"], \"totalBytes\": " + Number(summary.totalBytes);
        out += L", \"maxDirSizeMB\": " + JsonOrNull(summary.maxDirSizeMB);
        out += L", \"oldest\": " + (summary.oldest ? JsonString(IsoUtc(*summary.oldest)) : L"null");
        out += L", \"oldestAgeDays\": " + JsonOrNull(oldestAge);
        out += L", \"maxAgeDays\": " + JsonOrNull(summary.maxAgeDays);
        out += L", \"freeBytes\": " + (knowFree ? Number(free) : L"null") + L"}\n";
        host.Out(out);
        return kSuccess;
    }

    std::wstring out = L"Log directory:   " + location.directory + L"\n";
    out += L"Log file prefix: " + location.prefix + L"\n";
    out += L"Log folder:      " + location.folder + (exists ? L"" : L" (does not exist)") + L"\n";
    if (!summary.files.empty()) {
        out += L"\nLast written (UTC)    " + PaddedLeft(L"Bytes", 12) + PaddedLeft(L"Size", 12) + L"  Name\n";
        for (const DirectoryEntry& file : summary.files)
            out += IsoUtc(file.lastWritten) + L"  " + PaddedLeft(Number(file.size), 12) +
                   PaddedLeft(HumanSize(file.size), 12) + L"  " + file.name + L"\n";
        out += L"\n";
    }
    out += L"Log files:       " + Number(summary.files.size()) + L", " + Number(summary.totalBytes) +
           L" bytes (" + HumanSize(summary.totalBytes) + L") in all\n";
    out += L"Size limit:      ";
    if (summary.maxDirSizeMB) {
        const std::uint64_t limit =
            *summary.maxDirSizeMB > 0 ? static_cast<std::uint64_t>(*summary.maxDirSizeMB) * 1024 * 1024 : 0;
        out += std::to_wstring(*summary.maxDirSizeMB) + L" MB (MaxDirSizeMB), " +
               (summary.totalBytes > limit ? L"exceeded" : L"within") + L"\n";
    } else {
        out += L"none (EnableMaxDirSize is off)\n";
    }
    out += L"Age limit:       ";
    if (summary.maxAgeDays) {
        out += std::to_wstring(*summary.maxAgeDays) + L" days (MaxAgeDays)";
        if (oldestAge)
            out += L", oldest file " + Number(*oldestAge) + L" days old (" + IsoUtc(*summary.oldest) + L")";
        out += L"\n";
    } else {
        out += L"none (EnableMaxAge is off)\n";
    }
    out += L"Free space:      " +
           (knowFree ? Number(free) + L" bytes (" + HumanSize(free) + L")" : std::wstring(L"unknown")) +
           L"\n";
    host.Out(out);
    return kSuccess;
}

}  // namespace kmx
