// The time box on the command line: enable [PRESET] --for DURATION, expire
// [--now], the revert every changing command applies first when it is due,
// and what show says about it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "cli/CommandHost.h"
#include "cli/TimeBox.h"

namespace kmx {

// Runs the change as enable does. beforeWriting is called once Save's checks
// passed and before anything is written; when it returns false the change
// is not made. Returns the exit status.
using GuardedChange = std::function<int(const std::function<bool()>& beforeWriting)>;

// enable [PRESET] --for DURATION: records the key, makes the change, records
// what it left, asks for the task and leaves the logon entry. presetName is
// the preset's own name, "" for none.
int EnableFor(CommandHost& host, const std::wstring& presetName, std::uint64_t seconds,
              const GuardedChange& change);

// Applies a revert that is due (for every changing command, before its
// change). False, with its message on stderr, when the revert failed.
bool ApplyDueRevert(CommandHost& host);

// expire: a due revert; expire --now: the time box ends now.
int Expire(CommandHost& host, bool now);

// What an open time box holds, until when and what follows, as show and
// collect's about.txt say it: "logging on" or the preset's name.
std::wstring DescribeTimeBox(CommandHost& host, const TimeBox& box);

// For show: "" or the "Time box:" line; for show --json: null or an object.
std::wstring TimeBoxLine(CommandHost& host);
std::wstring TimeBoxJson(CommandHost& host);

}  // namespace kmx
