#include "settings/ReadIEProxyServer.h"

#include "settings/RegKeyHandle.h"
#include "settings/RegistryOps.h"

namespace kmx {

std::wstring ReadIEProxyServer(IRegistry& registry) {
    RegKeyHandle key(registry);
    if (OpenForReading(registry, kHkeyCurrentUser, kInternetSettingsKey, key.Receive()) != kErrorSuccess) {
        return std::wstring();
    }
    // Empty on any failed read, so the status itself is not needed here.
    std::wstring text;
    ReadStringAny(registry, key.Get(), kProxyServerValue, &text);
    return text;
}

}  // namespace kmx
