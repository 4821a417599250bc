#include "cli/win32/ExpireProgram.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "system/FileSystem.h"
#include "system/WholeFile.h"

namespace kmx {
namespace {

constexpr std::size_t kProgramMaxBytes = 64u << 20;

bool SameBytes(const std::wstring& a, const std::wstring& b) {
    std::vector<std::uint8_t> first, second;
    std::wstring ignored;
    return ReadFileAtMost(a, kProgramMaxBytes, &first, &ignored) &&
           ReadFileAtMost(b, kProgramMaxBytes, &second, &ignored) && first == second;
}

bool MakeFolder(const std::wstring& path) {
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// Copied beside the target, then moved over it: a copy that is there is whole.
bool Refresh(const std::wstring& from, const std::wstring& to, DWORD* error) {
    const std::wstring partial = to + L".new";
    if (::CopyFileW(from.c_str(), partial.c_str(), FALSE) &&
        ::MoveFileExW(partial.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *error = ::GetLastError();
    ::DeleteFileW(partial.c_str());
    return false;
}

}  // namespace

std::wstring ExpireProgram(const std::wstring& self, std::wstring* note) {
    note->clear();
    const std::wstring folder = self.substr(0, self.find_last_of(L'\\') + 1);
    const std::wstring twin = folder + kWindowlessProgramName;
    if (!PathExists(twin)) {
        *note = twin + L" is missing: the time box runs " + self + L", a console program, at logon";
        return self;
    }
    wchar_t profile[MAX_PATH] = L"";
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", profile, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        *note = L"no LOCALAPPDATA: the time box runs " + twin + L" where it is";
        return twin;
    }
    // %LOCALAPPDATA%\Korvex\KMXLogCtl
    const std::wstring korvex = std::wstring(profile) + L"\\Korvex";
    const std::wstring copyFolder = korvex + L"\\KMXLogCtl";
    MakeFolder(korvex);
    MakeFolder(copyFolder);
    const std::wstring copy = copyFolder + L"\\" + kWindowlessProgramName;
    if (SameBytes(twin, copy)) return copy;
    DWORD error = 0;
    if (Refresh(twin, copy, &error)) return copy;
    *note = L"cannot copy " + twin + L" to " + copy + L" (" + SystemErrorText(error) +
            L"): the time box runs " + twin + L" where it is";
    return twin;
}

}  // namespace kmx
