// The 57 settings as the window would show them, in the order Save writes
// them: what show, show --json and export print.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/Catalogue.h"
#include "settings/SettingsModel.h"

namespace kmx {

struct ShownSetting {
    SettingId id;
    bool isText;          // FileName: the directory and prefix composed as Save composes them
    std::int32_t number;  // a switch's mark (0 or 1) or a limit's number
    std::wstring text;    // FileName
    std::int32_t defaultNumber;
    std::wstring defaultText;
    bool stored;  // the value was there and readable
    bool Differs() const { return isText ? text != defaultText : number != defaultNumber; }
};

// shown: the model as loading leaves it; factory: the factory defaults;
// stored: per setting, whether it was read.
std::vector<ShownSetting> ShowSettings(const SettingsModel& shown, const SettingsModel& factory,
                                       const std::array<bool, kSettingCount>& stored);

}  // namespace kmx
