// The in-memory record of every logging setting, with the values Save
// compares against.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings/Catalogue.h"

namespace kmx {

struct SettingsModel {
    // Switch value, or a limit's integer (which only exists to produce its
    // text). Unused for FileName.
    std::array<std::int32_t, kSettingCount> value{};
    // A limit's text, as its edit shows it. Empty for the other settings.
    std::array<std::wstring, kSettingCount> text;
    std::wstring logDirectory;
    std::wstring logFilePrefix;

    // What Save compares against: switches by value, limits by text, the file
    // name as the composed string.
    std::array<std::int32_t, kSettingCount> recordedValue{};
    std::array<std::wstring, kSettingCount> recordedText;
    std::wstring recordedFileName;

    // Sets a limit's integer and its text ("%d").
    void SetLimit(SettingId id, std::int32_t number);
};

// The decimal form of a number as "%d" gives it.
std::wstring FormatDecimal(std::int32_t number);

// Puts every setting to its factory value. tempPath is what GetTempPathW
// returned; isBESKMX is Korvex::Util::IsBESKMX()'s result (nonzero: ThreadLanes
// off). The recorded values are left alone.
void ApplyFactoryDefaults(SettingsModel& model, const std::wstring& tempPath, int isBESKMX);

// Records the model as it stands, with the file name composed as loading
// writes it when missing. Called straight after ApplyFactoryDefaults at
// construction, so that the recorded values are the factory values until a
// load replaces them.
void RecordFactoryValues(SettingsModel& model);

// Records the model at the end of a load; fileNameAsLoaded is the string read
// from the registry (or written there because it was missing).
void RecordCurrentValues(SettingsModel& model, const std::wstring& fileNameAsLoaded);

}  // namespace kmx
