// Under Wine the contract runs against both the in-memory registry and the
// real one (confined to a private key).
#include <gtest/gtest.h>

#include <memory>

#include "system/Win32Registry.h"
#include "shared/RegistryContract.h"
#include "PrivateRegistry.h"

namespace kmx {

namespace {

class Win32ContractRegistry : public ContractRegistry {
public:
    IRegistry& Registry() override { return m_private.Registry(); }
    std::optional<std::uint32_t> StoredType(const std::wstring& keyPath, const std::wstring& name) override {
        const auto value = m_private.Get(kHkeyCurrentUser, keyPath, name);
        if (!value) return std::nullopt;
        return value->type;
    }
    bool Ready() const { return m_private.Ready(); }

private:
    PrivateRegistry m_private;
};

std::unique_ptr<ContractRegistry> MakeWin32() {
    auto subject = std::make_unique<Win32ContractRegistry>();
    if (!subject->Ready()) return nullptr;
    return subject;
}

TEST(Win32RegistryTest, PredefinedHivesMapToTheirHandles) {
    EXPECT_EQ(HKEY_CURRENT_USER, Win32Registry::ToHkey(kHkeyCurrentUser));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, Win32Registry::ToHkey(kHkeyLocalMachine));
    EXPECT_EQ(kHkeyCurrentUser, Win32Registry::FromHkey(HKEY_CURRENT_USER));
    const auto handle = reinterpret_cast<HKEY>(std::uintptr_t{0x34});
    EXPECT_EQ(handle, Win32Registry::ToHkey(Win32Registry::FromHkey(handle)));
}

TEST(Win32RegistryTest, UnredirectedInstanceReachesTheRealHive) {
    PrivateRegistry scratch;
    ASSERT_TRUE(scratch.Ready());
    ASSERT_TRUE(scratch.PutDword(kHkeyCurrentUser, L"", L"Marker", 42));
    Win32Registry real;
    RegKey key = 0;
    ASSERT_EQ(kErrorSuccess,
              real.OpenKey(kHkeyCurrentUser, scratch.Path() + L"\\HKCU", kKeyQueryValue, &key));
    std::uint8_t data[4] = {};
    std::uint32_t size = sizeof data;
    EXPECT_EQ(kErrorSuccess, real.QueryValue(key, L"Marker", data, &size));
    EXPECT_EQ(42, data[0]);
    EXPECT_EQ(kErrorSuccess, real.CloseKey(key));
}

}  // namespace

std::vector<RegistryFactory> ContractRegistries() {
    return {MemoryRegistryContractFactory(), {"Win32", MakeWin32}};
}

}  // namespace kmx
