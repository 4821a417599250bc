// The "Force GAL reset" / "Force GAL update" commands. The connector has no
// channel from the tool but the registry: each command writes one REG_DWORD 1
// per connector host process under HKEY_CURRENT_USER\Software\Korvex, named
// prefix + host executable, and the connector starts the sync when it sees it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "settings/Registry.h"

namespace kmx {

// Value-name prefixes: full resync and delta resync.
inline constexpr wchar_t kForceGalSyncPrefix[] = L"ForceGalSync_";
inline constexpr wchar_t kForceGalSyncDeltaPrefix[] = L"ForceGalSyncDelta_";

// Writes the trigger values for the installed variant (see
// IsBESFromRegistry) and reports through `show` exactly once: the failed key
// creation, the first failed write (later hosts are not attempted, earlier
// values stay), or the success message. The key is closed before a success
// is reported.
struct GalSyncResult {
    bool succeeded = false;
    std::vector<std::wstring> written;  // the names of the values written, in order
};
GalSyncResult TriggerGalSync(IRegistry& registry, const std::wstring& prefix,
                             const std::function<void(const std::wstring& text)>& show);

}  // namespace kmx
