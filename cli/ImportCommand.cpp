#include "cli/ImportCommand.h"

#include "cli/Commands.h"
#include "formats/RegFileReader.h"
#include "settings/AsciiCase.h"

namespace kmx {
namespace {

std::wstring Where(const std::wstring& path, int line) {
    return path + L":" + std::to_wstring(line > 0 ? line : 1) + L": ";
}

}  // namespace

bool ReadImportedEdits(CommandHost& host, const std::wstring& path, std::vector<SettingEdit>* edits) {
    std::vector<std::uint8_t> bytes;
    std::wstring problem;
    if (!host.ReadFile(path, kRegFileMaxBytes, &bytes, &problem)) {
        host.Err(L"kmxlogcfg: cannot read " + path + L": " + problem + L"\n");
        return false;
    }
    RegFileContent content;
    RegFileError error;
    if (!ParseRegFile(bytes.data(), bytes.size(), &content, &error)) {
        host.Err(Where(path, error.line) + error.reason + L"\n");
        return false;
    }

    bool sawLoggingKey = false;
    std::wstring skipped;
    for (const RegFileSection& section : content.sections) {
        if (section.deleteKey) {
            host.Err(Where(path, section.line) + L"deleting a key is not allowed: [-" + section.keyPath +
                     L"]\n");
            return false;
        }
        const bool logging = EqualsIgnoringAsciiCase(section.keyPath, LoggingKeyName());
        sawLoggingKey = sawLoggingKey || logging;
        if (!logging)
            skipped +=
                Where(path, section.line) + L"skipped [" + section.keyPath + L"]: not the logging key\n";
        for (const RegFileValue& value : section.values) {
            if (value.kind == RegFileValue::Kind::Delete) {
                host.Err(Where(path, value.line) + L"deleting a value is not allowed: \"" + value.name +
                         L"\"\n");
                return false;
            }
            if (!logging) continue;
            const std::optional<SettingId> setting = FindSettingByName(value.name);
            if (!setting) {
                skipped +=
                    Where(path, value.line) + L"skipped \"" + value.name + L"\": not a logging setting\n";
                continue;
            }
            if (!EditsFromRegValue(*setting, value, edits, &problem)) {
                host.Err(Where(path, value.line) + problem + L"\n");
                return false;
            }
        }
    }
    if (!sawLoggingKey) {
        host.Err(Where(path, 1) + L"no [" + LoggingKeyName() + L"] section\n");
        return false;
    }
    host.Err(skipped);
    return true;
}

}  // namespace kmx
