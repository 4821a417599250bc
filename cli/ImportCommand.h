// import FILE: what a .reg file asks of the logging key, as edits.
#pragma once

#include <string>
#include <vector>

#include "cli/CommandHost.h"
#include "cli/SettingEdits.h"

namespace kmx {

// The edits of the file's logging values. False, with the file's line on
// stderr, for a file that cannot be read or parsed, that deletes, or that has
// no logging key or a value its setting refuses; keys and values that are not
// logging settings are skipped and named on stderr.
bool ReadImportedEdits(CommandHost& host, const std::wstring& path, std::vector<SettingEdit>* edits);

}  // namespace kmx
