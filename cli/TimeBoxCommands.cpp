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

// Reads the time box; one that cannot be read is said on stderr, with its
// status in *status. Gives the records it could read (for expire --now).
std::optional<TimeBox> OpenBox(CommandHost& host, RegStatus* status = nullptr) {
    std::optional<TimeBox> box;
    const RegStatus read = ReadTimeBox(host.Registry(), &box);
    if (read == kErrorInvalidData)
        host.Err(L"kmxlogcfg: the time box in " + kCompanionKeyName + L" cannot be read: its " +
                 kTimeBoxEndName + L" is not a REG_QWORD of 8 bytes\n");
    else if (read != kErrorSuccess)
        host.Err(L"kmxlogcfg: cannot read the time box in " + kCompanionKeyName + L": " + Status(read) +
                 L"\n");
    if (status != nullptr) *status = read;
    return box;
}

bool Revert(CommandHost& host, const TimeBox& box) {
    const RevertOutcome outcome = RevertTimeBox(host.Registry(), box);
    if (outcome.status != kErrorSuccess) {
        host.Err(L"kmxlogcfg: the time box could not put back " + outcome.failedValue + L" (" +
                 Status(outcome.status) + L"); it stays open and the next revert repeats it\n");
        return false;
    }
    if (outcome.replaced) {
        host.Out(L"Another time box took the place of the one that ended; it stays open.\n");
        return true;
    }
    host.CancelScheduledExpire();
    std::wstring out = L"Ended the time box (" + WhatItHolds(box.preset) + L"): put back " +
                       std::to_wstring(outcome.restored.size()) + L" values as they were before it";
    if (!box.Complete()) out += L" (it was interrupted while its change was made)";
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

KeyRecord Recorded(const std::array<std::optional<RecordedValue>, kSettingCount>& values) {
    KeyRecord record;
    for (std::size_t i = 0; i < kSettingCount; ++i) record[i] = values[i].value_or(RecordedValue{});
    return record;
}

}  // namespace

bool ApplyDueRevert(CommandHost& host) {
    // A box that cannot be read is left to expire, which says why.
    RegStatus status = kErrorSuccess;
    const std::optional<TimeBox> box = OpenBox(host, &status);
    if (status != kErrorSuccess || !box || !IsDue(*box, host.NowUtc())) return true;
    return Revert(host, *box);
}

int Expire(CommandHost& host, bool now) {
    RegStatus status = kErrorSuccess;
    const std::optional<TimeBox> box = OpenBox(host, &status);
    if (status != kErrorSuccess && (!now || !box)) {
        // The logon entry stays, so that the next expire tries again.
        host.Err(L"kmxlogcfg: the time box stays open" +
                 std::wstring(box ? L"; kmxlogcfg expire --now puts back what its records allow\n" : L"\n"));
        return kFailure;
    }
    if (!box) {
        // What an interrupted revert left (its end already gone) has nothing
        // more to do.
        std::wstring ignored;
        RemoveTimeBox(host.Registry(), &ignored);
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
    const std::wstring program = host.ProgramPath();
    std::wstring failed;
    // Back to the state before this command: a new box is removed, an open
    // one gets its own record back.
    const auto forget = [&] {
        std::wstring ignored;
        if (!fresh) {
            if (box->Complete()) RecordAfter(registry, Recorded(box->after), box->preset, box->end, &ignored);
            return;
        }
        RemoveTimeBox(registry, &ignored);
        RemoveLogonEntry(registry);
    };
    // A change that failed may have written any part of itself. When it
    // cannot be undone, the (incomplete) box stays, due now, so that the next
    // expire or logon puts every value back.
    const auto undo = [&] {
        std::wstring value;
        const RegStatus undone = WriteLoggingValues(registry, before, &value);
        if (undone == kErrorSuccess) {
            forget();
            return;
        }
        std::wstring ignored;
        RecordEnd(registry, host.NowUtc(), &ignored);
        host.Err(L"kmxlogcfg: could not put back " + value + L" (" + Status(undone) +
                 L"); the time box stays open and kmxlogcfg expire puts the settings back\n");
    };
    const auto cannotRecord = [&](const std::wstring& what, RegStatus why) {
        host.Err(L"kmxlogcfg: cannot record the time box: writing " + what + L" failed (" + Status(why) +
                 L"); the change is not made\n");
    };

    // Before anything changes: the record of what a change left is made
    // incomplete, then a new box records the earlier values and its end. A
    // second time box keeps the first one's record of the earlier values.
    bool recorded = false;
    const int changed = change([&] {
        status = MarkChangeStarting(registry, &failed);
        if (status == kErrorSuccess && fresh) status = RecordBefore(registry, before, end, &failed);
        if (status != kErrorSuccess) {
            cannotRecord(kCompanionKeyName + L"\\" + failed, status);
            forget();
            return false;
        }
        status = SetLogonEntry(registry, L"\"" + program + L"\" expire");
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
        if (recorded) undo();
        return kFailure;
    }

    KeyRecord after;
    status = ReadLoggingValues(registry, &after);
    if (status == kErrorSuccess) status = RecordAfter(registry, after, presetName, end, &failed);
    if (status != kErrorSuccess) {
        host.Err(L"kmxlogcfg: cannot record the time box: writing " + kCompanionKeyName + L"\\" + failed +
                 L" failed (" + Status(status) + L"); the change was undone\n");
        undo();
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
    RegStatus status = kErrorSuccess;
    const std::optional<TimeBox> box = OpenBox(host, &status);
    if (status != kErrorSuccess)
        return L"Time box:        open but unreadable (" + Status(status) +
               L"); kmxlogcfg expire --now puts back what its records allow\n";
    return box ? L"Time box:        " + DescribeTimeBox(host, *box) + L"\n" : L"";
}

std::wstring TimeBoxJson(CommandHost& host) {
    RegStatus status = kErrorSuccess;
    const std::optional<TimeBox> box = OpenBox(host, &status);
    if (status != kErrorSuccess) return L"{\"unreadable\": " + JsonString(Status(status)) + L"}";
    if (!box) return L"null";
    return L"{\"preset\": " + (box->preset.empty() ? std::wstring(L"null") : JsonString(box->preset)) +
           L", \"until\": " + JsonString(IsoUtc(box->end)) + L", \"due\": " +
           (IsDue(*box, host.NowUtc()) ? L"true" : L"false") + L"}";
}

}  // namespace kmx
