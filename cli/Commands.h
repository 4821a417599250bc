// The settings as the companion reads them, and the commands that change
// them as the window's Save does: all values or nothing, after a time box's
// revert that is due. Each returns the exit status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandHost.h"
#include "settings/SettingsView.h"

namespace kmx {

struct ShownState {
    SettingsModel model;
    std::vector<ShownSetting> settings;
};

// Reads only, as the window shows the settings.
ShownState ReadShownState(CommandHost& host);

std::wstring LoggingKeyName();
// The presets' names as their buttons show them, comma-separated.
std::wstring PresetNameList();

// set NAME=VALUE ...
int SetSettings(CommandHost& host, const std::vector<std::wstring>& assignments);

// enable, disable and preset: the switch, then the marks of the preset the
// words name (none without words); with forSeconds, as a time box.
enum class LoggingSwitch { On, Off, Unchanged };
int SwitchLogging(CommandHost& host, LoggingSwitch to, const std::vector<std::wstring>& presetWords,
                  std::optional<std::uint64_t> forSeconds);

// reset: every setting back to its factory default.
int ResetSettings(CommandHost& host);

// import FILE: the logging values of a .reg file.
int ImportSettings(CommandHost& host, const std::wstring& path);

}  // namespace kmx
