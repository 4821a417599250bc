// Loading the settings from an in-memory registry: what is read, what is
// written back, and what is left alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/Loader.h"
#include "settings/RegistryOps.h"
#include "settings/SettingOrders.h"
#include "support/MemoryRegistry.h"

namespace kmx {
namespace {

const wchar_t kLogging[] = L"HKCU\\Software\\Korvex\\Logging";
const wchar_t kKorvex[] = L"HKLM\\Software\\Korvex";

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ApplyFactoryDefaults(m_model, L"C:\\Temp\\", 0);
        RecordFactoryValues(m_model);
    }

    LoadResult Load() {
        LoadResult result = LoadSettings(m_registry, m_model);
        // Everything but the logging key, which the result holds, is closed.
        EXPECT_EQ(result.loaded.key ? 1 : 0, m_registry.OpenHandleCount());
        result.loaded.key.Close();
        EXPECT_EQ(m_registry.OpenCount(), m_registry.CloseCount());
        return result;
    }

    // Every setting stored as 4-byte REG_BINARY, each switch the opposite of
    // its default, and a FileName that fits.
    void StoreCompleteKey() {
        for (const SettingInfo& info : kCatalogue) {
            std::uint32_t v = info.factoryDefault == 0 ? 1 : 0;
            if (info.kind == SettingKind::Limit) v = static_cast<std::uint32_t>(info.factoryDefault) + 5;
            if (info.kind != SettingKind::FileName) {
                m_registry.Put(kLogging, info.name, kRegBinary, {static_cast<std::uint8_t>(v), 0, 0, 0});
            }
        }
        m_registry.PutString(kLogging, L"FileName", L"D:\\Logs\\kmx");
    }

    std::vector<std::wstring> WrittenNames() const {
        std::vector<std::wstring> names;
        for (const auto& call : m_registry.SetLog()) names.push_back(call.name);
        return names;
    }

    MemoryRegistry m_registry;
    SettingsModel m_model;
};

TEST_F(LoaderTest, FirstStartWritesEveryDefault) {
    const LoadResult result = Load();
    EXPECT_TRUE(result.complete);
    EXPECT_FALSE(result.loaded.oldSwitchRefused);
    EXPECT_EQ(AppDumpBox::Hidden, result.appDumpBox);

    std::vector<std::wstring> expected = {L"EnableAppDump"};
    for (std::size_t i = 0; i + 1 < kLoadOrder.size(); ++i) expected.push_back(Info(kLoadOrder[i]).name);
    EXPECT_EQ(expected, WrittenNames()) << "EnableAppDump is written by the ShowAppDump step only";

    for (const SettingInfo& info : kCatalogue) {
        if (info.kind == SettingKind::FileName) continue;
        EXPECT_EQ(static_cast<std::uint32_t>(info.factoryDefault), m_registry.GetDword(kLogging, info.name))
            << info.name;
    }
    EXPECT_EQ(L"C:\\Temp\\kmx", m_registry.GetString(kLogging, L"FileName"));
    EXPECT_EQ(L"C:\\Temp", m_model.logDirectory);
    EXPECT_EQ(L"kmx", m_model.logFilePrefix);
    EXPECT_EQ(L"C:\\Temp\\kmx", m_model.recordedFileName);
    EXPECT_EQ(L"10", m_model.recordedText[kMaxFileSizeMB]);
}

TEST_F(LoaderTest, BesVariantWritesThreadLanesOff) {
    ApplyFactoryDefaults(m_model, L"C:\\Temp\\", 1);
    Load();
    EXPECT_EQ(0u, m_registry.GetDword(kLogging, L"ThreadLanes"));
}

TEST_F(LoaderTest, CompleteKeyIsReadWithoutWritingWhateverTheType) {
    StoreCompleteKey();
    m_registry.PutDword(kLogging, L"ShowAppDump", 1);
    const MemoryRegistry::Contents before = m_registry.Snapshot();
    const LoadResult result = Load();
    EXPECT_EQ(AppDumpBox::Shown, result.appDumpBox);
    EXPECT_TRUE(m_registry.SetLog().empty());
    EXPECT_EQ(before, m_registry.Snapshot());
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const SettingInfo& info = kCatalogue[i];
        if (info.kind == SettingKind::Switch)
            EXPECT_EQ(info.factoryDefault == 0 ? 1 : 0, m_model.value[i]) << info.name;
        if (info.kind == SettingKind::Limit)
            EXPECT_EQ(std::to_wstring(info.factoryDefault + 5), m_model.text[i]) << info.name;
    }
    EXPECT_EQ(m_model.value, m_model.recordedValue);
    EXPECT_EQ(m_model.text, m_model.recordedText);
    EXPECT_EQ(L"D:\\Logs", m_model.logDirectory);
}

