// The factory defaults as they come out on this machine: the log directory is
// the user's temporary-files directory, and ThreadLanes follows the
// connector's own variant test.
#pragma once

#include "settings/SettingsModel.h"

namespace kmx {

// When the temporary-files path cannot be had, the directory stays empty and
// Save refuses it until the user enters one.
void ApplyMachineFactoryDefaults(SettingsModel& model);

}  // namespace kmx
