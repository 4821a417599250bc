// Files read and written whole: what the console companion's export and
// import need of the file system.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kmx {

// The system's own words for an error, without the trailing line break.
std::wstring SystemErrorText(DWORD error);

// Reads at most maxBytes + 1 bytes of a file (so that a longer one shows).
// False with *problem when it cannot be read.
bool ReadFileAtMost(const std::wstring& path, std::size_t maxBytes, std::vector<std::uint8_t>* bytes,
                    std::wstring* problem);

// One WriteFile call on an open file; tests hand in one that stops short.
using FileWriteCall = BOOL (*)(HANDLE file, const void* data, DWORD size, DWORD* written);

// Writes the bytes to a file beside `path`, then moves it into place (over an
// existing file only when `replace`). A failed or short write, flush, close
// or move removes the temporary file and gives false with *problem.
bool WriteFileWhole(const std::wstring& path, const std::vector<std::uint8_t>& bytes, bool replace,
                    std::wstring* problem, FileWriteCall write = nullptr);

}  // namespace kmx
