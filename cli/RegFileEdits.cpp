#include "cli/RegFileEdits.h"

#include "cli/Commands.h"

#include <cstdint>
#include <optional>

#include "formats/RegFileReader.h"
#include "settings/AsciiCase.h"
#include "settings/RegistryLayout.h"

namespace kmx {
namespace {

std::wstring Where(const std::wstring& path, int line) {
    return path + L":" + std::to_wstring(line > 0 ? line : 1) + L": ";
}

}  // namespace

bool ReadRegFileEdits(CommandHost& host, const std::wstring& path, std::vector<SettingEdit>* edits,
                      std::wstring* skipped, std::wstring* problem) {
    std::vector<std::uint8_t> bytes;
    std::wstring reason;
    if (!host.ReadFile(path, kRegFileMaxBytes, &bytes, &reason)) {
        *problem = L"kmxlogcfg: cannot read " + path + L": " + reason + L"\n";
        return false;
    }
    RegFileContent content;
    RegFileError error;
    if (!ParseRegFile(bytes.data(), bytes.size(), &content, &error)) {
        *problem = Where(path, error.line) + error.reason + L"\n";
        return false;
    }

    bool sawLoggingKey = false;
    for (const RegFileSection& section : content.sections) {
        if (section.deleteKey) {
            *problem =
                Where(path, section.line) + L"deleting a key is not allowed: [-" + section.keyPath + L"]\n";
            return false;
        }
        const bool logging = EqualsIgnoringAsciiCase(section.keyPath, LoggingKeyName());
        sawLoggingKey = sawLoggingKey || logging;
        if (!logging)
            *skipped +=
                Where(path, section.line) + L"skipped [" + section.keyPath + L"]: not the logging key\n";
        for (const RegFileValue& value : section.values) {
            if (value.kind == RegFileValue::Kind::Delete) {
                *problem =
                    Where(path, value.line) + L"deleting a value is not allowed: \"" + value.name + L"\"\n";
                return false;
            }
            if (!logging) continue;
            const std::optional<SettingId> setting = FindSettingByName(value.name);
            if (!setting) {
                *skipped +=
                    Where(path, value.line) + L"skipped \"" + value.name + L"\": not a logging setting\n";
                continue;
            }
            if (!EditsFromRegValue(*setting, value, edits, &reason)) {
                *problem = Where(path, value.line) + reason + L"\n";
                return false;
            }
        }
    }
    if (!sawLoggingKey) {
        *problem = Where(path, 1) + L"no [" + LoggingKeyName() + L"] section\n";
        return false;
    }
    return true;
}

}  // namespace kmx
