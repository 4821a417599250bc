// Registry strings are UTF-16LE bytes, the files we write UTF-16LE or UTF-8;
// wchar_t is 16 bits on Windows and 32 bits elsewhere, so conversions are
// explicit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kmx {

// The character at text[*at], *at moved past it. Where wchar_t holds UTF-16
// units a surrogate pair is one character; a lone surrogate comes as itself.
char32_t NextCharacter(const std::wstring& text, std::size_t* at);

// UTF-16 code units of the text (surrogate pairs for characters beyond the
// BMP when wchar_t is 32 bits). No terminator is added.
std::u16string ToUtf16(const std::wstring& text);

// The text of UTF-16 code units. Pairs become one character when wchar_t is
// 32 bits; a lone surrogate is kept as its unit value.
std::wstring FromUtf16(const std::u16string& units);

// The units as little-endian bytes, optionally followed by a NUL unit.
std::vector<std::uint8_t> ToUtf16LeBytes(const std::wstring& text, bool withTerminator);

// Appends each unit as two bytes, low byte first.
void AppendLeBytes(const std::u16string& units, std::vector<std::uint8_t>* bytes);

// Little-endian bytes as units; an odd final byte makes a unit whose high byte
// is 0. Nothing stops at a NUL.
std::u16string UnitsFromLeBytes(const std::uint8_t* bytes, std::size_t count);

// The text of little-endian bytes, up to the first NUL unit or the end.
std::wstring TextFromUtf16LeBytes(const std::uint8_t* bytes, std::size_t count);

// UTF-8 bytes of the text (a lone surrogate becomes U+FFFD).
std::string ToUtf8(const std::wstring& text);

// One character as UTF-8 bytes (a surrogate code point in the three bytes
// it would take).
void AppendUtf8(char32_t c, std::string& out);

// UTF-16 units as UTF-8, a lone surrogate in the three bytes it would take,
// so that the way back gives every unit as it was.
std::string UnitsToUtf8(const std::u16string& units);

// The way back; a byte that starts no sequence becomes U+FFFD.
std::u16string Utf8ToUnits(const std::string& text);

}  // namespace kmx
