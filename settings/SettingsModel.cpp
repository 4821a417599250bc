#include "settings/SettingsModel.h"

#include "settings/FileName.h"

namespace kmx {

std::wstring FormatDecimal(std::int32_t number) {
    // Built by hand: swprintf's behaviour differs between the C runtimes, and
    // INT32_MIN has no positive counterpart.
    std::int64_t magnitude = number;
    const bool negative = magnitude < 0;
    if (negative) magnitude = -magnitude;
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) digits.insert(digits.begin(), L'-');
    return digits;
}

void SettingsModel::SetLimit(SettingId id, std::int32_t number) {
    value[id] = number;
    text[id] = FormatDecimal(number);
}

void ApplyFactoryDefaults(SettingsModel& model, const std::wstring& tempPath, int isBESKMX) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const SettingId id = static_cast<SettingId>(i);
        switch (kCatalogue[i].kind) {
            case SettingKind::Switch: model.value[id] = kCatalogue[i].factoryDefault; break;
            case SettingKind::Limit: model.SetLimit(id, kCatalogue[i].factoryDefault); break;
            case SettingKind::FileName:
                model.logDirectory = tempPath;
                model.logFilePrefix = L"kmx";
                break;
        }
    }
    if (isBESKMX != 0) model.value[kThreadLanes] = kThreadLanesBesDefault;
}

void RecordFactoryValues(SettingsModel& model) {
    RecordCurrentValues(model, ComposeMissingFileName(model.logDirectory, model.logFilePrefix));
}

void RecordCurrentValues(SettingsModel& model, const std::wstring& fileNameAsLoaded) {
    model.recordedValue = model.value;
    model.recordedText = model.text;
    model.recordedFileName = fileNameAsLoaded;
}

}  // namespace kmx
