// The file and environment services both front ends need, each a thin
// wrapper of one Win32 call (DirectoryExists reads one attribute call).
#pragma once

#include <windows.h>

#include <string>

namespace kmx {

// GetTempPathW with a buffer of MAX_PATH units. Returns the call's result (the
// length, 0 on failure, or the size needed when the buffer is too small); the
// path is set only when the call succeeded within the buffer.
DWORD GetTempPathText(std::wstring& path);

// GetFileAttributesW succeeds and reports FILE_ATTRIBUTE_DIRECTORY: what Save
// asks of the log directory.
bool DirectoryExists(const std::wstring& path);

// GetFileAttributesW succeeds: a file or a directory is there.
bool PathExists(const std::wstring& path);

}  // namespace kmx
