// What a redacted bundle needs besides the redactor: the names it hides (the
// machine's and the user's, in UTF-8 and ANSI spelling), settings.reg
// redacted as text, the map's file name and about.txt's line on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/CollectHost.h"
#include "cli/Redaction.h"

namespace kmx {

RedactionNames CollectRedactionNames(CollectHost& machine, const MachineFacts& facts,
                                     const std::vector<std::wstring>& terms);

// UTF-8 text with what the redactor finds replaced.
std::string RedactedText(Redactor& redactor, const std::string& text);

// A UTF-16LE file (after its byte order mark) redacted as UTF-8 and
// converted back.
std::vector<std::uint8_t> RedactedUtf16Le(Redactor& redactor, const std::vector<std::uint8_t>& bytes);

// Beside the zip: FILE.zip becomes FILE.map.tsv, any other name gains .map.tsv.
std::wstring RedactionMapPath(const std::wstring& zip);

// about.txt's line on what the bundle's tokens stand for, by kind and count.
std::wstring RedactionSummary(const Redactor& redactor);

}  // namespace kmx
