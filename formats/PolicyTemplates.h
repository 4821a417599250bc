// The administrative templates (ADMX and its en-US ADML) that let Group Policy
// and Intune set the 57 logging values, generated from the catalogue, the
// preset table and the window's grouping of its check boxes.
#pragma once

#include <cstdint>
#include <string>

#include "settings/Catalogue.h"

namespace kmx {

inline constexpr wchar_t kAdmxFileName[] = L"KMXLogCtl.admx";
inline constexpr wchar_t kAdmlFolderName[] = L"en-US";
inline constexpr wchar_t kAdmlFileName[] = L"KMXLogCtl.adml";

// The numbers Save can write for a limit: what its field's characters can
// hold, without 0 where Save writes the factory size instead.
struct LimitRange {
    std::uint32_t min;
    std::uint32_t max;
};
LimitRange WritableRange(SettingId limit);

// The two files, UTF-8 with a declaration.
std::string PolicyDefinitionsXml();
std::string PolicyResourcesXml();

}  // namespace kmx
