// The log file location: one registry string, shown as a directory and a prefix.
#pragma once

#include <string>

namespace kmx {

// Splits at the last backslash: directory = what comes before it, prefix =
// what follows it. A string without a backslash changes neither text; the
// result says whether a split happened.
bool SplitFileName(const std::wstring& stored, std::wstring& directory, std::wstring& prefix);

// What loading writes when FileName is missing: directory immediately
// followed by the prefix, no separator added.
std::wstring ComposeMissingFileName(const std::wstring& directory, const std::wstring& prefix);

// The directory with every trailing backslash removed; "" stays "".
std::wstring TrimTrailingBackslashes(const std::wstring& directory);

// What Save writes: the trimmed directory, one backslash, the prefix.
std::wstring ComposeFileNameForSave(const std::wstring& directory, const std::wstring& prefix);

}  // namespace kmx
