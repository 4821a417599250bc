#include "settings/Loader.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/FileName.h"
#include "settings/RegistryLayout.h"
#include "settings/RegistryOps.h"
#include "settings/SettingOrders.h"

namespace kmx {
namespace {

// Deletes verboseLogging through a handle that may write; only a refusal of
// that open or of the delete counts. Returns whether it was refused.
bool DeleteOldSwitch(IRegistry& registry) {
    RegKeyHandle writer(registry);
    const RegStatus opened = OpenForReadWrite(registry, kHkeyLocalMachine, kKorvexKeyPath, writer.Receive());
    if (opened == kErrorAccessDenied) return true;
    return opened == kErrorSuccess &&
           registry.DeleteValue(writer.Get(), kOldSwitchName) == kErrorAccessDenied;
}

// Whether verboseLogging under HKLM\Software\Korvex can be read; with
// `remove`, it is deleted while the reading handle is still open, and
// *refused tells whether that was refused.
bool FindOldSwitch(IRegistry& registry, bool remove, bool* refused) {
    RegKeyHandle reader(registry);
    if (OpenForReading(registry, kHkeyLocalMachine, kKorvexKeyPath, reader.Receive()) != kErrorSuccess) {
        return false;
    }
    std::uint32_t ignored = 0;
    if (ReadDword(registry, reader.Get(), kOldSwitchName, &ignored) != kErrorSuccess) return false;
    if (remove) *refused = DeleteOldSwitch(registry);
    return true;
}

// What becomes of the default of a setting that cannot be read: written at
// once (the window's loading), kept for later (the companion, which writes
// only once its change passed the checks), or neither (a look only).
struct Defaults {
    bool writeNow = false;
    std::vector<DefaultWrite>* later = nullptr;

    void Dword(IRegistry& registry, RegKey key, SettingId id, std::int32_t value) const {
        if (writeNow) WriteDword(registry, key, Info(id).name, static_cast<std::uint32_t>(value));
        if (later) later->push_back({id, value, L""});
    }
    void String(IRegistry& registry, RegKey key, SettingId id, const std::wstring& text) const {
        if (writeNow) WriteString(registry, key, Info(id).name, text);
        if (later) later->push_back({id, 0, text});
    }
};

// Reads a 32-bit setting into the model; what cannot be read (no key: 0)
// keeps the model's value, which is its default. Returns whether it was read.
bool ReadOrDefault(IRegistry& registry, RegKey key, SettingsModel& model, SettingId id,
                   const Defaults& defaults) {
    if (key != 0 && ReadDword(registry, key, Info(id).name, &model.value[id]) == kErrorSuccess) return true;
    defaults.Dword(registry, key, id, model.value[id]);
    return false;
}

// Reads FileName (its default is the composed one) and splits it into the
// model's two texts. *fileName is the string as read or defaulted; returns
// whether it was read.
bool LoadFileName(IRegistry& registry, RegKey key, SettingsModel& model, const Defaults& defaults,
                  std::wstring* fileName) {
    *fileName = ComposeMissingFileName(model.logDirectory, model.logFilePrefix);
    const bool read = key != 0 && ReadStringFixed(registry, key, Info(kFileName).name, kFileNameCapacityBytes,
                                                  fileName) == kErrorSuccess;
    if (!read) defaults.String(registry, key, kFileName, *fileName);
    SplitFileName(*fileName, model.logDirectory, model.logFilePrefix);
    return read;
}

// Every setting in load order, then the recorded values. (*stored)[i]: whether
// setting i was read.
void ReadEverySetting(IRegistry& registry, RegKey key, SettingsModel& model, const Defaults& defaults,
                      std::array<bool, kSettingCount>* stored) {
    std::wstring fileName;
    for (SettingId id : kLoadOrder) {
        switch (Info(id).kind) {
            case SettingKind::FileName:
                (*stored)[id] = LoadFileName(registry, key, model, defaults, &fileName);
                break;
            case SettingKind::Switch:
                (*stored)[id] = ReadOrDefault(registry, key, model, id, defaults);
                break;
            case SettingKind::Limit:
                (*stored)[id] = ReadOrDefault(registry, key, model, id, defaults);
                // Corrected in the model only; the registry keeps what it holds.
                if (id == kMaxFileSizeMB && model.value[id] <= 0) model.value[id] = Info(id).factoryDefault;
                model.SetLimit(id, model.value[id]);
                break;
        }
    }
    RecordCurrentValues(model, fileName);
}

// Loading writes 0 over EnableAppDump before reading it when ShowAppDump is 0.
void ZeroAppDumpInModel(SettingsModel& model) {
    model.value[kEnableAppDump] = 0;
    model.recordedValue[kEnableAppDump] = 0;
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
    FindOldSwitch(registry, true, &result.loaded.oldSwitchRefused);

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
    ReadEverySetting(registry, key, model, Defaults{true, nullptr}, &stored);
    result.complete = true;
    return result;
}

ReadResult ReadSettings(IRegistry& registry, SettingsModel& model) {
    ReadResult result;
    RegKeyHandle key(registry);
    if (OpenForReading(registry, kHkeyCurrentUser, kLoggingKeyPath, key.Receive()) != kErrorSuccess)
        return result;
    const std::int32_t showAppDump = ReadShowAppDump(registry, key.Get());
    ReadEverySetting(registry, key.Get(), model, Defaults{}, &result.stored);
    if (showAppDump == 0) ZeroAppDumpInModel(model);
    return result;
}

PendingLoad ReadSettingsForChange(IRegistry& registry, SettingsModel& model) {
    PendingLoad pending;
    bool ignored = false;
    pending.removeOldSwitch = FindOldSwitch(registry, false, &ignored);
    RegKeyHandle key(registry);
    // A key that is not there yet reads as one just created: nothing stored.
    OpenForReading(registry, kHkeyCurrentUser, kLoggingKeyPath, key.Receive());
    pending.zeroAppDump = (key.Get() != 0 ? ReadShowAppDump(registry, key.Get()) : 0) == 0;
    std::array<bool, kSettingCount> stored{};
    ReadEverySetting(registry, key.Get(), model, Defaults{false, &pending.defaults}, &stored);
    if (pending.zeroAppDump) ZeroAppDumpInModel(model);
    return pending;
}

LoadedKey WritePendingLoad(IRegistry& registry, const PendingLoad& pending) {
    LoadedKey loaded(registry);
    if (pending.removeOldSwitch) loaded.oldSwitchRefused = DeleteOldSwitch(registry);
    std::uint32_t disposition = 0;
    if (CreateForReadWrite(registry, kHkeyCurrentUser, kLoggingKeyPath, loaded.key.Receive(), &disposition) !=
        kErrorSuccess) {
        return loaded;
    }
    const RegKey key = loaded.key.Get();
    if (pending.zeroAppDump) WriteDword(registry, key, Info(kEnableAppDump).name, 0);
    const Defaults now{true, nullptr};
    for (const DefaultWrite& write : pending.defaults) {
        if (Info(write.id).kind == SettingKind::FileName)
            now.String(registry, key, write.id, write.text);
        else
            now.Dword(registry, key, write.id, write.number);
    }
    return loaded;
}

}  // namespace kmx
