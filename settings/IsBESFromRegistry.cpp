#include "settings/IsBESFromRegistry.h"

#include <cstdint>

#include "settings/RegKeyHandle.h"
#include "settings/RegistryLayout.h"
#include "settings/RegistryOps.h"

namespace kmx {

bool IsBESFromRegistry(IRegistry& registry) {
    RegKeyHandle key(registry);
    if (OpenForReading(registry, kHkeyLocalMachine, kKorvexKeyPath, key.Receive()) != kErrorSuccess) {
        return false;
    }
    // Zeroed first: data shorter than 4 bytes fills only the low bytes, so
    // an empty value reads as 0.
    std::uint32_t flag = 0;
    const RegStatus status = ReadDword(registry, key.Get(), kIsBESName, &flag);
    return status == kErrorSuccess && flag != 0;
}

}  // namespace kmx
