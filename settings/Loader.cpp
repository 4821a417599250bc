#include "settings/Loader.h"

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

// Reads a 32-bit setting into the model; what cannot be read keeps the
// model's value, which is written back as REG_DWORD.
void ReadOrWriteDefault(IRegistry& registry, RegKey key, SettingsModel& model, SettingId id) {
    const wchar_t* name = Info(id).name;
    if (ReadDword(registry, key, name, &model.value[id]) != kErrorSuccess) {
        WriteDword(registry, key, name, static_cast<std::uint32_t>(model.value[id]));
    }
}

// Reads FileName (or writes the composed default) and splits it into the
// model's two texts. Returns the string as read or written.
std::wstring LoadFileName(IRegistry& registry, RegKey key, SettingsModel& model) {
    std::wstring fileName = ComposeMissingFileName(model.logDirectory, model.logFilePrefix);
    if (ReadStringFixed(registry, key, Info(kFileName).name, kFileNameCapacityBytes, &fileName) !=
        kErrorSuccess) {
        WriteString(registry, key, Info(kFileName).name, fileName);
    }
    SplitFileName(fileName, model.logDirectory, model.logFilePrefix);
    return fileName;
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

    std::int32_t showAppDump = 0;
    ReadDword(registry, key, kShowAppDumpName, &showAppDump);
    result.appDumpBox = showAppDump > 0 ? AppDumpBox::Shown : AppDumpBox::Hidden;
    if (showAppDump == 0) WriteDword(registry, key, Info(kEnableAppDump).name, 0);

    if (disposition != kRegCreatedNewKey && disposition != kRegOpenedExistingKey) return result;

    std::wstring fileName;
    for (SettingId id : kLoadOrder) {
        switch (Info(id).kind) {
            case SettingKind::FileName: fileName = LoadFileName(registry, key, model); break;
            case SettingKind::Switch: ReadOrWriteDefault(registry, key, model, id); break;
            case SettingKind::Limit:
                ReadOrWriteDefault(registry, key, model, id);
                // Corrected in the model only; the registry keeps what it holds.
                if (id == kMaxFileSizeMB && model.value[id] <= 0) model.value[id] = Info(id).factoryDefault;
                model.SetLimit(id, model.value[id]);
                break;
        }
    }
    RecordCurrentValues(model, fileName);
    result.complete = true;
    return result;
}

}  // namespace kmx
