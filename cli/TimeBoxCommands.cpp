#include "cli/TimeBoxCommands.h"

#include <optional>

#include "cli/ExitCode.h"
#include "formats/Json.h"
#include "settings/RegistryLayout.h"
#include "cli/TimeBox.h"

namespace kmx {
namespace {

const std::wstring kCompanionKeyName = std::wstring(L"HKEY_CURRENT_USER\\") + kCompanionKeyPath;

std::wstring Status(RegStatus status) { return L"error " + std::to_wstring(status); }

std::wstring Until(CommandHost& host, UtcTicks end) {
    return host.LocalTimeText(end) + L" (UTC " + IsoUtc(end) + L")";
}

std::wstring WhatItHolds(const std::wstring& preset) { return preset.empty() ? L"logging on" : preset; }

// Reads the time box; a key that cannot be read is said on stderr and
// counts as no time box.
std::optional<TimeBox> OpenBox(CommandHost& host) {
    std::optional<TimeBox> box;
    const RegStatus status = ReadTimeBox(host.Registry(), &box);
    if (status != kErrorSuccess)
        host.Err(L"kmxlogcfg: cannot read the time box in " + kCompanionKeyName + L": " + Status(status) +
                 L"\n");
    return box;
}

bool Revert(CommandHost& host, const TimeBox& box) {
    const RevertOutcome outcome = RevertTimeBox(host.Registry(), box);
    if (outcome.status != kErrorSuccess) {
        host.Err(L"kmxlogcfg: the time box could not put back " + outcome.failedValue + L" (" +
                 Status(outcome.status) + L"); it stays open and the next revert repeats it\n");
        return false;
    }
    host.CancelScheduledExpire();
    std::wstring out = L"Ended the time box (" + WhatItHolds(box.preset) + L"): put back " +
                       std::to_wstring(outcome.restored.size()) + L" values as they were before it";
    if (!outcome.kept.empty()) {
        out += L"; kept " + std::to_wstring(outcome.kept.size()) + L" changed since:";
        for (const SettingId id : outcome.kept) out += std::wstring(L" ") + Info(id).name;
    }
    host.Out(out + L".\n");
    if (outcome.logonEntryLeft)
        host.Err(L"kmxlogcfg: could not remove the logon entry " + std::wstring(kLogonEntryName) +
                 L" (it finds nothing to do at the next logon)\n");
    return true;
}

}  // namespace

bool ApplyDueRevert(CommandHost& host) {
    const std::optional<TimeBox> box = OpenBox(host);
    if (!box || !IsDue(*box, host.NowUtc())) return true;
    return Revert(host, *box);
}

int Expire(CommandHost& host, bool now) {
    const std::optional<TimeBox> box = OpenBox(host);
    if (!box) {
        // A logon entry left by an interrupted revert has nothing more to do.
        RemoveLogonEntry(host.Registry());
        host.Out(L"No time box is open.\n");
        return kSuccess;
    }
    if (!now && !IsDue(*box, host.NowUtc())) {
        host.Out(L"The time box runs until " + Until(host, box->end) + L"; nothing to put back yet.\n");
        return kSuccess;
    }
    return Revert(host, *box) ? kSuccess : kFailure;
}

int EnableFor(CommandHost& host, const std::wstring& presetName, std::uint64_t seconds,
              const GuardedChange& change) {
    IRegistry& registry = host.Registry();
    if (!ApplyDueRevert(host)) return kFailure;
    std::optional<TimeBox> box;
    RegStatus status = ReadTimeBox(registry, &box);
    KeyRecord before;
    if (status == kErrorSuccess) status = ReadLoggingValues(registry, &before);
    if (status != kErrorSuccess) {
        host.Err(L"kmxlogcfg: cannot read the settings to record them (" + Status(status) +
                 L"); nothing changed\n");
        return kFailure;
    }
    const bool fresh = !box;
    // On a whole second, as the task's start is given: a task started on time
    // then never finds its time box not yet due.
    const UtcTicks end =
        (host.NowUtc() + seconds * kTicksPerSecond + kTicksPerSecond - 1) / kTicksPerSecond * kTicksPerSecond;
    std::wstring failed;
    const auto forget = [&] {
        if (!fresh) return;
        std::wstring ignored;
        RemoveTimeBox(registry, &ignored);
        RemoveLogonEntry(registry);
    };
    const auto undo = [&] {
        std::wstring value;
        const RegStatus undone = WriteLoggingValues(registry, before, &value);
        if (undone != kErrorSuccess)
            host.Err(L"kmxlogcfg: could not put back " + value + L" (" + Status(undone) + L")\n");
    };
    const auto cannotRecord = [&](const std::wstring& what, RegStatus why) {
        host.Err(L"kmxlogcfg: cannot record the time box: writing " + what + L" failed (" + Status(why) +
                 L"); the change is not made\n");
    };

    // A second time box keeps the first one's record of the earlier values.
    bool recorded = false;
    const int changed = change([&] {
        if (fresh && (status = RecordBefore(registry, before, end, &failed)) != kErrorSuccess) {
            cannotRecord(kCompanionKeyName + L"\\" + failed, status);
            forget();
            return false;
        }
        status = SetLogonEntry(registry, L"\"" + host.ProgramPath() + L"\" expire");
        if (status != kErrorSuccess) {
            cannotRecord(
                L"the logon entry HKEY_CURRENT_USER\\" + std::wstring(kRunKeyPath) + L"\\" + kLogonEntryName,
                status);
            forget();
            return false;
        }
        recorded = true;
        return true;
    });
    if (changed != kSuccess) {
        // A failed Save may have written part of the change.
        if (recorded) {
            undo();
            forget();
        }
        return kFailure;
    }

    KeyRecord after;
    status = ReadLoggingValues(registry, &after);
    if (status == kErrorSuccess) status = RecordAfter(registry, after, presetName, end, &failed);
    if (status != kErrorSuccess) {
        host.Err(L"kmxlogcfg: cannot record the time box: writing " + kCompanionKeyName + L"\\" + failed +
                 L" failed (" + Status(status) + L"); the change was undone\n");
        undo();
        forget();
        return kFailure;
    }

    std::wstring problem;
    if (!host.ScheduleExpire(end, &problem))
        host.Err(L"kmxlogcfg: no task in the Task Scheduler (" + problem +
                 L"); the time box ends at the next logon, with kmxlogcfg expire, or with the next change "
                 L"kmxlogcfg makes after its end\n");
    host.Out(L"Time box: " + WhatItHolds(presetName) + L" until " + Until(host, end) +
             L", then back to the earlier settings.\n");
    return kSuccess;
}

std::wstring DescribeTimeBox(CommandHost& host, const TimeBox& box) {
    std::wstring text =
        WhatItHolds(box.preset) + L" until " + Until(host, box.end) + L", then back to the earlier settings";
    if (IsDue(box, host.NowUtc()))
        text +=
            L" (pending: the next change by kmxlogcfg, kmxlogcfg expire or the next logon puts them back)";
    return text;
}

std::wstring TimeBoxLine(CommandHost& host) {
    const std::optional<TimeBox> box = OpenBox(host);
    return box ? L"Time box:        " + DescribeTimeBox(host, *box) + L"\n" : L"";
}

std::wstring TimeBoxJson(CommandHost& host) {
    const std::optional<TimeBox> box = OpenBox(host);
    if (!box) return L"null";
    return L"{\"preset\": " + (box->preset.empty() ? std::wstring(L"null") : JsonString(box->preset)) +
           L", \"until\": " + JsonString(IsoUtc(box->end)) + L", \"due\": " +
           (IsDue(*box, host.NowUtc()) ? L"true" : L"false") + L"}";
}

}  // namespace kmx
