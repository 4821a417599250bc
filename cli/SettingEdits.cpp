#include "cli/SettingEdits.h"

#include <cstddef>
#include <cstdint>

#include "settings/AsciiCase.h"
#include "settings/FieldRules.h"
#include "settings/FileName.h"
#include "settings/Utf16.h"

namespace kmx {
namespace {

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Empty is taken: Save then writes 0, or the factory size for the two sizes.
bool CheckLimit(SettingId id, const std::wstring& text, std::wstring* problem) {
    if (IsLimitFieldText(id, text)) return true;
    *problem = std::wstring(Info(id).name) + L": " + Quoted(text) +
               L" is not accepted; the field takes up to " + std::to_wstring(Info(id).maxChars) + L" digits";
    return false;
}

}  // namespace

bool MakeEdit(const std::wstring& name, const std::wstring& value, SettingEdit* edit, std::wstring* problem) {
    if (EqualsIgnoringAsciiCase(name, kLogDirectoryName) ||
        EqualsIgnoringAsciiCase(name, kLogFilePrefixName)) {
        // Any text: what the registry may already hold, the window shows and saves.
        const bool directory = EqualsIgnoringAsciiCase(name, kLogDirectoryName);
        edit->field = directory ? SettingEdit::Field::LogDirectory : SettingEdit::Field::LogFilePrefix;
        edit->text = value;
        return true;
    }
    const std::optional<SettingId> id = FindSettingByName(name);
    if (!id) {
        *problem = Quoted(name) + L" is not a setting (see kmxlogcfg show)";
        return false;
    }
    edit->field = SettingEdit::Field::Setting;
    edit->setting = *id;
    edit->text = value;
    switch (Info(*id).kind) {
        case SettingKind::FileName:
            *problem = std::wstring(Info(*id).name) + L" is set as " + kLogDirectoryName + L" and " +
                       kLogFilePrefixName;
            return false;
        case SettingKind::Limit: return CheckLimit(*id, value, problem);
        case SettingKind::Switch:
            if (IsSwitchText(value)) return true;
            *problem = std::wstring(Info(*id).name) + L": " + Quoted(value) +
                       L" is not accepted; a switch is 0 or 1";
            return false;
    }
    return false;
}

bool ParseAssignment(const std::wstring& assignment, SettingEdit* edit, std::wstring* problem) {
    const std::size_t equals = assignment.find(L'=');
    if (equals == std::wstring::npos || equals == 0) {
        *problem = Quoted(assignment) + L" is not NAME=VALUE";
        return false;
    }
    return MakeEdit(assignment.substr(0, equals), assignment.substr(equals + 1), edit, problem);
}

bool EditsFromRegValue(SettingId setting, const RegFileValue& value, std::vector<SettingEdit>* edits,
                       std::wstring* problem) {
    const SettingInfo& info = Info(setting);
    const std::wstring name = info.name;
    if (value.kind == RegFileValue::Kind::Delete) {
        *problem = name + L": deleting a value is not allowed";
        return false;
    }
    SettingEdit edit;
    if (info.kind == SettingKind::FileName) {
        std::wstring text;
        if (value.kind == RegFileValue::Kind::String) {
            text = value.text;
        } else if (value.kind == RegFileValue::Kind::Hex && value.hexType == 1) {
            text = TextFromUtf16LeBytes(value.bytes.data(), value.bytes.size());
        } else {
            *problem = name + L" must be a string";
            return false;
        }
        std::wstring directory, prefix;
        if (!SplitFileName(text, directory, prefix)) {
            *problem =
                name + L": " + Quoted(text) + L" holds no backslash between the directory and the prefix";
            return false;
        }
        SettingEdit part;
        if (!MakeEdit(kLogDirectoryName, directory, &part, problem)) return false;
        edits->push_back(part);
        if (!MakeEdit(kLogFilePrefixName, prefix, &part, problem)) return false;
        edits->push_back(part);
        return true;
    }
    if (value.kind != RegFileValue::Kind::Dword) {
        *problem = name + L" must be a dword";
        return false;
    }
    // What the window would show: the 32-bit value as a signed decimal.
    if (!MakeEdit(name, FormatDecimal(static_cast<std::int32_t>(value.dword)), &edit, problem)) return false;
    edits->push_back(edit);
    return true;
}

void ApplyEdit(const SettingEdit& edit, SettingsModel& model) {
    switch (edit.field) {
        case SettingEdit::Field::LogDirectory: model.logDirectory = edit.text; break;
        case SettingEdit::Field::LogFilePrefix: model.logFilePrefix = edit.text; break;
        case SettingEdit::Field::Setting:
            if (Info(edit.setting).kind == SettingKind::Limit)
                model.text[edit.setting] = edit.text;
            else
                model.value[edit.setting] = edit.text == L"1" ? 1 : 0;
            break;
    }
}

}  // namespace kmx
