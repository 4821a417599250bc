// What the tool relies on from the registry, down to the bytes, for every
// implementation: the real one under Wine and the in-memory one.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shared/RegistryContract.h"
#include "support/MemoryRegistry.h"

namespace kmx {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kSentinel = 0xAA;
const wchar_t kRoot[] = L"Software\\KmxContract";

// "abc" as UTF-16LE, with and without its terminator.
const Bytes kAbcTerminated = {'a', 0, 'b', 0, 'c', 0, 0, 0};
const Bytes kAbcBare = {'a', 0, 'b', 0, 'c', 0};

class MemoryContractRegistry : public ContractRegistry {
public:
    IRegistry& Registry() override { return m_registry; }
    std::optional<std::uint32_t> StoredType(const std::wstring& keyPath, const std::wstring& name) override {
        const auto value = m_registry.Get(L"HKCU\\" + keyPath, name);
        if (!value) return std::nullopt;
        return value->type;
    }

private:
    MemoryRegistry m_registry;
};

class RegistryContractTest : public ::testing::TestWithParam<RegistryFactory> {
protected:
    void SetUp() override {
        m_subject = GetParam().make();
        ASSERT_NE(m_subject, nullptr);
        m_registry = &m_subject->Registry();
        std::uint32_t disposition = 0;
        ASSERT_EQ(kErrorSuccess, m_registry->CreateKey(kHkeyCurrentUser, kRoot, kKeyQueryValue | kKeySetValue,
                                                       &m_root, &disposition));
        ASSERT_EQ(kRegCreatedNewKey, disposition);
    }

    void TearDown() override {
        if (m_root != 0) {
            EXPECT_EQ(kErrorSuccess, m_registry->CloseKey(m_root));
        }
    }

    RegStatus Set(const std::wstring& name, std::uint32_t type, const Bytes& bytes) {
        return m_registry->SetValue(m_root, name, type, bytes.data(),
                                    static_cast<std::uint32_t>(bytes.size()));
    }

    // Reads into a buffer of `capacity` bytes followed by sentinel bytes and
    // returns the whole buffer, so that any byte written past the data shows.
    Bytes Query(const std::wstring& name, std::uint32_t capacity, RegStatus* status, std::uint32_t* size) {
        Bytes buffer(capacity + 4, kSentinel);
        *size = capacity;
        *status = m_registry->QueryValue(m_root, name, buffer.data(), size);
        return buffer;
    }

    // The stored bytes, read the way a careful caller does: size first, then data.
    Bytes Stored(const std::wstring& name) {
        std::uint32_t size = 0;
        if (m_registry->QueryValue(m_root, name, nullptr, &size) != kErrorSuccess) return {};
        Bytes data(size);
        EXPECT_EQ(kErrorSuccess, m_registry->QueryValue(m_root, name, data.data(), &size));
        return data;
    }

