#include "settings/SettingsView.h"

#include "settings/FieldRules.h"
#include "settings/FileName.h"
#include "settings/SettingOrders.h"
#include "settings/Wtol.h"

namespace kmx {
namespace {

// A switch shows checked for any value but 0; a limit shows its text.
std::int32_t ShownNumber(const SettingsModel& model, SettingId id) {
    return Info(id).kind == SettingKind::Switch ? CheckBoxValue(model.value[id]) : Wtol(model.text[id]);
}

std::wstring ShownFileName(const SettingsModel& model) {
    return ComposeFileNameForSave(TrimTrailingBackslashes(model.logDirectory), model.logFilePrefix);
}

}  // namespace

std::vector<ShownSetting> ShowSettings(const SettingsModel& shown, const SettingsModel& factory,
                                       const std::array<bool, kSettingCount>& stored) {
    std::vector<ShownSetting> settings;
    for (const SettingId id : kSaveOrder) {
        const bool isText = Info(id).kind == SettingKind::FileName;
        settings.push_back({id, isText, isText ? 0 : ShownNumber(shown, id),
                            isText ? ShownFileName(shown) : L"", isText ? 0 : ShownNumber(factory, id),
                            isText ? ShownFileName(factory) : L"", stored[id]});
    }
    return settings;
}

}  // namespace kmx
