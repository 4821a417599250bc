#include "settings/Loader.h"

#include <array>
#include <cstdint>
#include <string>

#include "settings/FileName.h"
#include "settings/RegistryLayout.h"
#include "settings/RegistryOps.h"
#include "settings/SettingOrders.h"

namespace kmx {
namespace {

// Removes verboseLogging from HKLM\Software\Korvex when it can be read. The
// delete goes through a second handle that may write; only a refusal of that
// open or of the delete counts. Returns whether it was refused.
bool RemoveOldSwitch(IRegistry& registry) {
    RegKeyHandle reader(registry);
    if (OpenForReading(registry, kHkeyLocalMachine, kKorvexKeyPath, reader.Receive()) != kErrorSuccess) {
        return false;
    }
    std::uint32_t ignored = 0;
    if (ReadDword(registry, reader.Get(), kOldSwitchName, &ignored) != kErrorSuccess) return false;
    RegKeyHandle writer(registry);
    const RegStatus opened = OpenForReadWrite(registry, kHkeyLocalMachine, kKorvexKeyPath, writer.Receive());
    if (opened == kErrorAccessDenied) return true;
    return opened == kErrorSuccess &&
           DeleteValue(registry, writer.Get(), kOldSwitchName) == kErrorAccessDenied;
}

// Whether loading writes the defaults of what it cannot read, or only reads.
enum class Defaults { Write, Keep };

// Reads a 32-bit setting into the model; what cannot be read keeps the
// model's value, which is written back as REG_DWORD. Returns whether it was read.
bool ReadOrWriteDefault(IRegistry& registry, RegKey key, SettingsModel& model, SettingId id,
                        Defaults defaults) {
    const wchar_t* name = Info(id).name;
    if (ReadDword(registry, key, name, &model.value[id]) == kErrorSuccess) return true;
    if (defaults == Defaults::Write)
        WriteDword(registry, key, name, static_cast<std::uint32_t>(model.value[id]));
    return false;
}

// Reads FileName (or writes the composed default) and splits it into the
// model's two texts. *fileName is the string as read or written; returns
// whether it was read.
bool LoadFileName(IRegistry& registry, RegKey key, SettingsModel& model, Defaults defaults,
                  std::wstring* fileName) {
    *fileName = ComposeMissingFileName(model.logDirectory, model.logFilePrefix);
    const bool read = ReadStringFixed(registry, key, Info(kFileName).name, kFileNameCapacityBytes,
                                      fileName) == kErrorSuccess;
    if (!read && defaults == Defaults::Write) WriteString(registry, key, Info(kFileName).name, *fileName);
    SplitFileName(*fileName, model.logDirectory, model.logFilePrefix);
    return read;
}

// Every setting in load order, then the recorded values. (*stored)[i]: whether
// setting i was read.
void ReadEverySetting(IRegistry& registry, RegKey key, SettingsModel& model, Defaults defaults,
                      std::array<bool, kSettingCount>* stored) {
    std::wstring fileName;
    for (SettingId id : kLoadOrder) {
        switch (Info(id).kind) {
            case SettingKind::FileName:
                (*stored)[id] = LoadFileName(registry, key, model, defaults, &fileName);
                break;
            case SettingKind::Switch:
                (*stored)[id] = ReadOrWriteDefault(registry, key, model, id, defaults);
                break;
            case SettingKind::Limit:
                (*stored)[id] = ReadOrWriteDefault(registry, key, model, id, defaults);
                // Corrected in the model only; the registry keeps what it holds.
                if (id == kMaxFileSizeMB && model.value[id] <= 0) model.value[id] = Info(id).factoryDefault;
                model.SetLimit(id, model.value[id]);
                break;
        }
    }
    RecordCurrentValues(model, fileName);
}

// ShowAppDump as loading reads it: a failed read counts as 0.
std::int32_t ReadShowAppDump(IRegistry& registry, RegKey key) {
    std::int32_t showAppDump = 0;
    ReadDword(registry, key, kShowAppDumpName, &showAppDump);
    return showAppDump;
}

}  // namespace

LoadResult LoadSettings(IRegistry& registry, SettingsModel& model) {
    LoadResult result(registry);
    result.loaded.oldSwitchRefused = RemoveOldSwitch(registry);

    RegKeyHandle& handle = result.loaded.key;
    std::uint32_t disposition = 0;
    if (CreateForReadWrite(registry, kHkeyCurrentUser, kLoggingKeyPath, handle.Receive(), &disposition) !=
        kErrorSuccess) {
        return result;
    }
    const RegKey key = handle.Get();

    const std::int32_t showAppDump = ReadShowAppDump(registry, key);
    result.appDumpBox = showAppDump > 0 ? AppDumpBox::Shown : AppDumpBox::Hidden;
    if (showAppDump == 0) WriteDword(registry, key, Info(kEnableAppDump).name, 0);

    if (disposition != kRegCreatedNewKey && disposition != kRegOpenedExistingKey) return result;

    std::array<bool, kSettingCount> stored{};
    ReadEverySetting(registry, key, model, Defaults::Write, &stored);
    result.complete = true;
    return result;
}

ReadResult ReadSettings(IRegistry& registry, SettingsModel& model) {
    ReadResult result;
    RegKeyHandle key(registry);
    if (OpenForReading(registry, kHkeyCurrentUser, kLoggingKeyPath, key.Receive()) != kErrorSuccess)
        return result;
    const std::int32_t showAppDump = ReadShowAppDump(registry, key.Get());
    ReadEverySetting(registry, key.Get(), model, Defaults::Keep, &result.stored);
    // Loading would have written 0 over it before reading it.
    if (showAppDump == 0) {
        model.value[kEnableAppDump] = 0;
        model.recordedValue[kEnableAppDump] = 0;
    }
    return result;
}

}  // namespace kmx
