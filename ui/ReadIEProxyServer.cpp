#include "ui/ReadIEProxyServer.h"

#include "settings/RegistryOps.h"
#include "settings/SystemRegistry.h"

namespace kmx {

std::wstring ReadIEProxyServer() { return ReadIEProxyServer(SystemRegistry()); }

std::wstring ReadIEProxyServer(IRegistry& registry) {
    RegKey key = 0;
    if (OpenForReading(registry, kHkeyCurrentUser, kInternetSettingsKey, &key) != kErrorSuccess) {
        return std::wstring();
    }
    // Empty on any failed read, so the status itself is not needed here.
    std::wstring text;
    ReadStringAny(registry, key, kProxyServerValue, &text);
    CloseKey(registry, key);
    return text;
}

}  // namespace kmx
