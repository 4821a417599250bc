// Folders and volumes as kmxlogcfg's log commands see them: one folder's
// entries, a file's live size and time, a volume's free space, the clock.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "cli/LogFolder.h"

namespace kmx {

// FindFirstFileW/FindNextFileW over folder\*, "." and ".." left out. False
// with *error (a Win32 error code) when the folder cannot be listed; an empty
// folder gives true and no entries.
bool ListDirectoryEntries(const std::wstring& folder, std::vector<DirectoryEntry>* entries, DWORD* error);

// GetFileInformationByHandle on the file opened for reading with every share
// mode: its size and last-written time as they are now, where a listing may
// still show what they were when its writer opened it. False with *error.
bool OpenFileFacts(const std::wstring& path, std::uint64_t* size, UtcTicks* lastWritten, DWORD* error);

// GetDiskFreeSpaceExW: the bytes free to the caller on the volume of `path`.
bool FreeBytesOnVolume(const std::wstring& path, std::uint64_t* bytes, DWORD* error);

UtcTicks SystemNowUtc();

}  // namespace kmx
