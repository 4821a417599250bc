// Who runs kmxlogcfg, as the time box needs it: the user's SID for the lock
// that keeps one process of the user's at a time, and the account with its
// domain for the task's name.
#pragma once

#include <windows.h>

#include <string>

namespace kmx {

// The process token's user: its SID as text (ConvertSidToStringSidW) and its
// account as LookupAccountSidW gives it. False when the token cannot be read.
bool CurrentUser(std::wstring* sid, std::wstring* domain, std::wstring* name);

// CreateMutexW on `name`, then WaitForSingleObject up to `milliseconds`. The
// handle stays open until the process ends, which releases it, also when
// the process is killed (the next waiter sees WAIT_ABANDONED and goes on).
// False with *error (ERROR_TIMEOUT when the wait ran out).
bool HoldNamedMutex(const std::wstring& name, DWORD milliseconds, DWORD* error);

}  // namespace kmx