TEST_F(LoaderTest, ShowAppDumpDecidesTheBoxAndTheEnableAppDumpReset) {
    struct Case {
        std::optional<std::uint32_t> showAppDump;
        AppDumpBox box;
        std::int32_t enableAppDump;
        bool written;
    };
    const Case cases[] = {{1u, AppDumpBox::Shown, 1, false},
                          {std::nullopt, AppDumpBox::Hidden, 0, true},
                          {0u, AppDumpBox::Hidden, 0, true},
                          {0xFFFFFFFFu, AppDumpBox::Hidden, 1, false}};
    for (const Case& c : cases) {
        MemoryRegistry registry;
        SettingsModel model;
        ApplyFactoryDefaults(model, L"C:\\Temp\\", 0);
        registry.PutDword(kLogging, L"EnableAppDump", 1);
        if (c.showAppDump) registry.PutDword(kLogging, L"ShowAppDump", *c.showAppDump);
        const LoadResult result = LoadSettings(registry, model);
        const std::uint32_t shown = c.showAppDump.value_or(0xDEAD);
        EXPECT_EQ(c.box, result.appDumpBox) << shown;
        EXPECT_EQ(c.enableAppDump, model.value[kEnableAppDump]) << shown;
        EXPECT_EQ(static_cast<std::uint32_t>(c.enableAppDump), registry.GetDword(kLogging, L"EnableAppDump"))
            << shown;
        EXPECT_EQ(c.written, registry.SetLog().front().name == L"EnableAppDump") << shown;
        EXPECT_EQ(c.showAppDump, registry.GetDword(kLogging, L"ShowAppDump")) << "never written";
    }
}

TEST_F(LoaderTest, FileNameSplitsAtTheLastBackslashAndTooLongIsReplaced) {
    struct Case {
        std::wstring stored;
        std::wstring directory;
        std::wstring prefix;
        std::wstring recorded;
    };
    const std::wstring fits = L"C:\\" + std::wstring(256, L'd');  // 259 characters
    const std::wstring tooLong = fits + L"x";
    const Case cases[] = {{L"C:\\Logs\\kmx", L"C:\\Logs", L"kmx", L"C:\\Logs\\kmx"},
                          {L"C:\\Logs\\", L"C:\\Logs", L"", L"C:\\Logs\\"},
                          {L"kmx", L"C:\\Temp\\", L"kmx", L"kmx"},
                          {fits, L"C:", fits.substr(3), fits},
                          {tooLong, L"C:\\Temp", L"kmx", L"C:\\Temp\\kmx"}};
    for (const Case& c : cases) {
        MemoryRegistry registry;
        SettingsModel model;
        ApplyFactoryDefaults(model, L"C:\\Temp\\", 0);
        registry.PutString(kLogging, L"FileName", c.stored);
        LoadSettings(registry, model);
        EXPECT_EQ(c.directory, model.logDirectory) << c.stored.size();
        EXPECT_EQ(c.prefix, model.logFilePrefix) << c.stored.size();
        EXPECT_EQ(c.recorded, model.recordedFileName) << c.stored.size();
        EXPECT_EQ(c.recorded, registry.GetString(kLogging, L"FileName")) << c.stored.size();
    }
}

TEST_F(LoaderTest, OnlyTheSingleFileSizeIsCorrectedAndOnlyInTheModel) {
    m_registry.PutDword(kLogging, L"MaxFileSizeMB", static_cast<std::uint32_t>(-3));
    m_registry.PutDword(kLogging, L"MaxDirSizeMB", 0);
    m_registry.PutDword(kLogging, L"MaxAgeDays", 1234);
    m_registry.PutDword(kLogging, L"MaxCallDepth", static_cast<std::uint32_t>(-5));
    Load();
    EXPECT_EQ(L"10", m_model.text[kMaxFileSizeMB]);
    EXPECT_EQ(L"10", m_model.recordedText[kMaxFileSizeMB]);
    EXPECT_EQ(static_cast<std::uint32_t>(-3), m_registry.GetDword(kLogging, L"MaxFileSizeMB"));
    EXPECT_EQ(L"0", m_model.text[kMaxDirSizeMB]);
    EXPECT_EQ(L"1234", m_model.text[kMaxAgeDays]);
    EXPECT_EQ(L"-5", m_model.text[kMaxCallDepth]);

    m_registry.PutDword(kLogging, L"MaxFileSizeMB", 0);
    ApplyFactoryDefaults(m_model, L"C:\\Temp\\", 0);
    m_model.SetLimit(kMaxFileSizeMB, 55);
    Load();
    EXPECT_EQ(L"10", m_model.text[kMaxFileSizeMB]);
}

