// Loading the settings when the main window opens: the old switch is removed,
// the logging key created or opened, ShowAppDump decides on the calendar
// tracking box, every setting is read (its default written when it cannot be)
// and the result recorded for Save.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/RegKeyHandle.h"
#include "settings/Registry.h"
#include "settings/SettingsModel.h"

namespace kmx {

// What to do with the " Enable Calendar Tracking" box (EnableAppDump).
enum class AppDumpBox {
    NotRead,  // the logging key could not be created: the box keeps its template state
    Shown,
    Hidden,
};

// What loading leaves for Save: the logging key, open for reading and
// writing (closed with this object; empty when it could not be created), and
// whether deleting the old switch was refused (access denied), which Save
// then reports.
struct LoadedKey {
    explicit LoadedKey(IRegistry& registry) : key(registry) {}
    RegKeyHandle key;
    bool oldSwitchRefused = false;
};

struct LoadResult {
    explicit LoadResult(IRegistry& registry) : loaded(registry) {}
    LoadedKey loaded;
    AppDumpBox appDumpBox = AppDumpBox::NotRead;
    // Every setting was read and the recorded values were taken.
    bool complete = false;
};

// model must hold the factory defaults: they are what a value that cannot be
// read keeps and what is written for it. Shows nothing and touches no window;
// the caller copies the model into the controls and shows or hides the box.
LoadResult LoadSettings(IRegistry& registry, SettingsModel& model);

struct ReadResult {
    // Per setting: whether its value was there and readable.
    std::array<bool, kSettingCount> stored{};
};

// What loading would put in the model, read without creating, writing or
// deleting anything: a value that cannot be read keeps the model's (factory)
// value, as the window would show it. The old switch is left alone.
ReadResult ReadSettings(IRegistry& registry, SettingsModel& model);

// The writes loading makes, found by reading alone, for a front end that
// writes only once its change has passed Save's checks.
struct DefaultWrite {
    SettingId id;
    std::int32_t number;  // a 32-bit setting's default
    std::wstring text;    // FileName's composed default
};
struct PendingLoad {
    bool removeOldSwitch = false;        // verboseLogging could be read
    bool zeroAppDump = false;            // ShowAppDump is 0 (or missing): EnableAppDump = 0
    std::vector<DefaultWrite> defaults;  // what could not be read, in load order
};

// Reads as loading does, without creating, writing or deleting anything: the
// model ends as loading would leave it (recorded values included), and what
// loading would have written is returned instead.
PendingLoad ReadSettingsForChange(IRegistry& registry, SettingsModel& model);

// Makes those writes in loading's order (old switch, key, EnableAppDump, the
// defaults) and leaves the key open for Save, as loading does.
LoadedKey WritePendingLoad(IRegistry& registry, const PendingLoad& pending);

}  // namespace kmx
