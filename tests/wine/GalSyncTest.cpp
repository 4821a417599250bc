// The GAL trigger commands and the two installation-variant tests, on the
// real registry (in a private key) and, where refusals are needed, on the
// in-memory one.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "PrivateRegistry.h"
#include "kvxshared/KvxShared.h"
#include "settings/GalSync.h"
#include "settings/IsBESFromRegistry.h"
#include "support/MemoryRegistry.h"

namespace kmx {

namespace {

using Texts = std::vector<std::wstring>;

const wchar_t kKorvex[] = L"Software\\Korvex";
const wchar_t kSuccess[] = L"GAL sync was initiated. It will start within next 10 seconds..";

// Whether a trigger value under HKCU\Software\Korvex is the DWORD 1.
bool IsDwordOne(PrivateRegistry& registry, const std::wstring& name) {
    const auto value = registry.Get(kHkeyCurrentUser, kKorvex, name);
    return value && value->type == REG_DWORD && value->bytes == std::vector<BYTE>{1, 0, 0, 0};
}

Texts Trigger(IRegistry& registry, const std::wstring& prefix) {
    Texts shown;
    TriggerGalSync(registry, prefix, [&](const std::wstring& text) { shown.push_back(text); });
    return shown;
}

// ---- The real registry ----

class GalSyncTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_reg.Ready()); }

    PrivateRegistry m_reg;
};

TEST_F(GalSyncTest, OutlookVariantCreatesTheKeyAndWritesOneValue) {
    ASSERT_FALSE(m_reg.KeyExists(kHkeyCurrentUser, kKorvex));

    EXPECT_EQ(Texts{kSuccess}, Trigger(m_reg.Registry(), kForceGalSyncPrefix));

    EXPECT_EQ(std::vector<std::wstring>{L"ForceGalSync_Outlook.exe"},
              m_reg.ValueNames(kHkeyCurrentUser, kKorvex));
    EXPECT_TRUE(IsDwordOne(m_reg, L"ForceGalSync_Outlook.exe"));
    EXPECT_FALSE(m_reg.KeyExists(kHkeyLocalMachine, kKorvex)) << "the flag is only read";
}

TEST_F(GalSyncTest, BlackBerryServerVariantWritesBothHostsAndNoOutlookValue) {
    ASSERT_TRUE(m_reg.PutDword(kHkeyLocalMachine, kKorvex, L"isBES", 1));

    EXPECT_EQ(Texts{kSuccess}, Trigger(m_reg.Registry(), kForceGalSyncDeltaPrefix));

    EXPECT_EQ(2u, m_reg.ValueNames(kHkeyCurrentUser, kKorvex).size());
    EXPECT_TRUE(IsDwordOne(m_reg, L"ForceGalSyncDelta_BlackBerryMailStoreSrvr.exe"));
    EXPECT_TRUE(IsDwordOne(m_reg, L"ForceGalSyncDelta_BlackBerryAgent.exe"));
    EXPECT_FALSE(m_reg.Get(kHkeyCurrentUser, kKorvex, L"ForceGalSyncDelta_Outlook.exe"));
}

TEST_F(GalSyncTest, ExistingTriggerOfAnyTypeBecomesDwordOne) {
    ASSERT_TRUE(m_reg.Put(kHkeyCurrentUser, kKorvex, L"ForceGalSync_Outlook.exe", REG_SZ, {'1', 0, 0, 0}));
    ASSERT_TRUE(m_reg.PutDword(kHkeyCurrentUser, kKorvex, L"ForceGalSyncDelta_Outlook.exe", 0));
    ASSERT_TRUE(m_reg.PutDword(kHkeyCurrentUser, kKorvex, L"Unrelated", 7));

    EXPECT_EQ(Texts{kSuccess}, Trigger(m_reg.Registry(), kForceGalSyncPrefix));
    EXPECT_EQ(Texts{kSuccess}, Trigger(m_reg.Registry(), kForceGalSyncDeltaPrefix));

    EXPECT_TRUE(IsDwordOne(m_reg, L"ForceGalSync_Outlook.exe"));
    EXPECT_TRUE(IsDwordOne(m_reg, L"ForceGalSyncDelta_Outlook.exe"));
    EXPECT_EQ(3u, m_reg.ValueNames(kHkeyCurrentUser, kKorvex).size());
}

