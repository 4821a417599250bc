// The registry behaviour the tool relies on, checked against every IRegistry
// implementation a build has: each test binary lists its implementations in
// ContractRegistries().
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "settings/Registry.h"

namespace kmx {

// One implementation, set up afresh for a single test. Its HKEY_CURRENT_USER
// must start without Software\KmxContract.
class ContractRegistry {
public:
    virtual ~ContractRegistry() = default;
    virtual IRegistry& Registry() = 0;
    // The stored type of a value under HKEY_CURRENT_USER\<keyPath>, found
    // from the store itself, not through IRegistry under test; nullopt when missing.
    virtual std::optional<std::uint32_t> StoredType(const std::wstring& keyPath,
                                                    const std::wstring& name) = 0;
};

struct RegistryFactory {
    std::string name;  // test-name suffix: letters, digits, underscores
    std::function<std::unique_ptr<ContractRegistry>()> make;  // nullptr when setup failed
};

// Test output names the implementation.
inline void PrintTo(const RegistryFactory& factory, std::ostream* out) { *out << factory.name; }

// Defined by each test binary.
std::vector<RegistryFactory> ContractRegistries();

// The in-memory registry, available to every test binary.
RegistryFactory MemoryRegistryContractFactory();

}  // namespace kmx
