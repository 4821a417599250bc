// A .reg file's values under the logging key, as the edits they stand for:
// what import applies and what check compares against. Any fault refuses the
// whole file.
#pragma once

#include <string>
#include <vector>

#include "cli/CommandHost.h"
#include "cli/SettingEdits.h"

namespace kmx {

// Reads and parses `path` and takes the logging key's values in file order.
// *skipped collects a "FILE:LINE: skipped ..." line for every other key and
// every value that is not a setting. False with *problem (one or more lines,
// each ending with '\n') when the file cannot be read, is malformed, deletes
// a key or a value, has no logging key, or holds a value the window would
// not take.
bool ReadRegFileEdits(CommandHost& host, const std::wstring& path, std::vector<SettingEdit>* edits,
                      std::wstring* skipped, std::wstring* problem);

}  // namespace kmx
