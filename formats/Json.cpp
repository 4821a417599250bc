#include "formats/Json.h"

namespace kmx {

std::wstring JsonString(const std::wstring& text) {
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring quoted = L"\"";
    for (const wchar_t c : text) {
        switch (c) {
            case L'"': quoted += L"\\\""; break;
            case L'\\': quoted += L"\\\\"; break;
            case L'\n': quoted += L"\\n"; break;
            case L'\r': quoted += L"\\r"; break;
            case L'\t': quoted += L"\\t"; break;
            default:
                if (static_cast<unsigned>(c) < 0x20) {
                    quoted += L"\\u00";
                    quoted += kHex[(c >> 4) & 0xf];
                    quoted += kHex[c & 0xf];
                } else {
                    quoted += c;
                }
        }
    }
    return quoted + L"\"";
}

}  // namespace kmx
