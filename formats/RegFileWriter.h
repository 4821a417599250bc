// Writing registry editor files (.reg): the companion exports the logging
// values as one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kmx {

struct RegFileEntry {  // one value to write
    std::wstring name;
    bool isString = false;
    std::uint32_t dword = 0;
    std::wstring text;
};

// The whole file: UTF-16LE with BOM, CRLF line ends, the version 5 header, a
// blank line, "[keyPath]", one line per entry in the given order, then a blank
// line. Names and strings escape \ and " only. A string holding a line break
// or a NUL cannot be quoted on one line, so it is written as hex(1): (REG_SZ)
// bytes with its terminator, wrapped as regedit wraps them. Names are written
// as given: the caller's names hold neither.
std::vector<std::uint8_t> FormatRegFile(const std::wstring& keyPath,
                                        const std::vector<RegFileEntry>& entries);

}  // namespace kmx
