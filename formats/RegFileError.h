// Why a registry editor file was refused, and where.
#pragma once

#include <string>

namespace kmx {

struct RegFileError {
    int line = 0;         // 1-based; 0 for faults of the whole file
    std::wstring reason;  // short sentence, no trailing period
};

}  // namespace kmx
