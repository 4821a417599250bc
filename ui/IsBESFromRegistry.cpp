#include "ui/IsBESFromRegistry.h"

#include <cstdint>

#include "settings/RegistryLayout.h"
#include "settings/RegistryOps.h"
#include "settings/SystemRegistry.h"

namespace kmx {

bool IsBESFromRegistry() { return IsBESFromRegistry(SystemRegistry()); }

bool IsBESFromRegistry(IRegistry& registry) {
    RegKey key = 0;
    if (OpenForReading(registry, kHkeyLocalMachine, kKorvexKeyPath, &key) != kErrorSuccess) {
        return false;
    }
    // Zeroed first: data shorter than 4 bytes fills only the low bytes, so
    // an empty value reads as 0.
    std::uint32_t flag = 0;
    const RegStatus status = ReadDword(registry, key, kIsBESName, &flag);
    CloseKey(registry, key);
    return status == kErrorSuccess && flag != 0;
}

}  // namespace kmx
