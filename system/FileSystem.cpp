#include "system/FileSystem.h"

namespace kmx {

DWORD GetTempPathText(std::wstring& path) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD result = ::GetTempPathW(MAX_PATH, buffer);
    if (result > 0 && result < MAX_PATH) path.assign(buffer, result);
    return result;
}

bool DirectoryExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace kmx
