// Writing a registry editor file as regedit exports one.
#include <string>

#include "formats/RegFileWriter.h"
#include "settings/Utf16.h"

namespace kmx {
namespace {

constexpr std::size_t kHexLineWidth = 76;  // regedit wraps hex lists before column 80
constexpr char16_t kHexDigits[] = u"0123456789abcdef";

std::u16string Quoted(const std::wstring& text) {
    std::u16string out = u"\"";
    for (char16_t c : ToUtf16(text)) {
        if (c == u'\\' || c == u'"') out.push_back(u'\\');
        out.push_back(c);
    }
    out.push_back(u'"');
    return out;
}

// A quoted string must stay on its line, and a NUL in it would be refused.
bool Quotable(const std::wstring& text) {
    for (wchar_t c : text) {
        if (c == L'\r' || c == L'\n' || c == L'\0') return false;
    }
    return true;
}

// "hex(1):" and the string's UTF-16LE bytes with their terminator, with a
// ",\" line break before the list passes the width and a two-blank indent.
void AppendHexString(std::u16string& out, const std::wstring& text) {
    const std::size_t lineStart = out.rfind(u'\n') + 1;
    out += u"hex(1):";
    std::size_t column = out.size() - lineStart;
    const std::vector<std::uint8_t> bytes = ToUtf16LeBytes(text, true);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(kHexDigits[bytes[i] >> 4]);
        out.push_back(kHexDigits[bytes[i] & 0xF]);
        column += 2;
        if (i + 1 == bytes.size()) break;
        out.push_back(u',');
        ++column;
        if (column >= kHexLineWidth) {
            out += u"\\\r\n  ";
            column = 2;
        }
    }
}

void AppendDword(std::u16string& out, std::uint32_t number) {
    out += u"dword:";
    for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kHexDigits[(number >> shift) & 0xF]);
}

}  // namespace

std::vector<std::uint8_t> FormatRegFile(const std::wstring& keyPath,
                                        const std::vector<RegFileEntry>& entries) {
    std::u16string out = u"Windows Registry Editor Version 5.00\r\n\r\n[";
    out += ToUtf16(keyPath);
    out += u"]\r\n";
    for (const RegFileEntry& entry : entries) {
        out += Quoted(entry.name);
        out += u'=';
        if (!entry.isString) {
            AppendDword(out, entry.dword);
        } else if (Quotable(entry.text)) {
            out += Quoted(entry.text);
        } else {
            AppendHexString(out, entry.text);
        }
        out += u"\r\n";
    }
    out += u"\r\n";

    std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
    AppendLeBytes(out, &bytes);
    return bytes;
}

}  // namespace kmx
