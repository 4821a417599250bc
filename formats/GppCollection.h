// Group Policy Preferences registry collection: the XML that the Group Policy
// Management Editor takes when it is dropped on Preferences > Windows
// Settings > Registry, one Registry item per logging value.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/SettingsView.h"

namespace kmx {

inline constexpr wchar_t kGppCollectionClsid[] = L"{53B533F5-224C-47e3-B01B-CA3B3F3FF4BF}";
inline constexpr wchar_t kGppRegistryClsid[] = L"{9CD4B2F4-923D-47f5-A062-E897DD1DAD50}";

// changed: "YYYY-MM-DD HH:MM:SS" (UTC). newUid: a fresh "{GUID}" per call.
// Each item replaces its value and is removed when the GPO no longer applies.
// False with *problem when a text holds a character XML cannot carry.
bool FormatGppCollection(const std::vector<ShownSetting>& settings, const std::wstring& changed,
                         const std::function<std::wstring()>& newUid, std::string* utf8,
                         std::wstring* problem);

// The current time as the collection's changed attribute takes it, and a
// random (version 4) GUID in braces, upper case.
std::wstring GppTimeNow();
std::wstring NewRandomGuid();

}  // namespace kmx
