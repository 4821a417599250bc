// Text for XML 1.0 files written as UTF-8: the administrative templates and
// the preferences collection.
#pragma once

#include <cstddef>
#include <string>

#include "settings/Utf16.h"

namespace kmx {

// The position of the first character that no XML 1.0 file can carry, even
// escaped (a control character other than tab, line feed and carriage return,
// a lone surrogate, U+FFFE or U+FFFF), or npos when there is none.
std::size_t FindCharacterXmlCannotCarry(const std::wstring& text);

// The text as it goes between double quotes or between tags: &, <, >, " and
// the three allowed control characters as references, so that a reader gets
// the same text back (a raw line break in an attribute would read as a blank).
// The text must hold nothing FindCharacterXmlCannotCarry finds.
std::wstring XmlEscaped(const std::wstring& text);

// An attribute as it follows an element's name: ` name="value"`, escaped.
std::wstring Attr(const wchar_t* name, const std::wstring& value);

// What each of our files starts with; ToUtf8 gives the bytes it promises.
inline constexpr wchar_t kXmlDeclaration[] = L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

}  // namespace kmx
