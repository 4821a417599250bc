#include "settings/Catalogue.h"

namespace kmx {
namespace {

wchar_t FoldAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<SettingId> FindSettingByName(std::wstring_view name) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (SameNameIgnoringCase(kCatalogue[i].name, name)) return static_cast<SettingId>(i);
    }
    return std::nullopt;
}

}  // namespace kmx
