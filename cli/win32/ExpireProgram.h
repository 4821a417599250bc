// The program the time box's logon entry and task run: the windowless
// kmxlogcfgw.exe, copied into the user's profile so that it is still there
// when the folder kmxlogcfg was started from (a share, a deployment cache)
// is gone by the time the box ends.
#pragma once

#include <string>

namespace kmx {

inline constexpr wchar_t kWindowlessProgramName[] = L"kmxlogcfgw.exe";

// From the running program's full path: the profile's copy of the twin
// beside it, %LOCALAPPDATA%\\Korvex\\KMXLogCtl\\kmxlogcfgw.exe (refreshed when it differs), else the twin
// itself, else the running program. *note says why it is not the profile's copy ("" when it is).
std::wstring ExpireProgram(const std::wstring& self, std::wstring* note);

}  // namespace kmx
