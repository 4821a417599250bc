#include "cli/CollectAbout.h"

#include <optional>

#include "cli/TimeBox.h"
#include "cli/TimeBoxCommands.h"
#include "settings/IsBESFromRegistry.h"

namespace kmx {
namespace {

std::wstring Two(int number) { return (number < 10 ? L"0" : L"") + std::to_wstring(number); }

// "UTC+01:00": local minus UTC.
std::wstring UtcOffset(int minutes) {
    const int magnitude = minutes < 0 ? -minutes : minutes;
    return std::wstring(L"UTC") + (minutes < 0 ? L"-" : L"+") + Two(magnitude / 60) + L":" +
           Two(magnitude % 60);
}

std::wstring TimeBoxText(CommandHost& host) {
    std::optional<TimeBox> box;
    if (ReadTimeBox(host.Registry(), &box) != kErrorSuccess)
        return L"unknown (the companion's key cannot be read)";
    return box ? DescribeTimeBox(host, *box) : L"none";
}

}  // namespace

std::wstring AboutText(CommandHost& host, const std::wstring& version, const MachineFacts& facts,
                       const LogSelection& selection, std::uint64_t sinceSeconds,
                       const ArchivedLogs& archived) {
    std::wstring about = L"kmxlogcfg " + version + L"\r\n";
    about += L"Windows:       " + facts.windowsVersion + L"\r\n";
    about += L"Computer:      " + facts.computer + L"\r\n";
    about += L"User:          " + facts.user + L"\r\n";
    about += L"Time:          " + host.LocalTimeText(TicksFromUnixSeconds(facts.now.unixSeconds)) +
             L" local (" + UtcOffset(facts.utcOffsetMinutes) + L"), " + facts.nowUtc + L"\r\n";
    about += L"Variant:       IsBESKMX " + std::to_wstring(host.IsBESKMX()) + L", isBES " +
             (IsBESFromRegistry(host.Registry()) ? L"1" : L"0") + L"\r\n";
    about += L"Time box:      " + TimeBoxText(host) + L"\r\n";
    about += L"Log folder:    " + selection.location.folder + L" (prefix \"" + selection.location.prefix +
             L"\")\r\n";
    if (sinceSeconds > 0)
        about += L"Since:         " + IsoUtc(selection.since) + L" (--since " +
                 std::to_wstring(sinceSeconds) + L"s)\r\n";
    about += L"Log files:     " + std::to_wstring(archived.stored) + L" stored (" +
             std::to_wstring(archived.storedBytes) + L" bytes), " +
             std::to_wstring(selection.files.size() - archived.stored) + L" skipped\r\n";
    if (!archived.skipped.empty()) about += L"Skipped:\r\n" + archived.skipped;
    return about;
}

}  // namespace kmx
