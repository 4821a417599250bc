// kmxlogcfg check BASELINE... [--json | --configmgr]: whether the logging
// key holds what a baseline wants, answered the way compliance engines take
// it. Reads only: no key is created, nothing written, no time box ended.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/CommandHost.h"

namespace kmx {

// The most check prints on stdout, line end included: remediation engines
// keep no more of a detection script's last line.
inline constexpr std::size_t kCheckLineMax = 2048;

// args: the words after "check". Baselines, applied in order (a later one
// wins for the same value):
//   FILE          the logging key's values a .reg file sets, taken as import
//                 takes them;
//   --preset NAME logging on and the preset's marks, as enable NAME leaves
//                 them (what the preset leaves alone is not checked);
//   NAME=VALUE    as set takes it. LogDirectory or LogFilePrefix alone names
//                 FileName with the other half as the key holds it now, as
//                 set would save it.
// A value complies when it holds exactly what Save would write for the
// baseline (type and data); a missing value does not.
// Exit status 0 compliant, 1 not, 2 when the check could not be made (the
// reason on stderr, nothing on stdout). With --configmgr the answer is the
// word Compliant or NonCompliant and the status 0 either way.
int Check(CommandHost& host, const std::vector<std::wstring>& args);

}  // namespace kmx
