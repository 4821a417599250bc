// The text of a registry editor file, whatever encoding it was saved in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/RegFileError.h"

namespace kmx {

// UTF-16 units of the file without its BOM: UTF-16LE after FF FE; otherwise
// UTF-8 (after an optional EF BB BF), or Windows-1252 when the bytes are not
// valid UTF-8 and no UTF-8 BOM promised they would be. Refuses empty, oversized
// and odd-sized UTF-16 files, and bad UTF-8 after a UTF-8 BOM (with its line).
bool DecodeRegFileText(const std::uint8_t* data, std::size_t size, std::u16string* text, RegFileError* error);

}  // namespace kmx