// How isBES may be stored, and which variant each encoding means. Both
// variant tests and the trigger command must read them alike.
struct FlagCase {
    const char* name;
    RegKey hive;  // 0: no isBES anywhere
    DWORD type;
    std::vector<BYTE> bytes;
    bool blackBerryServer;
};

const FlagCase kFlagCases[] = {{"Missing", 0, REG_NONE, {}, false},
                               {"DwordZero", kHkeyLocalMachine, REG_DWORD, {0, 0, 0, 0}, false},
                               {"DwordOne", kHkeyLocalMachine, REG_DWORD, {1, 0, 0, 0}, true},
                               {"HighByteOnly", kHkeyLocalMachine, REG_DWORD, {0, 0, 0, 0x80}, true},
                               {"EightBytes", kHkeyLocalMachine, REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, false},
                               // "0" with its terminator: 4 bytes, the first not zero.
                               {"StringDigitZero", kHkeyLocalMachine, REG_SZ, {'0', 0, 0, 0}, true},
                               {"TwoBytes", kHkeyLocalMachine, REG_BINARY, {0, 1}, true},
                               {"Empty", kHkeyLocalMachine, REG_BINARY, {}, false},
                               {"OnlyUnderCurrentUser", kHkeyCurrentUser, REG_DWORD, {1, 0, 0, 0}, false}};

void PrintTo(const FlagCase& flag, std::ostream* out) { *out << flag.name; }

class VariantFlagTest : public ::testing::TestWithParam<FlagCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_reg.Ready());
        const FlagCase& flag = GetParam();
        if (flag.hive != 0) {
            ASSERT_TRUE(m_reg.Put(flag.hive, kKorvex, L"isBES", flag.type, flag.bytes));
        }
    }

    PrivateRegistry m_reg;
};

TEST_P(VariantFlagTest, AllReadersAgreeOnTheVariant) {
    const bool expected = GetParam().blackBerryServer;
    Korvex::Util::ScopedRegistry installed(m_reg.Registry());

    EXPECT_EQ(expected, IsBESFromRegistry(m_reg.Registry()));
    EXPECT_EQ(expected, Korvex::Util::IsBESKMX() != 0);

    EXPECT_EQ(Texts{kSuccess}, Trigger(m_reg.Registry(), kForceGalSyncPrefix));
    EXPECT_EQ(expected, IsDwordOne(m_reg, L"ForceGalSync_BlackBerryMailStoreSrvr.exe"));
    EXPECT_EQ(expected, IsDwordOne(m_reg, L"ForceGalSync_BlackBerryAgent.exe"));
    EXPECT_EQ(!expected, IsDwordOne(m_reg, L"ForceGalSync_Outlook.exe"));
}

std::string FlagCaseName(const ::testing::TestParamInfo<FlagCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Encodings, VariantFlagTest, ::testing::ValuesIn(kFlagCases), FlagCaseName);

TEST(VariantFlagReadersTest, MissingKeyMeansOutlookAndNoKeyIsLeftOpen) {
    MemoryRegistry registry;
    Korvex::Util::ScopedRegistry installed(registry);
    EXPECT_FALSE(IsBESFromRegistry(registry));
    EXPECT_EQ(0, Korvex::Util::IsBESKMX());

    ASSERT_TRUE(registry.PutDword(L"HKLM\\Software\\Korvex", L"isBES", 1));
    EXPECT_TRUE(IsBESFromRegistry(registry));
    EXPECT_NE(0, Korvex::Util::IsBESKMX());
    EXPECT_EQ(2, registry.OpenCount());
    EXPECT_EQ(0, registry.OpenHandleCount());
    EXPECT_TRUE(registry.SetLog().empty());
}

// ---- Refusals, on the in-memory registry ----

class GalSyncRefusalTest : public ::testing::Test {
protected:
    static constexpr wchar_t kTriggerKey[] = L"HKCU\\Software\\Korvex";

    void MakeBlackBerryServer() { ASSERT_TRUE(m_registry.PutDword(L"HKLM\\Software\\Korvex", L"isBES", 1)); }

