// Factory defaults and recorded values.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "settings/SettingsModel.h"

namespace kmx {
namespace {

const std::wstring kTemp = L"C:\\Users\\u\\AppData\\Local\\Temp\\";

int SwitchesOn(const SettingsModel& model) {
    int on = 0;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (kCatalogue[i].kind == SettingKind::Switch && model.value[i] != 0) ++on;
    }
    return on;
}

TEST(SettingsModelTest, FactoryDefaultsOfTheStandardVariant) {
    SettingsModel model;
    ApplyFactoryDefaults(model, kTemp, 0);
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (kCatalogue[i].kind != SettingKind::FileName) {
            EXPECT_EQ(kCatalogue[i].factoryDefault, model.value[i]) << i;
        }
    }
    EXPECT_EQ(0, model.value[kEnabled]);
    EXPECT_EQ(1, model.value[kThreadLanes]);
    EXPECT_EQ(L"10", model.text[kMaxFileSizeMB]);
    EXPECT_EQ(L"100", model.text[kMaxDirSizeMB]);
    EXPECT_EQ(L"7", model.text[kMaxAgeDays]);
    EXPECT_EQ(L"100", model.text[kMaxCallDepth]);
    EXPECT_EQ(kTemp, model.logDirectory) << "the temp path exactly, trailing backslash kept";
    EXPECT_EQ(L"kmx", model.logFilePrefix);
    EXPECT_EQ(32, SwitchesOn(model));
}

TEST(SettingsModelTest, BesVariantDiffersOnlyInThreadLanes) {
    SettingsModel standard;
    SettingsModel bes;
    ApplyFactoryDefaults(standard, kTemp, 0);
    ApplyFactoryDefaults(bes, kTemp, -1);
    EXPECT_EQ(0, bes.value[kThreadLanes]);
    bes.value[kThreadLanes] = 1;
    EXPECT_EQ(standard.value, bes.value);
    EXPECT_EQ(standard.text, bes.text);
    ApplyFactoryDefaults(bes, kTemp, 7);
    EXPECT_EQ(31, SwitchesOn(bes));
}

TEST(SettingsModelTest, RecordedValuesStartAsFactoryValuesAndDefaultsLeaveThemAlone) {
    SettingsModel model;
    ApplyFactoryDefaults(model, L"C:\\Temp\\", 0);
    RecordFactoryValues(model);
    EXPECT_EQ(L"C:\\Temp\\kmx", model.recordedFileName);
    EXPECT_EQ(model.value, model.recordedValue);
    EXPECT_EQ(L"10", model.recordedText[kMaxFileSizeMB]);

    model.value[kEnabled] = 1;
    model.SetLimit(kMaxAgeDays, 30);
    RecordCurrentValues(model, L"D:\\Logs\\kmx");
    ApplyFactoryDefaults(model, L"C:\\Temp\\", 0);
    EXPECT_EQ(1, model.recordedValue[kEnabled]);
    EXPECT_EQ(L"30", model.recordedText[kMaxAgeDays]);
    EXPECT_EQ(L"D:\\Logs\\kmx", model.recordedFileName);
}

TEST(SettingsModelTest, LimitTextIsThePrintfDecimalForm) {
    SettingsModel model;
    const std::pair<std::int32_t, const wchar_t*> cases[] = {
        {0, L"0"},
        {-5, L"-5"},
        {1234, L"1234"},
        {std::numeric_limits<std::int32_t>::max(), L"2147483647"},
        {std::numeric_limits<std::int32_t>::min(), L"-2147483648"}};
    for (const auto& c : cases) {
        model.SetLimit(kMaxDirSizeMB, c.first);
        EXPECT_EQ(c.first, model.value[kMaxDirSizeMB]);
        EXPECT_EQ(c.second, model.text[kMaxDirSizeMB]);
    }
}

}  // namespace
}  // namespace kmx
