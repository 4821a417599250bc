#include "cli/win32/ConsoleHost.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "kvxshared/KvxShared.h"
#include "cli/win32/DirectoryListing.h"
#include "cli/win32/WindowsTime.h"
#include "system/FileSystem.h"
#include "system/MachineDefaults.h"
#include "system/WholeFile.h"
#include "cli/win32/TaskScheduler.h"
#include "cli/win32/ExpireProgram.h"
#include "cli/win32/UserSession.h"

namespace kmx {
namespace {

// On a console, WriteConsoleW; redirected to a file or a pipe, UTF-8 bytes.
void Write(DWORD which, const std::wstring& text) {
    if (text.empty()) return;
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
        ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// One task per user: the next time box replaces it. The account's domain
// is part of the name ('+' is in neither a domain's nor a user's name).
std::wstring ExpireTaskName() {
    std::wstring sid, domain, user;
    CurrentUser(&sid, &domain, &user);
    return L"KMXLogCfg time box (" + domain + L"+" + user + L")";
}

// The name an earlier version gave the task: the user alone.
std::wstring EarlierExpireTaskName() {
    wchar_t user[257] = L"";
    DWORD length = sizeof user / sizeof user[0];
    if (!::GetUserNameW(user, &length)) user[0] = L'\0';
    return L"KMXLogCfg time box (" + std::wstring(user) + L")";
}

// How long a command waits for another kmxlogcfg of the same user.
constexpr DWORD kLockWaitMilliseconds = 30000;

}  // namespace

void ConsoleHost::Out(const std::wstring& text) { Write(STD_OUTPUT_HANDLE, text); }

void ConsoleHost::Err(const std::wstring& text) { Write(STD_ERROR_HANDLE, text); }

void ConsoleHost::ApplyFactoryDefaults(SettingsModel& model) { ApplyMachineFactoryDefaults(model); }

int ConsoleHost::IsBESKMX() { return Korvex::Util::IsBESKMX(); }

bool ConsoleHost::DirectoryExists(const std::wstring& directory) { return kmx::DirectoryExists(directory); }

bool ConsoleHost::ReadFile(const std::wstring& path, std::size_t maxBytes, std::vector<std::uint8_t>* bytes,
                           std::wstring* problem) {
    return ReadFileAtMost(path, maxBytes, bytes, problem);
}

bool ConsoleHost::FileExists(const std::wstring& path) { return PathExists(path); }

bool ConsoleHost::WriteFileWhole(const std::wstring& path, const std::vector<std::uint8_t>& bytes,
                                 bool replace, std::wstring* problem) {
    return kmx::WriteFileWhole(path, bytes, replace, problem);
}

bool ConsoleHost::MakeDirectory(const std::wstring& path, std::wstring* problem) {
    if (::CreateDirectoryW(path.c_str(), nullptr)) return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS && kmx::DirectoryExists(path)) return true;
    *problem = SystemErrorText(error);
    return false;
}

bool ConsoleHost::ListDirectory(const std::wstring& folder, std::vector<DirectoryEntry>* entries,
                                std::wstring* problem) {
    DWORD error = 0;
    if (ListDirectoryEntries(folder, entries, &error)) return true;
    *problem = SystemErrorText(error);
    return false;
}

bool ConsoleHost::OpenFileFacts(const std::wstring& path, std::uint64_t* size, UtcTicks* lastWritten) {
    DWORD error = 0;
    return kmx::OpenFileFacts(path, size, lastWritten, &error);
}

bool ConsoleHost::FreeBytes(const std::wstring& path, std::uint64_t* bytes) {
    DWORD error = 0;
    return FreeBytesOnVolume(path, bytes, &error);
}

UtcTicks ConsoleHost::NowUtc() { return SystemNowUtc(); }

std::wstring ConsoleHost::ProgramPath() {
    if (!m_expireProgram.empty()) return m_expireProgram;
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    std::wstring note;
    m_expireProgram = ExpireProgram(self, &note);
    if (!note.empty()) Err(L"kmxlogcfg: " + note + L"\n");
    return m_expireProgram;
}

bool ConsoleHost::LockUserState(std::wstring* problem) {
    // Per user and session-local: the user's processes of one logon share it.
    std::wstring sid, domain, user;
    if (!CurrentUser(&sid, &domain, &user)) sid = L"unknown";
    DWORD error = 0;
    if (HoldNamedMutex(L"Local\\KMXLogCfg-" + sid, kLockWaitMilliseconds, &error)) return true;
    *problem =
        error == ERROR_TIMEOUT
            ? L"another kmxlogcfg of this user has been at work for 30 seconds; nothing changed, try again"
            : L"cannot make sure no other kmxlogcfg is at work (" + SystemErrorText(error) +
                  L"); nothing changed";
    return false;
}

std::wstring ConsoleHost::LocalTimeText(UtcTicks ticks) {
    SYSTEMTIME local;
    if (!LocalTimeOf(ticks, &local)) return IsoUtc(ticks);
    wchar_t text[32];
    std::swprintf(text, sizeof text / sizeof text[0], L"%04u-%02u-%02u %02u:%02u:%02u", local.wYear,
                  local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
    return text;
}

bool ConsoleHost::ScheduleExpire(UtcTicks when, std::wstring* problem) {
    if (ScheduleOneShotTask(ExpireTaskName(), ProgramPath(), L"expire", when, problem)) {
        DeleteScheduledTasks({EarlierExpireTaskName()});
        return true;
    }
    // An earlier time box's task would only find nothing due; no need to keep it.
    DeleteScheduledTasks({ExpireTaskName(), EarlierExpireTaskName()});
    return false;
}

void ConsoleHost::CancelScheduledExpire() {
    DeleteScheduledTasks({ExpireTaskName(), EarlierExpireTaskName()});
}

}  // namespace kmx
