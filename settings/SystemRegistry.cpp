#include "settings/SystemRegistry.h"

namespace kmx {
namespace {

class AbsentRegistry : public IRegistry {
public:
    RegStatus OpenKey(RegKey, const std::wstring&, std::uint32_t, RegKey* result) override {
        if (result) *result = 0;
        return kErrorInvalidHandle;
    }
    RegStatus CreateKey(RegKey, const std::wstring&, std::uint32_t, RegKey* result, std::uint32_t*) override {
        if (result) *result = 0;
        return kErrorInvalidHandle;
    }
    RegStatus QueryValue(RegKey, const std::wstring&, std::uint8_t*, std::uint32_t*) override {
        return kErrorInvalidHandle;
    }
    RegStatus SetValue(RegKey, const std::wstring&, std::uint32_t, const std::uint8_t*,
                       std::uint32_t) override {
        return kErrorInvalidHandle;
    }
    RegStatus DeleteValue(RegKey, const std::wstring&) override { return kErrorInvalidHandle; }
    RegStatus CloseKey(RegKey) override { return kErrorInvalidHandle; }
};

AbsentRegistry& Absent() {
    static AbsentRegistry absent;
    return absent;
}

IRegistry* g_installed = nullptr;

}  // namespace

IRegistry& SystemRegistry() { return g_installed ? *g_installed : Absent(); }

void SetSystemRegistry(IRegistry* registry) { g_installed = registry; }

ScopedSystemRegistry::ScopedSystemRegistry(IRegistry& registry) : previous_(g_installed) {
    g_installed = &registry;
}

ScopedSystemRegistry::~ScopedSystemRegistry() { g_installed = previous_; }

}  // namespace kmx
