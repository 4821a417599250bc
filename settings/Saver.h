// Saving: validates the directory and the size rule, then, if anything
// differs from what loading recorded, writes all 57 values in their fixed
// order.
#pragma once

#include <cstdint>
#include <string>

#include "settings/Loader.h"
#include "settings/Registry.h"
#include "settings/SettingsModel.h"

namespace kmx {

// What the user is told, by the window and the companion alike.
inline constexpr wchar_t kDirectoryMissingText[] = L"The specified Log File directory does not exist";
inline constexpr wchar_t kSizeRuleText[] =
    L"'Max Size of KMXLogs Directory' must be at least ten times 'Max Size of Single Log File'.";
inline constexpr wchar_t kOldSwitchText[] =
    L"Unable to delete the old verboseLogging registry value.  Please delete it.";

// Which of Save's checks refused the settings, and the setting whose field
// it concerns (the directory check: FileName; the size rule: MaxDirSizeMB).
enum class SaveCheck { None, DirectoryMissing, SizeRule };

struct SaveVerdict {
    SaveCheck failed = SaveCheck::None;
    SettingId setting = kFileName;
    bool Passed() const { return failed == SaveCheck::None; }
};

// The message of a failed check: kDirectoryMissingText or kSizeRuleText.
const wchar_t* RefusalText(SaveCheck check);

// What the front end lends to Save (the directory check) and the one moment
// Save tells it of while it writes.
class SaveHooks {
public:
    virtual ~SaveHooks() = default;
    // GetFileAttributesW succeeds and has FILE_ATTRIBUTE_DIRECTORY.
    virtual bool DirectoryExists(const std::wstring& directory) = 0;
    // Loading was refused the delete of the old switch: called once, just
    // before the last write, which is when the user is told (kOldSwitchText).
    virtual void OldSwitchRefused() = 0;
};

enum class SaveResult {
    Refused,      // a check failed (see refusal): nothing written
    Unchanged,    // nothing differs from the recorded values: nothing written
    Written,      // all 57 values written
    WriteFailed,  // all 57 attempted, at least one failed: see failedValue
};

struct SaveOutcome {
    SaveResult result = SaveResult::Unchanged;
    SaveVerdict refusal;       // the check that failed
    std::wstring failedValue;  // the first value whose write failed
    RegStatus failedStatus = kErrorSuccess;
};

// The message for SaveResult::WriteFailed.
std::wstring WriteFailedText(const std::wstring& valueName);

// Save's two checks, in order: the directory (trimmed of trailing
// backslashes, in the model too) exists, and the directory size is at least
// ten times the single-file size. The verdict names the first that fails.
SaveVerdict CheckForSave(SettingsModel& model, SaveHooks& hooks);

// model: what the user chose, copied from the controls. loaded: what loading
// left (the key may be empty when it could not be created: every write then
// fails). Trims the model's directory as a side effect, as the user sees after
// the next copy into the controls.
SaveOutcome SaveSettings(SettingsModel& model, const LoadedKey& loaded, SaveHooks& hooks);

// Save after CheckForSave has passed on this model: the writes alone.
SaveOutcome SaveCheckedSettings(const SettingsModel& model, const LoadedKey& loaded, SaveHooks& hooks);

// What Save writes for one setting: a REG_DWORD (switches, limits) or
// FileName's REG_SZ, composed from the directory and the prefix.
struct ValueToWrite {
    bool isText = false;
    std::uint32_t number = 0;
    std::wstring text;
};
ValueToWrite ValueSaveWrites(const SettingsModel& model, SettingId id);

}  // namespace kmx
