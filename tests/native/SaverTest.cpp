// Save over an in-memory registry: the checks and their verdict, the change
// test, the writes in their order, and when the user is told of the old switch.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "settings/Loader.h"
#include "settings/RegistryOps.h"
#include "settings/Saver.h"
#include "settings/SettingOrders.h"
#include "support/MemoryRegistry.h"

namespace kmx {
namespace {

const wchar_t kLogging[] = L"HKCU\\Software\\Korvex\\Logging";

// Records what Save asks of the front end, with the number of registry writes
// made so far at each event.
class FakeHooks : public SaveHooks {
public:
    explicit FakeHooks(const MemoryRegistry& registry) : m_registry(registry) {}
    bool DirectoryExists(const std::wstring& directory) override {
        checked.push_back(directory);
        return directories.count(directory) != 0;
    }
    void OldSwitchRefused() override {
        events.push_back(L"old switch");
        writesAtMessage.push_back(m_registry.SetLog().size());
    }
    std::set<std::wstring> directories = {L"C:\\Temp", L"D:\\Logs", L"C:"};
    std::vector<std::wstring> checked;
    std::vector<std::wstring> events;
    std::vector<std::size_t> writesAtMessage;

private:
    const MemoryRegistry& m_registry;
};

class SaverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ApplyFactoryDefaults(m_model, L"C:\\Temp\\", 0);
        RecordFactoryValues(m_model);
        LoadResult result = LoadSettings(m_registry, m_model);
        ASSERT_TRUE(result.complete);
        m_loaded = std::move(result.loaded);
        m_registry.ClearSetLog();
    }
    void TearDown() override {
        m_loaded.key.Close();
        EXPECT_EQ(0, m_registry.OpenHandleCount());
    }

    SaveOutcome Save(bool oldSwitchRefused = false) {
        m_loaded.oldSwitchRefused = oldSwitchRefused;
        return SaveSettings(m_model, m_loaded, m_hooks);
    }
    std::size_t Writes() const { return m_registry.SetLog().size(); }

    MemoryRegistry m_registry;
    SettingsModel m_model;
    LoadedKey m_loaded{m_registry};
    FakeHooks m_hooks{m_registry};
};

TEST_F(SaverTest, NothingChangedWritesNothingAndShowsNothing) {
    // What loading put into the controls comes back trimmed and split the same way.
    EXPECT_EQ(SaveResult::Unchanged, Save(true).result);
    EXPECT_EQ(0u, Writes());
    EXPECT_TRUE(m_hooks.events.empty());
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\Temp"}, m_hooks.checked);
}

TEST_F(SaverTest, OnlyThePrefixChangedWritesAllValuesInOrder) {
    m_model.logFilePrefix = L"new";
    EXPECT_EQ(SaveResult::Written, Save().result);
    const auto& log = m_registry.SetLog();
    ASSERT_EQ(57u, log.size());
    for (std::size_t n = 0; n < log.size(); ++n) {
        const SettingInfo& info = Info(kSaveOrder[n]);
        EXPECT_EQ(info.name, log[n].name) << n;
        EXPECT_EQ(info.kind == SettingKind::FileName ? kRegSz : kRegDword, log[n].type) << n;
        EXPECT_EQ(kErrorSuccess, log[n].status) << n;
    }
    EXPECT_EQ(L"C:\\Temp\\new", m_registry.GetString(kLogging, L"FileName"));
    EXPECT_EQ(100u, m_registry.GetDword(kLogging, L"MaxCallDepth"));
    EXPECT_TRUE(m_hooks.events.empty());
}

TEST_F(SaverTest, DirectoryIsTrimmedBeforeItIsCheckedAndComposed) {
    m_model.logDirectory = L"D:\\Logs\\\\\\";
    EXPECT_EQ(SaveResult::Written, Save().result);
    EXPECT_EQ(L"D:\\Logs", m_model.logDirectory);
    EXPECT_EQ(std::vector<std::wstring>{L"D:\\Logs"}, m_hooks.checked);
    EXPECT_EQ(L"D:\\Logs\\kmx", m_registry.GetString(kLogging, L"FileName"));

    m_model.logDirectory = L"C:\\";
    EXPECT_EQ(SaveResult::Written, Save().result);
    EXPECT_EQ(L"C:\\kmx", m_registry.GetString(kLogging, L"FileName"));
}

TEST_F(SaverTest, RefusedSavesNameTheCheckAndItsSettingAndLeaveTheStoreAsItWas) {
    constexpr SaveCheck kDirectory = SaveCheck::DirectoryMissing;
    constexpr SaveCheck kSizeRule = SaveCheck::SizeRule;
    struct Case {
        const wchar_t* directory;
        const wchar_t* fileSize;
        const wchar_t* dirSize;
        SaveCheck failed;
        SettingId setting;
    };
    const Case cases[] = {{L"", L"10", L"100", kDirectory, kFileName},
                          {L"\\\\", L"10", L"100", kDirectory, kFileName},
                          {L"E:\\Missing", L"10", L"100", kDirectory, kFileName},
                          {L"E:\\Missing", L"11", L"100", kDirectory, kFileName},
                          {L"C:\\Temp", L"11", L"100", kSizeRule, kMaxDirSizeMB},
                          {L"C:\\Temp", L"999", L"9989", kSizeRule, kMaxDirSizeMB},
                          {L"C:\\Temp", L"0", L"99", kSizeRule, kMaxDirSizeMB},
                          {L"C:\\Temp", L"-1", L"-1", kSizeRule, kMaxDirSizeMB}};
    m_model.value[kEnabled] = 0;
    const MemoryRegistry::Contents before = m_registry.Snapshot();
    for (const Case& c : cases) {
        m_model.logDirectory = c.directory;
        m_model.text[kMaxFileSizeMB] = c.fileSize;
        m_model.text[kMaxDirSizeMB] = c.dirSize;
        const SaveOutcome outcome = Save(true);
        EXPECT_EQ(SaveResult::Refused, outcome.result)
            << c.directory << ' ' << c.fileSize << ' ' << c.dirSize;
        EXPECT_EQ(c.failed, outcome.refusal.failed) << c.directory << ' ' << c.fileSize << ' ' << c.dirSize;
        EXPECT_EQ(c.setting, outcome.refusal.setting) << c.directory << ' ' << c.fileSize << ' ' << c.dirSize;
    }
    EXPECT_TRUE(m_hooks.events.empty());
    EXPECT_EQ(0u, Writes());
    EXPECT_EQ(before, m_registry.Snapshot());
    EXPECT_EQ(kDirectoryMissingText, std::wstring(RefusalText(kDirectory)));
    EXPECT_EQ(kSizeRuleText, std::wstring(RefusalText(kSizeRule)));
}

