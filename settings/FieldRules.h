// What the window's fields take, for every front end: a limit's edit holds at
// most its character limit and takes digits only; copying a check box gives
// 0 or 1.
#pragma once

#include <cstdint>
#include <string_view>

#include "settings/Catalogue.h"
#include "settings/SettingsModel.h"

namespace kmx {

// The text fits the limit's field (its maxChars; the window's DDV_MaxChars).
bool FitsLimitField(SettingId limit, std::wstring_view text);

// The text could be typed into the limit's field: digits only (or nothing),
// and it fits.
bool IsLimitFieldText(SettingId limit, std::wstring_view text);

// A switch's value as its check box gives it back: checked for anything but 0.
constexpr std::int32_t CheckBoxValue(std::int32_t value) { return value != 0 ? 1 : 0; }

// The text a script may give for a switch: "0" or "1".
bool IsSwitchText(std::wstring_view text);

// Every switch of the model as its check box would give it back.
void NormaliseSwitches(SettingsModel& model);

// The number Save writes for a limit: its text as _wtol reads it, where an
// empty or 0 file or directory size stands for the factory size.
std::int32_t LimitToWrite(const SettingsModel& model, SettingId limit);

}  // namespace kmx
