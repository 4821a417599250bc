// Saving: validates the directory and the size rule, then, if anything
// differs from what loading recorded, writes all 57 values in their fixed
// order.
#pragma once

#include <string>

#include "settings/Loader.h"
#include "settings/Registry.h"
#include "settings/SettingsModel.h"

namespace kmx {

inline constexpr wchar_t kDirectoryMissingText[] = L"The specified Log File directory does not exist";
inline constexpr wchar_t kSizeRuleText[] =
    L"'Max Size of KMXLogs Directory' must be at least ten times 'Max Size of Single Log File'.";
inline constexpr wchar_t kOldSwitchText[] =
    L"Unable to delete the old verboseLogging registry value.  Please delete it.";
inline constexpr wchar_t kErrorCaption[] = L"Error";
inline constexpr wchar_t kAccessDeniedCaption[] = L"Access Denied";
inline constexpr unsigned kErrorBoxStyle = 0x10;  // MB_OK | MB_ICONERROR

// What the front end lends to Save.
class SaveHooks {
public:
    virtual ~SaveHooks() = default;
    // GetFileAttributesW succeeds and has FILE_ATTRIBUTE_DIRECTORY.
    virtual bool DirectoryExists(const std::wstring& directory) = 0;
    // Puts the focus on the field that shows the setting (FileName: the
    // directory), before its message is shown.
    virtual void FocusSetting(SettingId setting) = 0;
    // A message box owned by the dialog; returns when the user closed it.
    virtual void ShowMessage(const std::wstring& text, const std::wstring& caption, unsigned style) = 0;
};

enum class SaveResult {
    Refused,      // a check failed and its message was shown: nothing written
    Unchanged,    // nothing differs from the recorded values: nothing written
    Written,      // all 57 values written
    WriteFailed,  // all 57 attempted, at least one failed: see failedValue
};

struct SaveOutcome {
    SaveResult result = SaveResult::Unchanged;
    std::wstring failedValue;  // the first value whose write failed
    RegStatus failedStatus = kErrorSuccess;
};

// The text the dialog shows for SaveResult::WriteFailed (caption "Error",
// style kErrorBoxStyle).
std::wstring WriteFailedText(const std::wstring& valueName);

// The number Save writes for a limit: its text as _wtol reads it, where an
// empty or 0 file or directory size stands for the factory size.
std::int32_t LimitToWrite(const SettingsModel& model, SettingId limit);

// Save's two checks, in order: the directory (trimmed of trailing
// backslashes, in the model too) exists, and the directory size is at least
// ten times the single-file size. On the first that fails, the field is
// focused and its message shown, and the result is false.
bool PassesSaveChecks(SettingsModel& model, SaveHooks& hooks);

// model: what the user chose, copied from the controls. loaded: what loading
// left (the key may be empty when it could not be created: every write then
// fails). Trims the model's directory as a side effect, as the user sees after
// the next copy into the controls.
SaveOutcome SaveSettings(SettingsModel& model, const LoadedKey& loaded, SaveHooks& hooks);

// Save after PassesSaveChecks has passed on this model: the writes alone.
SaveOutcome SaveCheckedSettings(const SettingsModel& model, const LoadedKey& loaded, SaveHooks& hooks);

}  // namespace kmx
