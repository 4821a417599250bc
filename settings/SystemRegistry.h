// The process-wide registry: the program installs the Win32 one at start-up,
// tests install an in-memory (or redirected) one.
#pragma once

#include "settings/Registry.h"

namespace kmx {

// The installed registry; without one, a registry on which every operation
// fails with ERROR_INVALID_HANDLE (6).
IRegistry& SystemRegistry();

// Installs registry (not owned; nullptr uninstalls).
void SetSystemRegistry(IRegistry* registry);

// Installs a registry for the life of a scope, then puts the previous one back.
class ScopedSystemRegistry {
public:
    explicit ScopedSystemRegistry(IRegistry& registry);
    ~ScopedSystemRegistry();
    ScopedSystemRegistry(const ScopedSystemRegistry&) = delete;
    ScopedSystemRegistry& operator=(const ScopedSystemRegistry&) = delete;

private:
    IRegistry* previous_;
};

}  // namespace kmx