TEST_F(SaverTest, SizeRuleAcceptsTenTimesAndWritesTheSubstitutedSizes) {
    struct Case {
        const wchar_t* fileSize;
        const wchar_t* dirSize;
        std::uint32_t fileWritten;
        std::uint32_t dirWritten;
    };
    const Case cases[] = {{L"10", L"100", 10, 100}, {L"999", L"9990", 999, 9990}, {L"", L"", 10, 100},
                          {L"0", L"0", 10, 100},    {L"", L"100", 10, 100},       {L"1", L"10", 1, 10}};
    for (const Case& c : cases) {
        m_model.text[kMaxFileSizeMB] = c.fileSize;
        m_model.text[kMaxDirSizeMB] = c.dirSize;
        m_model.value[kEnabled] = 1;  // a change, so that every case writes
        EXPECT_EQ(SaveResult::Written, Save().result) << c.fileSize << '/' << c.dirSize;
        EXPECT_EQ(c.fileWritten, m_registry.GetDword(kLogging, L"MaxFileSizeMB")) << c.fileSize;
        EXPECT_EQ(c.dirWritten, m_registry.GetDword(kLogging, L"MaxDirSizeMB")) << c.dirSize;
    }
    EXPECT_TRUE(m_hooks.events.empty());
}

TEST_F(SaverTest, LimitsCompareAsTextAndAgeAndDepthAreWrittenAsConverted) {
    m_model.text[kMaxAgeDays] = L"";
    m_model.text[kMaxCallDepth] = L"010";
    EXPECT_EQ(SaveResult::Written, Save().result);
    EXPECT_EQ(0u, m_registry.GetDword(kLogging, L"MaxAgeDays"));
    EXPECT_EQ(10u, m_registry.GetDword(kLogging, L"MaxCallDepth"));
}

TEST_F(SaverTest, FailedWritesAreAllAttemptedAndTheFirstIsReported) {
    for (int nth : {1, 30, 57}) {
        m_registry.ClearFaults();
        m_registry.ClearSetLog();
        m_registry.InjectFault(MemoryRegistry::Op::Set, 1450, kLogging, L"", nth);
        m_registry.InjectFault(MemoryRegistry::Op::Set, kErrorAccessDenied, kLogging, L"", 57);
        m_model.value[kEnabled] = 1;
        const SaveOutcome outcome = Save();
        EXPECT_EQ(SaveResult::WriteFailed, outcome.result) << nth;
        EXPECT_EQ(Info(kSaveOrder[nth - 1]).name, outcome.failedValue) << nth;
        EXPECT_EQ(1450, outcome.failedStatus) << nth;
        EXPECT_EQ(57u, Writes()) << nth;
    }
    EXPECT_EQ(L"Failed to set registry value MaxCallDepth", WriteFailedText(L"MaxCallDepth"));
}

TEST_F(SaverTest, OldSwitchEventComesOnceBetweenTheLastTwoWrites) {
    m_model.value[kEnabled] = 1;
    EXPECT_EQ(SaveResult::Written, Save(true).result);
    EXPECT_EQ(std::vector<std::wstring>{L"old switch"}, m_hooks.events);
    ASSERT_EQ(std::vector<std::size_t>{56}, m_hooks.writesAtMessage);
    EXPECT_EQ(L"EnableAppDump", m_registry.SetLog()[55].name);
    EXPECT_EQ(L"MaxCallDepth", m_registry.SetLog()[56].name);
}

// Without a logging key the recorded values are the factory values: an
// untouched dialog closes quietly, a changed one reports the first write.
TEST(SaverWithoutKeyTest, ComparesWithTheFactoryValuesAndReportsTheFailedWrites) {
    MemoryRegistry registry;
    registry.InjectFault(MemoryRegistry::Op::Create, kErrorAccessDenied, kLogging);
    SettingsModel model;
    ApplyFactoryDefaults(model, L"C:\\Temp\\", 0);
    RecordFactoryValues(model);
    const LoadResult loaded = LoadSettings(registry, model);
    ASSERT_FALSE(loaded.loaded.key);
    FakeHooks hooks(registry);

    EXPECT_EQ(SaveResult::Unchanged, SaveSettings(model, loaded.loaded, hooks).result);
    model.value[kEnabled] = 1;
    const SaveOutcome outcome = SaveSettings(model, loaded.loaded, hooks);
    EXPECT_EQ(SaveResult::WriteFailed, outcome.result);
    EXPECT_EQ(L"Enabled", outcome.failedValue);
    EXPECT_EQ(kErrorInvalidHandle, outcome.failedStatus);
    EXPECT_EQ(57u, registry.SetLog().size());
    EXPECT_EQ(0, registry.OpenHandleCount());
}

}  // namespace
}  // namespace kmx