TEST_F(LoaderTest, UnreadableValuesGetTheirDefaultAndUnknownOnesAreLeftAlone) {
    StoreCompleteKey();
    m_registry.Put(kLogging, L"Enabled", kRegQword, {1, 0, 0, 0, 0, 0, 0, 0});
    m_registry.PutString(kLogging, L"KeepLogging", L"no");                // 6 bytes
    m_registry.Put(kLogging, L"MaxCallDepth", kRegBinary, {0x2C, 0x01});  // 2 bytes: read as 300
    m_registry.PutString(kLogging, L"Unrelated", L"keep me");
    m_registry.PutDword(kLogging, L"ShowAppDump", 1);
    Load();
    EXPECT_EQ((MemoryRegistry::StoredValue{kRegDword, {0, 0, 0, 0}}), m_registry.Get(kLogging, L"Enabled"));
    EXPECT_EQ(1u, m_registry.GetDword(kLogging, L"KeepLogging"));
    EXPECT_EQ(L"300", m_model.text[kMaxCallDepth]);
    EXPECT_EQ(L"keep me", m_registry.GetString(kLogging, L"Unrelated"));
    EXPECT_EQ((std::vector<std::wstring>{L"Enabled", L"KeepLogging"}), WrittenNames());
}

TEST_F(LoaderTest, OldSwitchIsDeletedWhenReadableAndRefusalIsRemembered) {
    struct Case {
        const char* what;
        std::function<void(MemoryRegistry&)> arrange;
        bool refused;
        bool remains;
    };
    const Case cases[] = {
        {"deletable", [](MemoryRegistry&) {}, false, false},
        {"denied by the key", [](MemoryRegistry& r) { r.DenyRights(kKorvex, kKeySetValue); }, true, true},
        {"delete refused",
         [](MemoryRegistry& r) { r.InjectFault(MemoryRegistry::Op::Delete, kErrorAccessDenied); }, true,
         true},
        {"delete fails otherwise", [](MemoryRegistry& r) { r.InjectFault(MemoryRegistry::Op::Delete, 1450); },
         false, true},
        {"longer than 4 bytes", [](MemoryRegistry& r) { r.PutString(kKorvex, L"verboseLogging", L"on"); },
         false, true},
        {"unreadable key", [](MemoryRegistry& r) { r.DenyRights(kKorvex, kKeyQueryValue); }, false, true}};
    for (const Case& c : cases) {
        MemoryRegistry registry;
        SettingsModel model;
        ApplyFactoryDefaults(model, L"C:\\Temp\\", 0);
        registry.PutDword(kKorvex, L"verboseLogging", 1);
        c.arrange(registry);
        const LoadResult result = LoadSettings(registry, model);
        EXPECT_EQ(c.refused, result.loaded.oldSwitchRefused) << c.what;
        EXPECT_EQ(c.remains, registry.ValueExists(kKorvex, L"verboseLogging")) << c.what;
        EXPECT_TRUE(result.complete) << c.what;
        EXPECT_EQ(1, registry.OpenHandleCount()) << c.what << ": only the logging key stays open";
    }
}

TEST_F(LoaderTest, LoggingKeyThatCannotBeCreatedLeavesTheFactoryModel) {
    m_registry.PutDword(kKorvex, L"verboseLogging", 1);
    m_registry.DenyRights(kKorvex, kKeySetValue);
    m_registry.InjectFault(MemoryRegistry::Op::Create, kErrorAccessDenied, kLogging);
    const SettingsModel factory = m_model;
    const LoadResult result = Load();
    EXPECT_FALSE(result.complete);
    EXPECT_FALSE(result.loaded.key);
    EXPECT_EQ(AppDumpBox::NotRead, result.appDumpBox);
    EXPECT_TRUE(result.loaded.oldSwitchRefused) << "the old switch step runs first";
    EXPECT_TRUE(m_registry.SetLog().empty());
    EXPECT_EQ(factory.value, m_model.value);
    EXPECT_EQ(factory.recordedFileName, m_model.recordedFileName);
    EXPECT_EQ(factory.logDirectory, m_model.logDirectory);
}

}  // namespace
}  // namespace kmx
