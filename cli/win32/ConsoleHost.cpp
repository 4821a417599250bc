#include "cli/win32/ConsoleHost.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "kvxshared/KvxShared.h"
#include "system/DirectoryListing.h"
#include "system/FileSystem.h"
#include "system/MachineDefaults.h"
#include "system/TaskScheduler.h"

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

// The system's own words for an error, without the trailing line break.
std::wstring ErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : L"error " + std::to_wstring(error);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
        text.pop_back();
    return text;
}

// One task per user: the next time box replaces it.
std::wstring ExpireTaskName() {
    wchar_t user[257] = L"";
    DWORD length = sizeof user / sizeof user[0];
    if (!::GetUserNameW(user, &length)) user[0] = L'\0';
    return L"KMXLogCfg time box (" + std::wstring(user) + L")";
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    BOOL Close() {
        const BOOL closed = IsOpen() ? ::CloseHandle(m_handle) : TRUE;
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

}  // namespace

void ConsoleHost::Out(const std::wstring& text) { Write(STD_OUTPUT_HANDLE, text); }

void ConsoleHost::Err(const std::wstring& text) { Write(STD_ERROR_HANDLE, text); }

void ConsoleHost::ApplyFactoryDefaults(SettingsModel& model) { ApplyMachineFactoryDefaults(model); }

int ConsoleHost::IsBESKMX() { return Korvex::Util::IsBESKMX(); }

bool ConsoleHost::DirectoryExists(const std::wstring& directory) { return kmx::DirectoryExists(directory); }

bool ConsoleHost::ReadFile(const std::wstring& path, std::size_t maxBytes, std::vector<std::uint8_t>* bytes,
                           std::wstring* problem) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        *problem = ErrorText(::GetLastError());
        return false;
    }
    bytes->assign(maxBytes + 1, 0);
    std::size_t total = 0;
    while (total < bytes->size()) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), bytes->data() + total, static_cast<DWORD>(bytes->size() - total), &read,
                        nullptr)) {
            *problem = ErrorText(::GetLastError());
            return false;
        }
        if (read == 0) break;
        total += read;
    }
    bytes->resize(total);
    return true;
}

bool ConsoleHost::FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ConsoleHost::WriteFileWhole(const std::wstring& path, const std::vector<std::uint8_t>& bytes,
                                 bool replace, std::wstring* problem) {
    // Beside the target, so that the move stays on one volume.
    const std::wstring temporary = path + L".kmxlogcfg-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    FileHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        *problem = ErrorText(::GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool complete =
        ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && ::FlushFileBuffers(file.Get());
    DWORD error = complete ? 0 : ::GetLastError();
    if (!file.Close() && error == 0) error = ::GetLastError();
    if (error == 0) {
        const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
        if (::MoveFileExW(temporary.c_str(), path.c_str(), flags)) return true;
        error = ::GetLastError();
    }
    ::DeleteFileW(temporary.c_str());
    *problem = ErrorText(error);
    return false;
}

bool ConsoleHost::ListDirectory(const std::wstring& folder, std::vector<DirectoryEntry>* entries,
                                std::wstring* problem) {
    DWORD error = 0;
    if (ListDirectoryEntries(folder, entries, &error)) return true;
    *problem = ErrorText(error);
    return false;
}

bool ConsoleHost::FreeBytes(const std::wstring& path, std::uint64_t* bytes) {
    DWORD error = 0;
    return FreeBytesOnVolume(path, bytes, &error);
}

UtcTicks ConsoleHost::NowUtc() { return SystemNowUtc(); }

std::wstring ConsoleHost::ProgramPath() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

std::wstring ConsoleHost::LocalTimeText(UtcTicks ticks) {
    FILETIME utc = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME universal, local;
    if (!::FileTimeToSystemTime(&utc, &universal) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return IsoUtc(ticks);
    wchar_t text[32];
    std::swprintf(text, sizeof text / sizeof text[0], L"%04u-%02u-%02u %02u:%02u:%02u", local.wYear,
                  local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
    return text;
}

bool ConsoleHost::ScheduleExpire(UtcTicks when, std::wstring* problem) {
    if (ScheduleOneShotTask(ExpireTaskName(), ProgramPath(), L"expire", when, problem)) return true;
    // An earlier time box's task would only find nothing due; no need to keep it.
    DeleteScheduledTask(ExpireTaskName());
    return false;
}

void ConsoleHost::CancelScheduledExpire() { DeleteScheduledTask(ExpireTaskName()); }

}  // namespace kmx
