#include "settings/Saver.h"

#include <cstdint>

#include "settings/FieldRules.h"
#include "settings/FileName.h"
#include "settings/RegistryOps.h"
#include "settings/SettingOrders.h"

namespace kmx {
namespace {

bool AnythingChanged(const SettingsModel& model, const std::wstring& fileName) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        switch (kCatalogue[i].kind) {
            case SettingKind::Switch:
                if (model.value[i] != model.recordedValue[i]) return true;
                break;
            case SettingKind::Limit:
                if (model.text[i] != model.recordedText[i]) return true;
                break;
            case SettingKind::FileName:
                if (fileName != model.recordedFileName) return true;
                break;
        }
    }
    return false;
}

}  // namespace

std::wstring WriteFailedText(const std::wstring& valueName) {
    return L"Failed to set registry value " + valueName;
}

const wchar_t* RefusalText(SaveCheck check) {
    return check == SaveCheck::DirectoryMissing ? kDirectoryMissingText : kSizeRuleText;
}

SaveVerdict CheckForSave(SettingsModel& model, SaveHooks& hooks) {
    model.logDirectory = TrimTrailingBackslashes(model.logDirectory);
    if (!hooks.DirectoryExists(model.logDirectory)) return {SaveCheck::DirectoryMissing, kFileName};
    // Compared as unsigned numbers; the product is taken in 64 bits so that a
    // huge (negative) file size cannot wrap round and pass.
    const std::uint64_t fileSize = static_cast<std::uint32_t>(LimitToWrite(model, kMaxFileSizeMB));
    const std::uint64_t dirSize = static_cast<std::uint32_t>(LimitToWrite(model, kMaxDirSizeMB));
    if (dirSize < 10 * fileSize) return {SaveCheck::SizeRule, kMaxDirSizeMB};
    return {};
}

SaveOutcome SaveSettings(SettingsModel& model, const LoadedKey& loaded, SaveHooks& hooks) {
    const SaveVerdict verdict = CheckForSave(model, hooks);
    if (!verdict.Passed()) {
        SaveOutcome refused;
        refused.result = SaveResult::Refused;
        refused.refusal = verdict;
        return refused;
    }
    return SaveCheckedSettings(model, loaded, hooks);
}

SaveOutcome SaveCheckedSettings(const SettingsModel& model, const LoadedKey& loaded, SaveHooks& hooks) {
    SaveOutcome outcome;
    IRegistry& registry = loaded.key.Registry();
    const RegKey key = loaded.key.Get();
    const std::wstring fileName = ComposeFileNameForSave(model.logDirectory, model.logFilePrefix);
    if (!AnythingChanged(model, fileName)) return outcome;

    for (std::size_t n = 0; n < kSaveOrder.size(); ++n) {
        const SettingId id = kSaveOrder[n];
        if (n + 1 == kSaveOrder.size() && loaded.oldSwitchRefused) hooks.OldSwitchRefused();
        const ValueToWrite value = ValueSaveWrites(model, id);
        const RegStatus status = value.isText ? WriteString(registry, key, Info(id).name, value.text)
                                              : WriteDword(registry, key, Info(id).name, value.number);
        if (status != kErrorSuccess && outcome.failedValue.empty()) {
            outcome.failedValue = Info(id).name;
            outcome.failedStatus = status;
        }
    }
    outcome.result = outcome.failedValue.empty() ? SaveResult::Written : SaveResult::WriteFailed;
    return outcome;
}

ValueToWrite ValueSaveWrites(const SettingsModel& model, SettingId id) {
    ValueToWrite value;
    switch (Info(id).kind) {
        case SettingKind::Switch: value.number = static_cast<std::uint32_t>(model.value[id]); break;
        case SettingKind::Limit: value.number = static_cast<std::uint32_t>(LimitToWrite(model, id)); break;
        case SettingKind::FileName:
            value.isText = true;
            value.text = ComposeFileNameForSave(model.logDirectory, model.logFilePrefix);
            break;
    }
    return value;
}

}  // namespace kmx