    std::unique_ptr<ContractRegistry> m_subject;
    IRegistry* m_registry = nullptr;
    RegKey m_root = 0;
};

Bytes WithSentinels(Bytes head, std::size_t total) {
    head.resize(total, kSentinel);
    return head;
}

TEST_P(RegistryContractTest, CreateTellsNewFromExistingAndOpenNeedsAnExistingKey) {
    const std::wstring path = std::wstring(kRoot) + L"\\Korvex\\Logging";
    RegKey key = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(kErrorSuccess, m_registry->CreateKey(kHkeyCurrentUser, path, 3, &key, &disposition));
    EXPECT_EQ(kRegCreatedNewKey, disposition) << "intermediate keys are created on the way";
    EXPECT_EQ(kErrorSuccess, m_registry->CloseKey(key));

    disposition = 0;
    ASSERT_EQ(kErrorSuccess,
              m_registry->CreateKey(kHkeyCurrentUser, L"SOFTWARE\\kmxcontract\\KORVEX\\logging", 3, &key,
                                    &disposition));
    EXPECT_EQ(kRegOpenedExistingKey, disposition) << "key paths ignore case";
    EXPECT_EQ(kErrorSuccess, m_registry->CloseKey(key));

    key = 0x1234;
    EXPECT_EQ(kErrorFileNotFound, m_registry->OpenKey(kHkeyCurrentUser, std::wstring(kRoot) + L"\\Missing",
                                                      kKeyQueryValue, &key));
    EXPECT_EQ(0u, key) << "a failed open yields no key";

    ASSERT_EQ(kErrorSuccess, m_registry->OpenKey(kHkeyCurrentUser, path, kKeyQueryValue, &key));
    EXPECT_EQ(kErrorSuccess, m_registry->CloseKey(key));
}

TEST_P(RegistryContractTest, HandlesToTheSameKeySeeTheSameValues) {
    RegKey reader = 0;
    ASSERT_EQ(kErrorSuccess, m_registry->OpenKey(kHkeyCurrentUser, kRoot, kKeyQueryValue, &reader));
    ASSERT_EQ(kErrorSuccess, Set(L"Shared", kRegDword, {7, 0, 0, 0}));
    std::uint8_t data[4] = {};
    std::uint32_t size = sizeof data;
    EXPECT_EQ(kErrorSuccess, m_registry->QueryValue(reader, L"Shared", data, &size));
    EXPECT_EQ(7, data[0]);
    EXPECT_EQ(kErrorSuccess, m_registry->CloseKey(reader));
}

TEST_P(RegistryContractTest, FourByteReadOfLongerDataFailsWithoutTouchingTheBuffer) {
    ASSERT_EQ(kErrorSuccess, Set(L"Eight", kRegBinary, {1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_EQ(kErrorSuccess, Set(L"Text", kRegSz, kAbcTerminated));
    for (const wchar_t* name : {L"Eight", L"Text"}) {
        RegStatus status = 0;
        std::uint32_t size = 0;
        const Bytes buffer = Query(name, 4, &status, &size);
        EXPECT_EQ(kErrorMoreData, status) << name;
        EXPECT_EQ(8u, size) << name << ": the size needed is reported";
        EXPECT_EQ(Bytes(8, kSentinel), buffer) << name;
    }
}

TEST_P(RegistryContractTest, ReadOfShorterDataWritesOnlyItsBytes) {
    ASSERT_EQ(kErrorSuccess, Set(L"Two", kRegBinary, {0x12, 0x34}));
    ASSERT_EQ(kErrorSuccess, Set(L"Empty", kRegBinary, {}));
    RegStatus status = 0;
    std::uint32_t size = 0;
    Bytes buffer = Query(L"Two", 4, &status, &size);
    EXPECT_EQ(kErrorSuccess, status);
    EXPECT_EQ(2u, size);
    EXPECT_EQ(WithSentinels({0x12, 0x34}, 8), buffer);

    buffer = Query(L"Empty", 4, &status, &size);
    EXPECT_EQ(kErrorSuccess, status);
    EXPECT_EQ(0u, size);
    EXPECT_EQ(Bytes(8, kSentinel), buffer);
}

TEST_P(RegistryContractTest, MissingValueIsNotFound) {
    RegStatus status = 0;
    std::uint32_t size = 0;
    const Bytes buffer = Query(L"Missing", 4, &status, &size);
    EXPECT_EQ(kErrorFileNotFound, status);
    EXPECT_EQ(Bytes(8, kSentinel), buffer);

    size = 77;
    EXPECT_EQ(kErrorFileNotFound, m_registry->QueryValue(m_root, L"Missing", nullptr, &size));
    EXPECT_EQ(0u, size) << "a size query of a missing value reports 0";
}

TEST_P(RegistryContractTest, SizeQueryWithoutBufferReportsTheStoredSize) {
    ASSERT_EQ(kErrorSuccess, Set(L"Text", kRegSz, kAbcTerminated));
    ASSERT_EQ(kErrorSuccess, Set(L"Empty", kRegSz, {}));
    std::uint32_t size = 0;
    EXPECT_EQ(kErrorSuccess, m_registry->QueryValue(m_root, L"Text", nullptr, &size));
    EXPECT_EQ(8u, size);
    size = 77;
    EXPECT_EQ(kErrorSuccess, m_registry->QueryValue(m_root, L"Empty", nullptr, &size));
    EXPECT_EQ(0u, size);
}

// An unterminated string comes back unterminated when it fills the buffer
// exactly; with room to spare the registry adds the NUL itself. Binary data
// never gets one.
TEST_P(RegistryContractTest, StringReadIsTerminatedOnlyWhenThereIsRoom) {
    // The unit after the counted data is 'd', so nothing is added on the way in.
    const std::uint8_t abcd[] = {'a', 0, 'b', 0, 'c', 0, 'd', 0, 0, 0};
    ASSERT_EQ(kErrorSuccess, m_registry->SetValue(m_root, L"Bare", kRegSz, abcd, 6));
    ASSERT_EQ(kErrorSuccess, m_registry->SetValue(m_root, L"Binary", kRegBinary, abcd, 6));
    ASSERT_EQ(kErrorSuccess, Set(L"Terminated", kRegSz, kAbcTerminated));
    RegStatus status = 0;
    std::uint32_t size = 0;

    Bytes buffer = Query(L"Bare", 6, &status, &size);
    EXPECT_EQ(kErrorSuccess, status);
    EXPECT_EQ(6u, size);
    EXPECT_EQ(WithSentinels(kAbcBare, 10), buffer) << "exact fit: no terminator";

    buffer = Query(L"Bare", 7, &status, &size);
    EXPECT_EQ(kErrorSuccess, status);
    EXPECT_EQ(WithSentinels(kAbcBare, 11), buffer) << "one byte spare is not room for a NUL unit";

    buffer = Query(L"Bare", 8, &status, &size);
    EXPECT_EQ(kErrorSuccess, status);
    EXPECT_EQ(6u, size) << "the added NUL is not counted";
    EXPECT_EQ(WithSentinels(kAbcTerminated, 12), buffer);

    buffer = Query(L"Terminated", 12, &status, &size);
    EXPECT_EQ(kErrorSuccess, status);
    EXPECT_EQ(8u, size);
    EXPECT_EQ(WithSentinels(kAbcTerminated, 16), buffer) << "terminated data gets no second NUL";

    buffer = Query(L"Binary", 8, &status, &size);
    EXPECT_EQ(kErrorSuccess, status);
    EXPECT_EQ(WithSentinels(kAbcBare, 12), buffer);
}

TEST_P(RegistryContractTest, StringSetWithoutItsTerminatorIsStoredWithIt) {
    // The counted size leaves out the NUL that follows in memory.
    ASSERT_EQ(kErrorSuccess, m_registry->SetValue(m_root, L"Forgot", kRegSz, kAbcTerminated.data(), 6));
    EXPECT_EQ(kAbcTerminated, Stored(L"Forgot"));
    EXPECT_EQ(kRegSz, m_subject->StoredType(kRoot, L"Forgot"));

    // Counted on a string that goes on: stored as counted.
    const std::uint8_t abcd[] = {'a', 0, 'b', 0, 'c', 0, 'd', 0, 0, 0};
    ASSERT_EQ(kErrorSuccess, m_registry->SetValue(m_root, L"Cut", kRegSz, abcd, 6));
    EXPECT_EQ(kAbcBare, Stored(L"Cut"));
}

TEST_P(RegistryContractTest, ValuesKeepTheTypeTheyWereLastWrittenWith) {
    ASSERT_EQ(kErrorSuccess, Set(L"Flag", kRegBinary, {1, 0, 0, 0}));
    EXPECT_EQ((Bytes{1, 0, 0, 0}), Stored(L"Flag"));
    EXPECT_EQ(kRegBinary, m_subject->StoredType(kRoot, L"Flag")) << "4 bytes do not make a REG_DWORD";

    ASSERT_EQ(kErrorSuccess, Set(L"Trigger", kRegSz, kAbcTerminated));
    ASSERT_EQ(kErrorSuccess, Set(L"Trigger", kRegDword, {1, 0, 0, 0}));
    EXPECT_EQ((Bytes{1, 0, 0, 0}), Stored(L"Trigger"));
    EXPECT_EQ(kRegDword, m_subject->StoredType(kRoot, L"Trigger"));

    EXPECT_EQ(std::nullopt, m_subject->StoredType(kRoot, L"Missing"));
}

TEST_P(RegistryContractTest, QueryOnlyHandleRefusesSetAndDelete) {
    ASSERT_EQ(kErrorSuccess, Set(L"Kept", kRegDword, {5, 0, 0, 0}));
    RegKey reader = 0;
    ASSERT_EQ(kErrorSuccess, m_registry->OpenKey(kHkeyCurrentUser, kRoot, kKeyQueryValue, &reader));
    const std::uint8_t one[] = {1, 0, 0, 0};
    EXPECT_EQ(kErrorAccessDenied, m_registry->SetValue(reader, L"Kept", kRegDword, one, 4));
    EXPECT_EQ(kErrorAccessDenied, m_registry->SetValue(reader, L"New", kRegDword, one, 4));
    EXPECT_EQ(kErrorAccessDenied, m_registry->DeleteValue(reader, L"Kept"));
    EXPECT_EQ(kErrorAccessDenied, m_registry->DeleteValue(reader, L"Missing")) << "rights are checked first";
    EXPECT_EQ(kErrorSuccess, m_registry->CloseKey(reader));
    EXPECT_EQ((Bytes{5, 0, 0, 0}), Stored(L"Kept"));
    EXPECT_EQ(std::nullopt, m_subject->StoredType(kRoot, L"New"));
}

TEST_P(RegistryContractTest, ValueNamesIgnoreCase) {
    ASSERT_EQ(kErrorSuccess, Set(L"ForceGalSync_Outlook.exe", kRegDword, {1, 0, 0, 0}));
    EXPECT_EQ((Bytes{1, 0, 0, 0}), Stored(L"FORCEGALSYNC_OUTLOOK.EXE"));
    ASSERT_EQ(kErrorSuccess, Set(L"forcegalsync_outlook.exe", kRegDword, {2, 0, 0, 0}));
    EXPECT_EQ((Bytes{2, 0, 0, 0}), Stored(L"ForceGalSync_Outlook.exe")) << "one value, overwritten";
    EXPECT_EQ(kErrorSuccess, m_registry->DeleteValue(m_root, L"FORCEGALSYNC_outlook.EXE"));
    EXPECT_EQ(std::nullopt, m_subject->StoredType(kRoot, L"ForceGalSync_Outlook.exe"));
}

TEST_P(RegistryContractTest, DeleteRemovesTheValueAndReportsAMissingOne) {
    ASSERT_EQ(kErrorSuccess, Set(L"Gone", kRegDword, {1, 0, 0, 0}));
    EXPECT_EQ(kErrorSuccess, m_registry->DeleteValue(m_root, L"Gone"));
    std::uint32_t size = 0;
    EXPECT_EQ(kErrorFileNotFound, m_registry->QueryValue(m_root, L"Gone", nullptr, &size));
    EXPECT_EQ(kErrorFileNotFound, m_registry->DeleteValue(m_root, L"Gone"));
}

TEST_P(RegistryContractTest, ClosedHandlesAreInvalidAndHivesNeverClose) {
    RegKey key = 0;
    ASSERT_EQ(kErrorSuccess, m_registry->OpenKey(kHkeyCurrentUser, kRoot, kKeyQueryValue, &key));
    EXPECT_EQ(kErrorSuccess, m_registry->CloseKey(key));
    EXPECT_EQ(kErrorInvalidHandle, m_registry->CloseKey(key));
    std::uint32_t size = 0;
    EXPECT_EQ(kErrorInvalidHandle, m_registry->QueryValue(key, L"Any", nullptr, &size));
    EXPECT_EQ(kErrorInvalidHandle, m_registry->CloseKey(0));

    EXPECT_EQ(kErrorSuccess, m_registry->CloseKey(kHkeyCurrentUser));
    ASSERT_EQ(kErrorSuccess, m_registry->OpenKey(kHkeyCurrentUser, kRoot, kKeyQueryValue, &key));
    EXPECT_EQ(kErrorSuccess, m_registry->CloseKey(key));
}

std::string FactoryName(const ::testing::TestParamInfo<RegistryFactory>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Registries, RegistryContractTest, ::testing::ValuesIn(ContractRegistries()),
                         FactoryName);

}  // namespace

RegistryFactory MemoryRegistryContractFactory() {
    return {"Memory", [] { return std::make_unique<MemoryContractRegistry>(); }};
}

}  // namespace kmx
