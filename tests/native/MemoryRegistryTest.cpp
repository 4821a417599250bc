// The in-memory registry beyond the shared contract: key paths, rights,
// handles, and the test-facing faults, denials, counters and log.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kvxshared/KvxShared.h"
#include "settings/RegKeyHandle.h"
#include "support/MemoryRegistry.h"

namespace kmx {
namespace {

using Op = MemoryRegistry::Op;
const std::uint8_t kOne[] = {1, 0, 0, 0};

TEST(MemoryRegistryTest, KeyPathsParseAsTheRegistryDoes) {
    MemoryRegistry registry;
    RegKey key = 0x99;
    std::uint32_t disposition = 0;
    EXPECT_EQ(161, registry.CreateKey(kHkeyCurrentUser, L"\\Software", 3, &key, &disposition));
    EXPECT_EQ(0u, key);
    ASSERT_EQ(kErrorSuccess,
              registry.CreateKey(kHkeyCurrentUser, L"Software\\\\A\\B\\", 3, &key, &disposition));
    EXPECT_EQ(kRegCreatedNewKey, disposition);
    EXPECT_TRUE(registry.KeyExists(L"HKEY_CURRENT_USER\\software\\a"));
    EXPECT_TRUE(registry.KeyExists(L"HKCU\\Software\\A\\B"));
    EXPECT_FALSE(registry.KeyExists(L"HKLM\\Software\\A"));
    EXPECT_EQ(kErrorSuccess, registry.CloseKey(key));

    // A hive opened with an empty path is the hive itself: nothing to close.
    EXPECT_EQ(kErrorSuccess, registry.OpenKey(kHkeyLocalMachine, L"", kKeyQueryValue, &key));
    EXPECT_EQ(kHkeyLocalMachine, key);
    EXPECT_EQ(kErrorInvalidHandle, registry.OpenKey(0x80000003u, L"Software", kKeyQueryValue, &key));
    EXPECT_EQ(1, registry.OpenCount());
}

TEST(MemoryRegistryTest, NamesKeepTheCaseFirstGiven) {
    MemoryRegistry registry;
    registry.PutDword(L"HKCU\\Software\\Korvex", L"isBES", 1);
    registry.PutDword(L"HKCU\\SOFTWARE\\KORVEX", L"ISBES", 2);
    const MemoryRegistry::Contents contents = registry.Snapshot();
    ASSERT_EQ(1u, contents.count(L"HKCU\\Software\\Korvex"));
    const auto& values = contents.at(L"HKCU\\Software\\Korvex");
    ASSERT_EQ(1u, values.size());
    EXPECT_EQ(L"isBES", values.begin()->first);
    EXPECT_EQ(2u, registry.GetDword(L"hkcu\\software\\korvex", L"isbes"));
}

TEST(MemoryRegistryTest, BadHandlesAndParametersFailEveryOperation) {
    MemoryRegistry registry;
    RegKey key = 0;
    ASSERT_EQ(kErrorSuccess, registry.CreateKey(kHkeyCurrentUser, L"K", 3, &key, nullptr));
    ASSERT_EQ(kErrorSuccess, registry.CloseKey(key));
    std::uint8_t data[4] = {};
    std::uint32_t size = 4;
    for (RegKey bad : {RegKey{0}, RegKey{0x12345}, key}) {
        RegKey sub = 0x99;
        EXPECT_EQ(kErrorInvalidHandle, registry.OpenKey(bad, L"", kKeyQueryValue, &sub)) << bad;
        EXPECT_EQ(0u, sub);
        EXPECT_EQ(kErrorInvalidHandle, registry.CreateKey(bad, L"S", 3, &sub, nullptr)) << bad;
        EXPECT_EQ(kErrorInvalidHandle, registry.QueryValue(bad, L"V", data, &size)) << bad;
        EXPECT_EQ(kErrorInvalidHandle, registry.SetValue(bad, L"V", kRegDword, kOne, 4)) << bad;
        EXPECT_EQ(kErrorInvalidHandle, registry.DeleteValue(bad, L"V")) << bad;
        EXPECT_EQ(kErrorInvalidHandle, registry.CloseKey(bad)) << bad;
    }
    EXPECT_EQ(kErrorInvalidParameter, registry.QueryValue(kHkeyCurrentUser, L"V", data, nullptr));
    EXPECT_EQ(998, registry.SetValue(kHkeyCurrentUser, L"V", kRegDword, nullptr, 4));
    EXPECT_EQ(kErrorSuccess, registry.SetValue(kHkeyCurrentUser, L"Empty", kRegBinary, nullptr, 0));
    EXPECT_EQ((MemoryRegistry::StoredValue{kRegBinary, {}}), registry.Get(L"HKCU", L"Empty"));
}

TEST(MemoryRegistryTest, FaultsHitTheChosenCallsWithoutEffect) {
    MemoryRegistry registry;
    const wchar_t kPath[] = L"HKCU\\Software\\Korvex\\Logging";
    registry.InjectFault(Op::Set, 1450, L"HKEY_CURRENT_USER\\software\\korvex\\logging", L"", 2);
    registry.InjectFault(Op::Delete, kErrorAccessDenied, L"", L"verboseLogging");
    registry.InjectFault(Op::Open, kErrorFileNotFound, L"HKLM\\Software\\Korvex");
    RegKey key = 0;
    ASSERT_EQ(kErrorSuccess,
              registry.CreateKey(kHkeyCurrentUser, L"Software\\Korvex\\Logging", 3, &key, nullptr));
    EXPECT_EQ(kErrorSuccess, registry.SetValue(key, L"A", kRegDword, kOne, 4));
    EXPECT_EQ(1450, registry.SetValue(key, L"B", kRegDword, kOne, 4));
    EXPECT_EQ(kErrorSuccess, registry.SetValue(key, L"C", kRegDword, kOne, 4));
    EXPECT_FALSE(registry.ValueExists(kPath, L"B"));
    EXPECT_EQ(kErrorSuccess, registry.DeleteValue(key, L"A")) << "the delete fault names another value";
    registry.PutDword(kPath, L"verboseLogging", 1);
    EXPECT_EQ(kErrorAccessDenied, registry.DeleteValue(key, L"VERBOSELOGGING"));
    EXPECT_TRUE(registry.ValueExists(kPath, L"verboseLogging"));

    registry.PutKey(L"HKLM\\Software\\Korvex");
    RegKey other = 0;
    EXPECT_EQ(kErrorFileNotFound, registry.OpenKey(kHkeyLocalMachine, L"Software\\Korvex", 1, &other));
    EXPECT_EQ(0u, other);

    registry.InjectFault(Op::Close, kErrorInvalidHandle, kPath);
    EXPECT_EQ(kErrorInvalidHandle, registry.CloseKey(key));
    EXPECT_EQ(1, registry.OpenHandleCount()) << "a failed close leaves the handle open";
    registry.ClearFaults();
    EXPECT_EQ(kErrorSuccess, registry.CloseKey(key));
}

TEST(MemoryRegistryTest, DeniedRightsRefuseOpeningAndCreating) {
    MemoryRegistry registry;
    registry.PutKey(L"HKLM\\Software\\Korvex");
    registry.DenyRights(L"HKLM\\Software\\Korvex", kKeySetValue);
    RegKey key = 0;
    EXPECT_EQ(kErrorAccessDenied, registry.OpenKey(kHkeyLocalMachine, L"Software\\Korvex", 3, &key));
    EXPECT_EQ(kErrorAccessDenied,
              registry.CreateKey(kHkeyLocalMachine, L"Software\\Korvex", 3, &key, nullptr));
    ASSERT_EQ(kErrorSuccess, registry.OpenKey(kHkeyLocalMachine, L"Software\\Korvex", 1, &key));
    EXPECT_EQ(kErrorSuccess, registry.CloseKey(key));

    // A handle that may only write may not read.
    ASSERT_EQ(kErrorSuccess, registry.OpenKey(kHkeyLocalMachine, L"Software", kKeySetValue, &key));
    std::uint32_t size = 77;
    EXPECT_EQ(kErrorAccessDenied, registry.QueryValue(key, L"V", nullptr, &size));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(kErrorSuccess, registry.CloseKey(key));

    registry.DenyRights(L"HKCU\\Software\\Korvex\\Logging", kKeyQueryValue);
    EXPECT_EQ(kErrorAccessDenied,
              registry.CreateKey(kHkeyCurrentUser, L"Software\\Korvex\\Logging", 3, &key, nullptr));
    EXPECT_FALSE(registry.KeyExists(L"HKCU\\Software\\Korvex\\Logging"));
}

TEST(MemoryRegistryTest, CountsHandlesAndLogsEverySetCall) {
    MemoryRegistry registry;
    RegKey key = 0, reader = 0;
    ASSERT_EQ(kErrorSuccess, registry.CreateKey(kHkeyCurrentUser, L"Software\\Korvex", 3, &key, nullptr));
    ASSERT_EQ(kErrorSuccess, registry.OpenKey(kHkeyCurrentUser, L"software\\korvex", 1, &reader));
    registry.SetValue(key, L"First", kRegDword, kOne, 4);
    registry.SetValue(reader, L"Second", kRegDword, kOne, 4);
    registry.SetValue(0, L"Third", kRegBinary, kOne, 2);
    EXPECT_EQ(2, registry.OpenCount());
    EXPECT_EQ(2, registry.OpenHandleCount());
    registry.CloseKey(key);
    registry.CloseKey(reader);
    EXPECT_EQ(2, registry.CloseCount());
    EXPECT_EQ(0, registry.OpenHandleCount());

    const auto& log = registry.SetLog();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ(L"HKCU\\Software\\Korvex", log[0].keyPath);
    EXPECT_EQ(L"First", log[0].name);
    EXPECT_EQ(kErrorSuccess, log[0].status);
    EXPECT_EQ(kErrorAccessDenied, log[1].status);
    EXPECT_EQ(L"", log[2].keyPath);
    EXPECT_EQ(kRegBinary, log[2].type);
    EXPECT_EQ((std::vector<std::uint8_t>{1, 0}), log[2].bytes);
    EXPECT_EQ(kErrorInvalidHandle, log[2].status);
}

// The owning handle closes what it holds exactly once, through its registry,
// whether it is moved, reused for another open or goes out of scope.
TEST(RegKeyHandleTest, ClosesEachKeyOnceThroughItsRegistry) {
    MemoryRegistry registry;
    std::uint32_t disposition = 0;
    {
        RegKeyHandle first(registry);
        ASSERT_EQ(kErrorSuccess,
                  registry.CreateKey(kHkeyCurrentUser, L"Software\\A", 3, first.Receive(), &disposition));
        RegKeyHandle moved(std::move(first));
        EXPECT_EQ(0u, first.Get());
        EXPECT_EQ(1, registry.OpenHandleCount());
        ASSERT_EQ(kErrorSuccess, registry.OpenKey(kHkeyCurrentUser, L"Software\\A", 1, moved.Receive()));
        EXPECT_EQ(1, registry.OpenHandleCount()) << "Receive closes what it held";
        RegKeyHandle other(registry);
        other = std::move(moved);
        EXPECT_EQ(1, registry.OpenHandleCount());
    }
    EXPECT_EQ(0, registry.OpenHandleCount());
    EXPECT_EQ(registry.OpenCount(), registry.CloseCount());
}

TEST(KvxSharedTest, TheStandInReadsTheRegistryItIsHanded) {
    MemoryRegistry outer, inner;
    outer.PutDword(L"HKLM\\Software\\Korvex", L"isBES", 1);
    EXPECT_EQ(0, Korvex::Util::IsBESKMX()) << "no registry: the Outlook variant";
    {
        Korvex::Util::ScopedRegistry useOuter(outer);
        {
            Korvex::Util::ScopedRegistry useInner(inner);
            EXPECT_EQ(0, Korvex::Util::IsBESKMX());
        }
        EXPECT_NE(0, Korvex::Util::IsBESKMX());
    }
    EXPECT_EQ(0, Korvex::Util::IsBESKMX());
}

}  // namespace
}  // namespace kmx
