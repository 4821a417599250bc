// Internet Explorer's proxy, as the proxy dialog shows it and the main dialog
// keeps it: the value ProxyServer of the key below (under HKEY_CURRENT_USER).
// It is only ever read.
#pragma once

#include <string>

#include "settings/Registry.h"

namespace kmx {

inline constexpr wchar_t kInternetSettingsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr wchar_t kProxyServerValue[] = L"ProxyServer";

// The value's data taken as UTF-16 text whatever its type, up to its first
// NUL or the end of the data, at any length. Empty when the key or the value
// is missing or either read fails (the value may change between asking for
// its size and reading it). The key is opened for reading only and closed
// before returning.
std::wstring ReadIEProxyServer(IRegistry& registry);

}  // namespace kmx
