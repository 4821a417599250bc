#include "cli/GalSyncCommand.h"

#include "cli/ExitCode.h"
#include "settings/GalSync.h"
#include "settings/RegistryLayout.h"

namespace kmx {

int GalSync(CommandHost& host, bool full) {
    std::wstring message;
    const GalSyncResult result =
        TriggerGalSync(host.Registry(), full ? kForceGalSyncPrefix : kForceGalSyncDeltaPrefix,
                       [&](const std::wstring& text) { message = text; });
    for (const std::wstring& name : result.written)
        host.Out(L"Wrote HKEY_CURRENT_USER\\" + std::wstring(kKorvexKeyPath) + L"\\" + name + L" = 1\n");
    if (!result.succeeded) {
        host.Err(message + L"\n");
        return kFailure;
    }
    host.Out(message + L"\n");
    return kSuccess;
}

}  // namespace kmx
