#include "kvxshared/KvxShared.h"

#include <cstdint>

#include "settings/Registry.h"
#include "settings/RegistryOps.h"
#include "settings/SystemRegistry.h"

namespace Korvex {
namespace Util {

int IsBESKMX() {
    kmx::IRegistry& registry = kmx::SystemRegistry();
    kmx::RegKey key = 0;
    if (kmx::OpenForReading(registry, kmx::kHkeyLocalMachine, L"Software\\Korvex", &key) !=
        kmx::kErrorSuccess) {
        return 0;
    }
    // Starts at 0: data shorter than 4 bytes only fills the low bytes.
    std::uint32_t flag = 0;
    const kmx::RegStatus status = kmx::ReadDword(registry, key, L"isBES", &flag);
    kmx::CloseKey(registry, key);
    return status == kmx::kErrorSuccess && flag != 0 ? 1 : 0;
}

}  // namespace Util
}  // namespace Korvex
