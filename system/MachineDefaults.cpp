#include "system/MachineDefaults.h"

#include <string>

#include "kvxshared/KvxShared.h"
#include "system/FileSystem.h"

namespace kmx {

void ApplyMachineFactoryDefaults(SettingsModel& model) {
    std::wstring tempPath;
    GetTempPathText(tempPath);
    ApplyFactoryDefaults(model, tempPath, Korvex::Util::IsBESKMX());
}

}  // namespace kmx
