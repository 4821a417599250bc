#include "cli/win32/ConsoleHost.h"

#include <windows.h>

#include <string>

#include "kvxshared/KvxShared.h"
#include "system/FileSystem.h"
#include "system/MachineDefaults.h"
#include "system/WholeFile.h"

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

}  // namespace kmx
