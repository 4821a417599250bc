#include "settings/Catalogue.h"

#include "settings/AsciiCase.h"

namespace kmx {
std::optional<SettingId> FindSettingByName(std::wstring_view name) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (EqualsIgnoringAsciiCase(kCatalogue[i].name, name)) return static_cast<SettingId>(i);
    }
    return std::nullopt;
}

}  // namespace kmx
