#include "settings/GalSync.h"

#include <cstdint>

#include "settings/IsBESFromRegistry.h"
#include "settings/RegKeyHandle.h"
#include "settings/RegistryLayout.h"
#include "settings/RegistryOps.h"

namespace kmx {

namespace {

// Under HKEY_CURRENT_USER: the same path as the variant flag's key, another hive.
constexpr const wchar_t* kTriggerKeyPath = kKorvexKeyPath;

// Host executables of the connector, per variant, in the order written.
std::vector<std::wstring> ConnectorHosts(bool blackBerryServer) {
    if (blackBerryServer) return {L"BlackBerryMailStoreSrvr.exe", L"BlackBerryAgent.exe"};
    return {L"Outlook.exe"};
}

}  // namespace

GalSyncResult TriggerGalSync(IRegistry& registry, const std::wstring& prefix,
                             const std::function<void(const std::wstring& text)>& show) {
    GalSyncResult result;
    RegKeyHandle key(registry);
    std::uint32_t disposition = 0;
    if (CreateForReadWrite(registry, kHkeyCurrentUser, kTriggerKeyPath, key.Receive(), &disposition) !=
        kErrorSuccess) {
        show(std::wstring(L"Failed to create registry key ") + kTriggerKeyPath);
        return result;
    }
    for (const std::wstring& host : ConnectorHosts(IsBESFromRegistry(registry))) {
        const std::wstring name = prefix + host;
        if (WriteDword(registry, key.Get(), name, 1) != kErrorSuccess) {
            show(L"Failed to set registry value " + name);
            return result;
        }
        result.written.push_back(name);
    }
    key.Close();
    show(L"GAL sync was initiated. It will start within next 10 seconds..");
    result.succeeded = true;
    return result;
}

}  // namespace kmx
