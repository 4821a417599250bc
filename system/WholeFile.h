// Files read and written whole: what the console companion's export and
// import need of the file system.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "system/PendingFile.h"

namespace kmx {

// The system's own words for an error, without the trailing line break.
std::wstring SystemErrorText(DWORD error);

// Reads at most maxBytes + 1 bytes of a file (so that a longer one shows).
// False with *problem when it cannot be read.
bool ReadFileAtMost(const std::wstring& path, std::size_t maxBytes, std::vector<std::uint8_t>* bytes,
                    std::wstring* problem);

// Writes the bytes through a PendingFile: they appear at `path` whole (over
// an existing file only when `replace`) or not at all, and false with
// *problem says why.
bool WriteFileWhole(const std::wstring& path, const std::vector<std::uint8_t>& bytes, bool replace,
                    std::wstring* problem, FileWriteCall write = nullptr);

}  // namespace kmx
