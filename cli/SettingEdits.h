// Changes a script asks for, each taken exactly as the window would take it
// typed into its control or ticked, and applied to a settings model.
#pragma once

#include <string>
#include <vector>

#include "formats/RegFileReader.h"
#include "settings/Catalogue.h"
#include "settings/SettingsModel.h"

namespace kmx {

// The two texts FileName is shown as, settable by these names.
inline constexpr wchar_t kLogDirectoryName[] = L"LogDirectory";
inline constexpr wchar_t kLogFilePrefixName[] = L"LogFilePrefix";

// One accepted change: a switch's mark, a limit's text, or one of FileName's
// two texts.
struct SettingEdit {
    enum class Field { Setting, LogDirectory, LogFilePrefix };
    Field field = Field::Setting;
    SettingId setting = kEnabled;
    std::wstring text;  // "0"/"1" for a switch
};

// "NAME=VALUE" with NAME one of the settings (not FileName), LogDirectory or
// LogFilePrefix, in any case. False with *problem when the window would not
// take the value.
bool ParseAssignment(const std::wstring& assignment, SettingEdit* edit, std::wstring* problem);

// The same for a name and a value given apart.
bool MakeEdit(const std::wstring& name, const std::wstring& value, SettingEdit* edit, std::wstring* problem);

// A value of the logging key's section of a regedit file. Appends the edits
// it stands for (FileName gives two); false with *problem for a wrong type or
// a value the window would not take. Names outside the catalogue are the
// caller's to skip.
bool EditsFromRegValue(SettingId setting, const RegFileValue& value, std::vector<SettingEdit>* edits,
                       std::wstring* problem);

void ApplyEdit(const SettingEdit& edit, SettingsModel& model);

}  // namespace kmx
