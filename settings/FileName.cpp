#include "settings/FileName.h"

namespace kmx {

bool SplitFileName(const std::wstring& stored, std::wstring& directory, std::wstring& prefix) {
    const std::wstring::size_type p = stored.rfind(L'\\');
    if (p == std::wstring::npos) return false;
    directory = stored.substr(0, p);
    prefix = stored.substr(p + 1);
    return true;
}

std::wstring ComposeMissingFileName(const std::wstring& directory, const std::wstring& prefix) {
    return directory + prefix;
}

std::wstring TrimTrailingBackslashes(const std::wstring& directory) {
    std::wstring::size_type end = directory.size();
    while (end > 0 && directory[end - 1] == L'\\') --end;
    return directory.substr(0, end);
}

std::wstring ComposeFileNameForSave(const std::wstring& directory, const std::wstring& prefix) {
    return TrimTrailingBackslashes(directory) + L'\\' + prefix;
}

}  // namespace kmx
