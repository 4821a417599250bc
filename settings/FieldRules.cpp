#include "settings/FieldRules.h"

#include <cstddef>

#include "settings/Wtol.h"

namespace kmx {

bool FitsLimitField(SettingId limit, std::wstring_view text) {
    return text.size() <= static_cast<std::size_t>(Info(limit).maxChars);
}

bool IsLimitFieldText(SettingId limit, std::wstring_view text) {
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
    }
    return FitsLimitField(limit, text);
}

bool IsSwitchText(std::wstring_view text) { return text == L"0" || text == L"1"; }

void NormaliseSwitches(SettingsModel& model) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (kCatalogue[i].kind == SettingKind::Switch) model.value[i] = CheckBoxValue(model.value[i]);
    }
}

std::int32_t LimitToWrite(const SettingsModel& model, SettingId limit) {
    const std::int32_t number = Wtol(model.text[limit]);
    // Empty or 0 means the factory size.
    if (number == 0 && (limit == kMaxFileSizeMB || limit == kMaxDirSizeMB)) return Info(limit).factoryDefault;
    return number;
}

}  // namespace kmx
