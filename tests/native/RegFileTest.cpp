// Registry editor files: what the companion writes reads back the same, the
// forms regedit and hand editing produce are read, and every fault is refused
// with its line.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "formats/RegFileReader.h"
#include "formats/RegFileWriter.h"
#include "settings/Utf16.h"

namespace kmx {
namespace {

using namespace std::string_literals;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<std::uint8_t> Utf16File(const std::wstring& text) {
    std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
    const std::vector<std::uint8_t> body = ToUtf16LeBytes(text, false);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

// The content in one line: "5" or "4" for the header, then " [key]" or
// " [-key]" per section and " LINE:name=data" per value, strings unescaped.
std::wstring Describe(const RegFileContent& content) {
    std::wstring out = content.regedit4 ? L"4" : L"5";
    for (const RegFileSection& section : content.sections) {
        out += (section.deleteKey ? L" [-" : L" [") + section.keyPath + L"]";
        for (const RegFileValue& value : section.values) {
            out += L" " + std::to_wstring(value.line) + L":" + value.name + L"=";
            wchar_t buffer[16];
            switch (value.kind) {
                case RegFileValue::Kind::String: out += L"\"" + value.text + L"\""; break;
                case RegFileValue::Kind::Dword:
                    std::swprintf(buffer, 16, L"dword:%x", value.dword);
                    out += buffer;
                    break;
                case RegFileValue::Kind::Hex:
                    std::swprintf(buffer, 16, L"hex(%x):", value.hexType);
                    out += buffer;
                    for (std::size_t i = 0; i < value.bytes.size(); ++i) {
                        std::swprintf(buffer, 16, i ? L",%02x" : L"%02x", value.bytes[i]);
                        out += buffer;
                    }
                    break;
                case RegFileValue::Kind::Delete: out += L"-"; break;
            }
        }
    }
    return out;
}

struct Parsed {
    bool ok;
    RegFileContent content;
    RegFileError error;
};

Parsed Parse(const std::vector<std::uint8_t>& bytes) {
    Parsed parsed{};
    parsed.ok = ParseRegFile(bytes.data(), bytes.size(), &parsed.content, &parsed.error);
    return parsed;
}

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

TEST(RegFileTest, FormattedFileIsUtf16WithBomCrlfAndATrailingBlankLine) {
    const std::vector<std::uint8_t> bytes =
        FormatRegFile(L"HKCU\\K", {{L"A", false, 0x1F, L""}, {L"B\"", true, 0, L"x\\y"}});
    EXPECT_EQ(Utf16File(L"Windows Registry Editor Version 5.00\r\n\r\n[HKCU\\K]\r\n"
                        L"\"A\"=dword:0000001f\r\n\"B\\\"\"=\"x\\\\y\"\r\n\r\n"),
              bytes);
}

TEST(RegFileTest, FormattedValuesParseBackUnchanged) {
    const std::wstring path = L"HKEY_CURRENT_USER\\Software\\Ko\"rvex\\Logging";
    const std::vector<RegFileEntry> entries = {
        {L"FileName", true, 0, L"C:\\Logs\\\"kmx\"\\"},
        {L"Empty", true, 0, L""},
        {L"Wide \U0001F600", true, 0, L"\U0001F600 caf\u00E9 \u65E5\u672C"},
        {L"Max", false, 0xFFFFFFFF, L""},
        {L"Zero", false, 0, L""},
        {L"", true, 0, L"default"},
        {L"\\\"", false, 7, L""}};
    const std::vector<std::uint8_t> bytes = FormatRegFile(path, entries);
    const Parsed parsed = Parse(bytes);
    ASSERT_TRUE(parsed.ok) << parsed.error.line << ": " << parsed.error.reason;
    ASSERT_EQ(1u, parsed.content.sections.size());
    const RegFileSection& section = parsed.content.sections[0];
    EXPECT_EQ(path, section.keyPath);
    EXPECT_FALSE(section.deleteKey || parsed.content.regedit4);
    ASSERT_EQ(entries.size(), section.values.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const RegFileValue& value = section.values[i];
        EXPECT_EQ(entries[i].name, value.name);
        EXPECT_EQ(static_cast<int>(i) + 4, value.line);
        EXPECT_EQ(entries[i].isString ? RegFileValue::Kind::String : RegFileValue::Kind::Dword, value.kind);
        EXPECT_EQ(entries[i].isString ? entries[i].text : L"", value.text);
        EXPECT_EQ(entries[i].dword, value.dword);
    }
}

// A line break or NUL cannot stand inside quotes; such a string goes out as
// REG_SZ bytes, wrapped over continuation lines, and comes back whole.
TEST(RegFileTest, StringThatCannotBeQuotedIsWrittenAsRegSzBytes) {
    const std::wstring text = L"first line\r\nsecond line, long enough to wrap the list twice\n" + L"\0x"s;
    const Parsed parsed = Parse(FormatRegFile(L"K", {{L"N", true, 0, text}, {L"After", false, 1, L""}}));
    ASSERT_TRUE(parsed.ok) << parsed.error.line << ": " << parsed.error.reason;
    const std::vector<RegFileValue>& values = parsed.content.sections.at(0).values;
    ASSERT_EQ(2u, values.size());
    EXPECT_EQ(RegFileValue::Kind::Hex, values[0].kind);
    EXPECT_EQ(1u, values[0].hexType);
    EXPECT_EQ(ToUtf16LeBytes(text, true), values[0].bytes);
    EXPECT_GT(values[1].line, 6) << "the list spans several lines";
}

TEST(RegFileTest, ReadsTheFormsRegeditAndEditorsWrite) {
    struct Case {
        const char* label;
        std::vector<std::uint8_t> file;
        const wchar_t* content;
    };
    const Case cases[] = {
        {"UTF-8 with BOM, 2- and 4-byte sequences",
         Bytes("\xEF\xBB\xBF" + kHeader + "[K]\r\n\"n\"=\"caf\xC3\xA9 \xF0\x9F\x98\x80\""),
         L"5 [K] 4:n=\"caf\u00E9 \U0001F600\""},
        {"ANSI bytes that are not UTF-8", Bytes(kHeader + "[K]\r\n\"caf\xE9\"=\"\x80\""),
         L"5 [K] 4:caf\u00E9=\"\u20AC\""},
        {"REGEDIT4, LF only", Bytes("REGEDIT4\n\n[K]\n@=\"d\"\n"), L"4 [K] 4:=\"d\""},
        {"CR only, hex digits in any case",
         Bytes("Windows Registry Editor Version 5.00\r\r[K]\r\"n\"=dword:0000ABcd\r\"m\"=DWORD:1\r"),
         L"5 [K] 4:n=dword:abcd 5:m=dword:1"},
        {"UTF-16 with a pair",
         Utf16File(L"Windows Registry Editor Version 5.00\r\n[K\U0001F600]\r\n\"n\"=\"\U0001F600\""),
         L"5 [K\U0001F600] 3:n=\"\U0001F600\""},
        {"hex list over continuation lines",
         Bytes(kHeader + "[K]\r\n\"a\"=hex:01,02,\\\r\n  03,\\  \r\n\t04\r\n\"b\"=-\r\n"),
         L"5 [K] 4:a=hex(3):01,02,03,04 7:b=-"},
        {"hex(n) types, empty list, trailing comma",
         Bytes(kHeader + "[K]\r\n\"e\"=hex(7):\r\n\"q\"=hex(b):FF,00,\r\n\"z\"=hex(0):00"),
         L"5 [K] 4:e=hex(7): 5:q=hex(b):ff,00 6:z=hex(0):00"},
        {"deleted key and value", Bytes(kHeader + "[-HKCU\\K]\r\n[K2]\r\n\"x\"=-\r\n"),
         L"5 [-HKCU\\K] [K2] 5:x=-"},
        {"blanks, comments, a ']' in the key path",
         Bytes("\r\n  " + kHeader + "; note\r\n [K]x] \r\n  \"a\" = \"v;\" ; c\r\n\"b\"=dword:1;c\r\n"),
         L"5 [K]x] 6:a=\"v;\" 7:b=dword:1"},
        {"nothing after the header", Bytes(kHeader), L"5"},
    };
    for (const Case& c : cases) {
        const Parsed parsed = Parse(c.file);
        ASSERT_TRUE(parsed.ok) << c.label << ": line " << parsed.error.line << ": " << parsed.error.reason;
        EXPECT_EQ(c.content, Describe(parsed.content)) << c.label;
    }
}

TEST(RegFileTest, RefusesEachFaultWithItsLineAndReason) {
    struct Case {
        const char* label;
        std::vector<std::uint8_t> file;
        int line;
        const wchar_t* reason;  // a part of it
    };
    const std::string k = kHeader + "[K]\r\n";  // values start on line 4
    const Case cases[] = {
        {"empty", {}, 0, L"empty"},
        {"BOM only", {0xFF, 0xFE}, 0, L"empty"},
        {"BOM, odd size", {0xFF, 0xFE, 'R', 0, 'E'}, 0, L"odd"},
        {"over 1 MiB", std::vector<std::uint8_t>(kRegFileMaxBytes + 1, ' '), 0, L"1 MiB"},
        {"blank lines only", Bytes(" \r\n\t\n"), 0, L"missing header"},
        {"no header", Bytes("\r\n[K]\r\n"), 2, L"missing header"},
        {"header with other case", Bytes("regedit4\r\n"), 1, L"missing header"},
        {"bad UTF-8 after a UTF-8 BOM", Bytes("\xEF\xBB\xBF" + k + "@=\"\xE9\""), 4, L"UTF-8"},
        {"value before any section", Bytes(kHeader + "\"a\"=dword:1"), 3, L"before any"},
        {"unterminated quote", Bytes(k + "\"a\"=\"C:\\\\x"), 4, L"unterminated"},
        {"quote escaped at the end", Bytes(k + "\"a\"=\"x\\\""), 4, L"unterminated"},
        {"unknown escape", Bytes(k + "\"a\"=\"C:\\Temp\""), 4, L"unknown escape \\T"},
        {"NUL in a name", Bytes(k + "\"a\0b\"=dword:1"s), 4, L"NUL in value name"},
        {"NUL in a string", Bytes(k + "\"a\"=\"\\\0\""s), 4, L"NUL in string"},
        {"dword, 9 digits", Bytes(k + "\"a\"=dword:000000001"), 4, L"more than 8"},
        {"dword, non-hex digit", Bytes(k + "\"a\"=dword:0000000g"), 4, L"not a hex digit"},
        {"dword, no digits", Bytes(k + "\"a\"=dword: 1"), 4, L"no hex digits"},
        {"garbage after a value", Bytes(k + "\"a\"=dword:1 2"), 4, L"after the value"},
        {"garbage after a string", Bytes(k + "\"a\"=\"x\"y"), 4, L"after the value"},
        {"missing '='", Bytes(k + "\"a\" dword:1"), 4, L"'='"},
        {"unknown data", Bytes(k + "\"a\"=qword:1"), 4, L"value data"},
        {"one-digit hex byte", Bytes(k + "\"a\"=hex:1,02"), 4, L"two hex digits"},
        {"hex bytes without comma", Bytes(k + "\"a\"=hex:01 02"), 4, L"','"},
        {"bad hex type", Bytes(k + "\"a\"=hex(x):01"), 4, L"hex(n)"},
        {"fault on a continuation line", Bytes(k + "\"a\"=hex:01,\\\r\n  02,\\\r\n  0g"), 6, L"two hex"},
        {"continuation of a string", Bytes(k + "\"a\"=\"x\" \\\r\n\"y\""), 4, L"after the value"},
        {"value under a deleted key", Bytes(kHeader + "[-K]\r\n\"a\"=-"), 4, L"deletes its key"},
        {"unclosed key path", Bytes(kHeader + "[K\r\n"), 3, L"']'"},
        {"text after a key path", Bytes(kHeader + "[K] ;x"), 3, L"after ']'"},
        {"empty key path", Bytes(kHeader + "[-]"), 3, L"empty key path"},
        {"stray line", Bytes(k + "\"a\"=-\r\nx=1"), 5, L"neither"},
    };
    for (const Case& c : cases) {
        const Parsed parsed = Parse(c.file);
        ASSERT_FALSE(parsed.ok) << c.label;
        EXPECT_EQ(c.line, parsed.error.line) << c.label;
        EXPECT_NE(std::wstring::npos, parsed.error.reason.find(c.reason))
            << c.label << ": " << parsed.error.reason;
        EXPECT_NE(L'.', parsed.error.reason.back()) << c.label;
    }
}

}  // namespace
}  // namespace kmx
