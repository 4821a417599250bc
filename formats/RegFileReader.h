// Reading registry editor files (.reg): the companion imports such files,
// refusing a whole file on its first fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/RegFileError.h"

namespace kmx {

inline constexpr std::size_t kRegFileMaxBytes = 1024 * 1024;  // larger files are refused

struct RegFileValue {
    enum class Kind { String, Dword, Hex, Delete };
    std::wstring name;  // "" for the default value (@)
    Kind kind = Kind::String;
    std::wstring text;                // String: unescaped
    std::uint32_t dword = 0;          // Dword
    std::uint32_t hexType = 3;        // Hex: "hex:" is 3 (REG_BINARY), "hex(n):" is n
    std::vector<std::uint8_t> bytes;  // Hex
    int line = 0;                     // 1-based line on which the value starts
};

struct RegFileSection {
    std::wstring keyPath;    // between the brackets, without a leading '-', as written
    bool deleteKey = false;  // [-...]
    int line = 0;
    std::vector<RegFileValue> values;
};

struct RegFileContent {
    bool regedit4 = false;  // "REGEDIT4" header rather than "Windows Registry Editor Version 5.00"
    std::vector<RegFileSection> sections;
};

// Reads a whole file: UTF-16LE with a BOM, or 8-bit (UTF-8 with or without a
// BOM; without one, bytes that are not valid UTF-8 are Windows-1252).
// True and *content filled, or false and *error filled (content then
// unspecified). What is accepted beyond what regedit writes:
// - blanks before any line, around '=' and between hex bytes;
// - a ';' comment after a complete value, and a trailing ',' in a hex list;
// - "dword:" and "hex" in any case.
// What is refused although some tools take it:
// - escapes other than \\ and \" (their meaning differs between tools);
// - a '\' continuation anywhere but in a hex list;
// - values in a [-key] section (regedit ignores them);
// - a UTF-8 BOM followed by bytes that are not UTF-8.
bool ParseRegFile(const std::uint8_t* data, std::size_t size, RegFileContent* content, RegFileError* error);

}  // namespace kmx
