// Reads the input as a registry editor file and checks what must hold for
// any bytes: a refusal names a line of the file (0 for the whole file) and
// gives a reason; an accepted file has its sections and values in file
// order; and every key's strings and dwords, written out as the companion
// exports them, read back with the same names and data. Each string is also
// written with a line break added, which goes out as REG_SZ bytes.
// fuzz/make_regfile_seeds.py writes the seeds in fuzz/regfile-corpus/.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/RegFileReader.h"
#include "formats/RegFileWriter.h"
#include "settings/Utf16.h"

namespace kmx {
namespace {

void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "invariant violated: %s\n", what);
    __builtin_trap();
}

void CheckRefusal(const RegFileError& error, std::size_t size) {
    Require(!error.reason.empty() && error.reason.back() != L'.',
            "a refusal gives a reason without a period");
    // No more lines than bytes, plus the last one without a line end.
    Require(error.line >= 0 && static_cast<std::size_t>(error.line) <= size + 1,
            "a refusal names a line of the file");
}

void CheckOrder(const RegFileContent& content) {
    int last = 0;
    for (const RegFileSection& section : content.sections) {
        Require(section.line > last && !section.keyPath.empty(), "sections in file order, each with a path");
        Require(!section.deleteKey || section.values.empty(), "no values under a deleted key");
        last = section.line;
        for (const RegFileValue& value : section.values) {
            Require(value.line > last, "values in file order, after their section");
            last = value.line;
        }
    }
}

void CheckRoundTrip(const RegFileSection& section) {
    std::vector<RegFileEntry> entries;
    std::vector<RegFileValue> expected;
    for (const RegFileValue& value : section.values) {
        if (value.kind == RegFileValue::Kind::Dword) {
            entries.push_back({value.name, false, value.dword, L""});
            expected.push_back(value);
        } else if (value.kind == RegFileValue::Kind::String) {
            entries.push_back({value.name, true, 0, value.text});
            expected.push_back(value);
            const std::wstring broken = value.text + L"\r\n";
            entries.push_back({value.name, true, 0, broken});
            RegFileValue bytes;
            bytes.name = value.name;
            bytes.kind = RegFileValue::Kind::Hex;
            bytes.hexType = 1;
            bytes.bytes = ToUtf16LeBytes(broken, true);
            expected.push_back(bytes);
        }
    }
    const std::vector<std::uint8_t> file = FormatRegFile(section.keyPath, entries);
    RegFileContent again;
    RegFileError error;
    const bool parsed = ParseRegFile(file.data(), file.size(), &again, &error);
    if (file.size() > kRegFileMaxBytes) {  // only from inputs far beyond -max_len
        Require(!parsed && error.line == 0, "an oversized file is refused as a whole");
        return;
    }
    Require(parsed, "a formatted file parses");
    Require(!again.regedit4 && again.sections.size() == 1, "a formatted file holds one key");
    const RegFileSection& back = again.sections[0];
    Require(back.keyPath == section.keyPath && !back.deleteKey, "the key path reads back");
    Require(back.values.size() == expected.size(), "every value reads back");
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const RegFileValue& want = expected[i];
        const RegFileValue& got = back.values[i];
        Require(got.name == want.name && got.kind == want.kind, "names and kinds read back");
        Require(got.text == want.text && got.dword == want.dword, "strings and dwords read back");
        Require(want.kind != RegFileValue::Kind::Hex || (got.hexType == 1 && got.bytes == want.bytes),
                "a string with a line break reads back as its REG_SZ bytes");
    }
}

}  // namespace
}  // namespace kmx

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kmx;
    RegFileContent content;
    RegFileError error;
    if (!ParseRegFile(data, size, &content, &error)) {
        CheckRefusal(error, size);
        return 0;
    }
    CheckOrder(content);
    for (const RegFileSection& section : content.sections) {
        if (!section.deleteKey) CheckRoundTrip(section);
    }
    return 0;
}
