// The catalogue of the 57 logging settings, generated from SettingList.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/SettingList.h"

namespace kmx {

enum class SettingKind { Switch, Limit, FileName };

// kEnabled, kFileName, ... in catalogue order; usable as an index.
enum SettingId : int {
#define KMX_SETTING_ID(name, kind, def, maxChars, spinLower, spinUpper) k##name,
    KMX_SETTING_LIST(KMX_SETTING_ID)
#undef KMX_SETTING_ID
};

#define KMX_SETTING_ONE(name, kind, def, maxChars, spinLower, spinUpper) +1
constexpr std::size_t kSettingCount = 0 KMX_SETTING_LIST(KMX_SETTING_ONE);
#undef KMX_SETTING_ONE

struct SettingInfo {
    const wchar_t* name;
    SettingKind kind;
    std::int32_t factoryDefault;
    int maxChars;
    int spinLower;
    int spinUpper;
};

inline constexpr std::array<SettingInfo, kSettingCount> kCatalogue = {{
#define KMX_SETTING_INFO(name, kind, def, maxChars, spinLower, spinUpper) \
    {L## #name, SettingKind::kind, def, maxChars, spinLower, spinUpper},
    KMX_SETTING_LIST(KMX_SETTING_INFO)
#undef KMX_SETTING_INFO
}};

// ThreadLanes's factory default in the BES variant (the catalogue holds the
// standard variant's).
constexpr std::int32_t kThreadLanesBesDefault = 0;

constexpr const SettingInfo& Info(SettingId id) { return kCatalogue[static_cast<std::size_t>(id)]; }

// By registry value name, compared as the registry does (ASCII case ignored).
std::optional<SettingId> FindSettingByName(std::wstring_view name);

}  // namespace kmx
