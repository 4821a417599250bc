// Loading the settings when the main window opens: the old switch is removed,
// the logging key created or opened, ShowAppDump decides on the calendar
// tracking box, every setting is read (its default written when it cannot be)
// and the result recorded for Save.
#pragma once

#include "settings/Registry.h"
#include "settings/SettingsModel.h"

namespace kmx {

// What to do with check box 1023 (" Enable Calendar Tracking").
enum class AppDumpBox {
    NotRead,  // the logging key could not be created: the box keeps its template state
    Shown,
    Hidden,
};

struct LoadResult {
    // The logging key, opened for reading and writing; the caller holds it
    // (for Save) and closes it. 0 when it could not be created.
    RegKey loggingKey = 0;
    // The old switch was there but deleting it was refused (access denied).
    bool oldSwitchRefused = false;
    AppDumpBox appDumpBox = AppDumpBox::NotRead;
    // Every setting was read and the recorded values were taken.
    bool loaded = false;
};

// model must hold the factory defaults: they are what a value that cannot be
// read keeps and what is written for it. Shows nothing and touches no window;
// the caller copies the model into the controls and shows or hides the box.
LoadResult LoadSettings(IRegistry& registry, SettingsModel& model);

}  // namespace kmx
