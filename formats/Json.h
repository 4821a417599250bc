// The little JSON the companion writes: strings quoted and escaped.
#pragma once

#include <string>

namespace kmx {

// text as a JSON string literal, quotes included: ", \ and control
// characters escaped, everything else as it is (the caller encodes as UTF-8).
std::wstring JsonString(const std::wstring& text);

}  // namespace kmx
