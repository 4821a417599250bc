// Text for XML 1.0 files written as UTF-8: the administrative templates and
// the preferences collection.
#pragma once

#include <cstddef>
#include <string>

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

// UTF-8 bytes of the text (a lone surrogate becomes U+FFFD).
std::string ToUtf8(const std::wstring& text);

}  // namespace kmx