    std::vector<std::wstring> AttemptedNames() const {
        std::vector<std::wstring> names;
        for (const auto& call : m_registry.SetLog()) names.push_back(call.name);
        return names;
    }

    void ExpectEveryKeyClosed() const {
        EXPECT_EQ(0, m_registry.OpenHandleCount());
        EXPECT_EQ(m_registry.OpenCount(), m_registry.CloseCount());
    }

    MemoryRegistry m_registry;
};

TEST_F(GalSyncRefusalTest, RefusedKeyShowsOneBoxAndWritesNothing) {
    MakeBlackBerryServer();
    m_registry.InjectFault(MemoryRegistry::Op::Create, kErrorAccessDenied, kTriggerKey);

    EXPECT_EQ(Texts{L"Failed to create registry key Software\\Korvex"},
              Trigger(m_registry, kForceGalSyncPrefix));

    EXPECT_TRUE(m_registry.SetLog().empty());
    EXPECT_FALSE(m_registry.KeyExists(kTriggerKey));
    ExpectEveryKeyClosed();
}

TEST_F(GalSyncRefusalTest, RefusedFirstWriteStopsBeforeTheSecond) {
    MakeBlackBerryServer();
    m_registry.InjectFault(MemoryRegistry::Op::Set, kErrorAccessDenied, kTriggerKey,
                           L"ForceGalSync_BlackBerryMailStoreSrvr.exe");

    EXPECT_EQ(Texts{L"Failed to set registry value ForceGalSync_BlackBerryMailStoreSrvr.exe"},
              Trigger(m_registry, kForceGalSyncPrefix));

    EXPECT_EQ(std::vector<std::wstring>{L"ForceGalSync_BlackBerryMailStoreSrvr.exe"}, AttemptedNames());
    EXPECT_FALSE(m_registry.ValueExists(kTriggerKey, L"ForceGalSync_BlackBerryAgent.exe"));
    ExpectEveryKeyClosed();
}

TEST_F(GalSyncRefusalTest, RefusedSecondWriteKeepsTheFirstValue) {
    MakeBlackBerryServer();
    m_registry.InjectFault(MemoryRegistry::Op::Set, kErrorAccessDenied, kTriggerKey,
                           L"ForceGalSyncDelta_BlackBerryAgent.exe");

    EXPECT_EQ(Texts{L"Failed to set registry value ForceGalSyncDelta_BlackBerryAgent.exe"},
              Trigger(m_registry, kForceGalSyncDeltaPrefix));

    EXPECT_EQ(1u, m_registry.GetDword(kTriggerKey, L"ForceGalSyncDelta_BlackBerryMailStoreSrvr.exe"));
    EXPECT_FALSE(m_registry.ValueExists(kTriggerKey, L"ForceGalSyncDelta_BlackBerryAgent.exe"));
    ExpectEveryKeyClosed();
}

TEST_F(GalSyncRefusalTest, RefusedOutlookWriteNamesItsValue) {
    m_registry.InjectFault(MemoryRegistry::Op::Set, kErrorAccessDenied);

    EXPECT_EQ(Texts{L"Failed to set registry value ForceGalSyncDelta_Outlook.exe"},
              Trigger(m_registry, kForceGalSyncDeltaPrefix));
    ExpectEveryKeyClosed();
}

TEST_F(GalSyncRefusalTest, WritesDwordOnePerHostInOrderAndClosesBeforeReporting) {
    MakeBlackBerryServer();
    int openWhenShown = -1;
    TriggerGalSync(m_registry, kForceGalSyncPrefix,
                   [&](const std::wstring&) { openWhenShown = m_registry.OpenHandleCount(); });

    EXPECT_EQ(0, openWhenShown);
    ASSERT_EQ(2u, m_registry.SetLog().size());
    EXPECT_EQ((std::vector<std::wstring>{L"ForceGalSync_BlackBerryMailStoreSrvr.exe",
                                         L"ForceGalSync_BlackBerryAgent.exe"}),
              AttemptedNames());
    for (const auto& call : m_registry.SetLog()) {
        EXPECT_EQ(kRegDword, call.type);
        EXPECT_EQ((std::vector<std::uint8_t>{1, 0, 0, 0}), call.bytes);
    }
    ExpectEveryKeyClosed();
}

}  // namespace

}  // namespace kmx
