#include "cli/win32/DirectoryListing.h"

#include "cli/win32/WindowsTime.h"

namespace kmx {

bool ListDirectoryEntries(const std::wstring& folder, std::vector<DirectoryEntry>* entries, DWORD* error) {
    entries->clear();
    WIN32_FIND_DATAW found;
    const std::wstring pattern = folder + (folder.empty() || folder.back() == L'\\' ? L"*" : L"\\*");
    const HANDLE search =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        *error = ::GetLastError();
        // A folder without a single entry (not even "."), as a drive's root can be.
        if (*error == ERROR_FILE_NOT_FOUND) return true;
        return false;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        DirectoryEntry entry;
        entry.name = name;
        entry.directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.reparsePoint = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.size =
            entry.directory ? 0 : static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
        entry.lastWritten = TicksOf(found.ftLastWriteTime);
        entries->push_back(std::move(entry));
    } while (::FindNextFileW(search, &found));
    *error = ::GetLastError();
    ::FindClose(search);
    if (*error != ERROR_NO_MORE_FILES) return false;
    *error = 0;
    return true;
}

bool OpenFileFacts(const std::wstring& path, std::uint64_t* size, UtcTicks* lastWritten, DWORD* error) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = ::GetLastError();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool got = ::GetFileInformationByHandle(file, &info) != 0;
    *error = got ? 0 : ::GetLastError();
    ::CloseHandle(file);
    if (!got) return false;
    *size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    *lastWritten = TicksOf(info.ftLastWriteTime);
    return true;
}

bool FreeBytesOnVolume(const std::wstring& path, std::uint64_t* bytes, DWORD* error) {
    ULARGE_INTEGER available;
    if (!::GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr)) {
        *error = ::GetLastError();
        return false;
    }
    *bytes = available.QuadPart;
    return true;
}

UtcTicks SystemNowUtc() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return TicksOf(now);
}

}  // namespace kmx
