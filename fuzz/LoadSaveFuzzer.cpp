// Loads the settings from an in-memory registry built from the input, copies
// the controls back as the dialog would, saves, and checks what must hold
// whatever the registry held: loading changes only what it may, the recorded
// values are what was loaded, a Save with nothing changed writes nothing, a
// Save that writes gives back the same settings at the next start, and no key
// is left open.
//
// Input: one flags byte, then records until the input ends:
//   selector  bits 0-5: the value (0-56 the settings in catalogue order,
//             57 ShowAppDump, 58 verboseLogging and 59 isBES under
//             HKLM\Software\Korvex, 60-63 names the tool does not use);
//             bit 6: the name in lower case
//   type      bit 7 clear: one of kTypes by bits 0-2; bit 7 set: bits 0-6 raw
//   length    two bytes, little-endian, modulo 1101
//   data      that many bytes (fewer when the input ends)
// Flags: bit 0 the logging key exists even without values; bit 1 the BES
// variant; bit 2 HKLM\Software\Korvex may not be written (the old switch
// cannot be deleted); bit 3 the logging key may not be written (it cannot be
// created for reading and writing).
// fuzz/make_seeds.py writes this format.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/Catalogue.h"
#include "settings/FileName.h"
#include "settings/Loader.h"
#include "settings/RegistryLayout.h"
#include "settings/RegistryOps.h"
#include "settings/Saver.h"
#include "settings/SettingOrders.h"
#include "settings/SettingsModel.h"
#include "settings/Utf16.h"
#include "settings/Wtol.h"
#include "support/MemoryRegistry.h"
#include "ui/ControlBindings.h"

namespace kmx {
namespace {

const wchar_t kLoggingPath[] = L"HKCU\\Software\\Korvex\\Logging";
const wchar_t kKorvexPath[] = L"HKLM\\Software\\Korvex";
const wchar_t kTempPath[] = L"C:\\Temp\\";
const wchar_t kDefaultFileName[] = L"C:\\Temp\\kmx";

constexpr std::uint32_t kTypes[8] = {kRegNone,           kRegSz,      kRegExpandSz, kRegBinary, kRegDword,
                                     kRegDwordBigEndian, kRegMultiSz, kRegQword};
const wchar_t* const kUnknownNames[4] = {L"", L"Unknown", L"Enabled ", L"FileName2"};
constexpr std::size_t kMaxDataLength = 1100;

constexpr std::uint8_t kFlagLoggingKey = 1;
constexpr std::uint8_t kFlagBesVariant = 2;
constexpr std::uint8_t kFlagKorvexReadOnly = 4;
constexpr std::uint8_t kFlagLoggingReadOnly = 8;

void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "invariant violated: %s\n", what);
    __builtin_trap();
}

std::wstring Folded(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

std::wstring Lowered(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

// ---- The registry the input describes ----

std::uint8_t Fill(MemoryRegistry& registry, const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    if (flags & kFlagLoggingKey) registry.PutKey(kLoggingPath);
    if (flags & kFlagKorvexReadOnly) registry.DenyRights(kKorvexPath, kKeySetValue);
    if (flags & kFlagLoggingReadOnly) registry.DenyRights(kLoggingPath, kKeySetValue);

    std::size_t at = 1;
    while (at + 4 <= size) {
        const std::uint8_t selector = data[at];
        const std::uint8_t typeByte = data[at + 1];
        const std::size_t length = (data[at + 2] | (data[at + 3] << 8)) % (kMaxDataLength + 1);
        at += 4;
        const std::size_t taken = length < size - at ? length : size - at;
        const std::vector<std::uint8_t> bytes(data + at, data + at + taken);
        at += taken;

        const unsigned index = selector & 0x3F;
        std::wstring key = kLoggingPath;
        std::wstring name;
        if (index < kSettingCount) {
            name = kCatalogue[index].name;
        } else if (index == kSettingCount) {
            name = L"ShowAppDump";
        } else if (index == kSettingCount + 1) {
            key = kKorvexPath, name = L"verboseLogging";
        } else if (index == kSettingCount + 2) {
            key = kKorvexPath, name = L"isBES";
        } else {
            name = kUnknownNames[index % 4];
        }
        if (selector & 0x40) name = Lowered(name);
        const std::uint32_t type = (typeByte & 0x80) ? (typeByte & 0x7Fu) : kTypes[typeByte & 7];
        registry.Put(key, name, type, bytes);
    }
    return flags;
}

// Every value, by key path and name as the registry compares them.
using Values = std::map<std::pair<std::wstring, std::wstring>, MemoryRegistry::StoredValue>;

Values Flatten(const MemoryRegistry& registry) {
    Values values;
    for (const auto& key : registry.Snapshot()) {
        for (const auto& value : key.second) values[{Folded(key.first), Folded(value.first)}] = value.second;
    }
    return values;
}

std::pair<std::wstring, std::wstring> Slot(const wchar_t* key, const std::wstring& name) {
    return {Folded(key), Folded(name)};
}

const MemoryRegistry::StoredValue* Find(const Values& values, const wchar_t* key, const std::wstring& name) {
    const auto it = values.find(Slot(key, name));
    return it == values.end() ? nullptr : &it->second;
}

bool ReadableAs32Bits(const MemoryRegistry::StoredValue* value) { return value && value->bytes.size() <= 4; }

// A 4-byte read into a buffer holding `start`: shorter data replaces only its
// first (low) bytes.
std::int32_t ReadOver(std::int32_t start, const std::vector<std::uint8_t>& bytes) {
    std::uint32_t bits = static_cast<std::uint32_t>(start);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bits = (bits & ~(0xFFu << (8 * i))) | (std::uint32_t{bytes[i]} << (8 * i));
    }
    return static_cast<std::int32_t>(bits);
}

MemoryRegistry::StoredValue Dword(std::int32_t number) {
    const auto bits = static_cast<std::uint32_t>(number);
    return {kRegDword,
            {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
             static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)}};
}

MemoryRegistry::StoredValue String(const std::wstring& text) { return {kRegSz, ToUtf16LeBytes(text, true)}; }

// ---- Loading ----

// ShowAppDump as loading reads it: a failed read counts as 0.
std::int32_t ShowAppDumpOf(const Values& values) {
    const auto* stored = Find(values, kLoggingPath, L"ShowAppDump");
    return ReadableAs32Bits(stored) ? ReadOver(0, stored->bytes) : 0;
}

// Checks one load against the registry it started from: the model, the
// recorded values, the values written, the old switch.
void CheckLoad(const Values& before, const MemoryRegistry& registry, std::size_t writesBefore,
               const SettingsModel& model, const LoadResult& result, const SettingsModel& factory,
               std::uint8_t flags) {
    Values expected = before;
    std::size_t expectedWrites = 0;

    const auto* oldSwitch = Find(before, kKorvexPath, L"verboseLogging");
    const bool oldSwitchReadable = ReadableAs32Bits(oldSwitch);
    const bool korvexReadOnly = (flags & kFlagKorvexReadOnly) != 0;
    Require(result.loaded.oldSwitchRefused == (oldSwitchReadable && korvexReadOnly),
            "old-switch flag set exactly when a readable verboseLogging could not be deleted");
    if (oldSwitchReadable && !korvexReadOnly) expected.erase(Slot(kKorvexPath, L"verboseLogging"));

    if (flags & kFlagLoggingReadOnly) {
        Require(!result.complete && !result.loaded.key && result.appDumpBox == AppDumpBox::NotRead,
                "a logging key that cannot be created loads nothing");
        Require(registry.SetLog().size() == writesBefore, "nothing written without the logging key");
        Require(Flatten(registry) == expected, "registry unchanged without the logging key");
        Require(model.value == factory.value && model.text == factory.text &&
                    model.logDirectory == factory.logDirectory &&
                    model.logFilePrefix == factory.logFilePrefix,
                "model keeps the factory defaults without the logging key");
        return;
    }
    Require(result.complete && result.loaded.key, "load succeeds when the logging key can be created");

    const std::int32_t showAppDump = ShowAppDumpOf(before);
    Require(result.appDumpBox == (showAppDump > 0 ? AppDumpBox::Shown : AppDumpBox::Hidden),
            "calendar tracking box shown exactly when ShowAppDump > 0");
    const bool appDumpForcedOff = showAppDump == 0;
    if (appDumpForcedOff) {
        expected[Slot(kLoggingPath, L"EnableAppDump")] = Dword(0);
        ++expectedWrites;
    }

    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const SettingId id = static_cast<SettingId>(i);
        const SettingInfo& info = kCatalogue[i];
        const auto* stored = Find(before, kLoggingPath, info.name);
        if (info.kind == SettingKind::FileName) {
            const bool readable = stored && stored->bytes.size() <= kFileNameCapacityBytes;
            const std::wstring fileName =
                readable ? TextFromUtf16LeBytes(stored->bytes.data(), stored->bytes.size())
                         : kDefaultFileName;
            if (!readable) {
                expected[Slot(kLoggingPath, info.name)] = String(fileName);
                ++expectedWrites;
            }
            Require(model.recordedFileName == fileName, "recorded FileName is the string read or written");
            const auto p = fileName.rfind(L'\\');
            if (p == std::wstring::npos) {
                Require(model.logDirectory == factory.logDirectory &&
                            model.logFilePrefix == factory.logFilePrefix,
                        "FileName without a backslash leaves directory and prefix as they were");
                continue;
            }
            Require(
                model.logDirectory == fileName.substr(0, p) && model.logFilePrefix == fileName.substr(p + 1),
                "FileName splits at its last backslash");
            if (p == 0 || fileName[p - 1] != L'\\') {
                Require(ComposeFileNameForSave(model.logDirectory, model.logFilePrefix) == fileName,
                        "a FileName in canonical form composes back to itself");
            }
            continue;
        }

        std::int32_t number = factory.value[i];
        if (id == kEnableAppDump && appDumpForcedOff) {
            number = 0;
        } else if (ReadableAs32Bits(stored)) {
            number = ReadOver(number, stored->bytes);
        } else {
            expected[Slot(kLoggingPath, info.name)] = Dword(number);
            ++expectedWrites;
        }
        if (id == kMaxFileSizeMB && number <= 0) number = 10;
        Require(model.value[i] == number, "a 32-bit setting holds what was read, or its default");
        if (info.kind == SettingKind::Switch) {
            Require(model.recordedValue[i] == number, "recorded switch equals the loaded one");
        } else {
            Require(model.text[i] == std::to_wstring(number) && model.recordedText[i] == model.text[i],
                    "a limit's text and recorded text are its number in decimal");
        }
    }
    Require(Flatten(registry) == expected,
            "loading writes only the defaults of unreadable values and EnableAppDump, and deletes only the "
            "old switch");
    Require(registry.SetLog().size() - writesBefore == expectedWrites,
            "loading writes each value at most once");
}

// ---- The dialog's copy of the controls into the model ----

// The controls show the model as loading left it: each auto check box gives
// back 0 or 1, each text comes back as it was, and the first limit text
// longer than its edit allows stops the copy there.
bool Exchange(SettingsModel& model) {
    for (const ControlBinding& binding : kControlBindings) {
        const SettingId id = binding.setting;
        const SettingInfo& info = Info(id);
        if (info.kind == SettingKind::Switch) model.value[id] = model.value[id] != 0 ? 1 : 0;
        if (info.kind == SettingKind::Limit &&
            model.text[id].size() > static_cast<std::size_t>(info.maxChars)) {
            return false;
        }
    }
    return true;
}

// ---- Saving ----

class RecordingHooks : public SaveHooks {
public:
    explicit RecordingHooks(const MemoryRegistry& registry) : m_registry(registry) {}
    bool DirectoryExists(const std::wstring& directory) override { return !directory.empty(); }
    void OldSwitchRefused() override { oldSwitchAtWrite.push_back(m_registry.SetLog().size()); }

    // The number of writes made when each old-switch event came.
    std::vector<std::size_t> oldSwitchAtWrite;

private:
    const MemoryRegistry& m_registry;
};

std::wstring WithoutTrailingBackslashes(std::wstring directory) {
    while (!directory.empty() && directory.back() == L'\\') directory.pop_back();
    return directory;
}

struct SaveExpectation {
    SaveResult result;
    std::wstring fileName;                // as Save composes it
    std::int32_t numbers[kSettingCount];  // what Save writes for the limits
};

SaveExpectation ExpectSave(const SettingsModel& model, RegKey key) {
    SaveExpectation expected{SaveResult::Unchanged, {}, {}};
    const std::wstring directory = WithoutTrailingBackslashes(model.logDirectory);
    expected.fileName = directory + L'\\' + model.logFilePrefix;
    for (const SettingId id : {kMaxFileSizeMB, kMaxDirSizeMB, kMaxAgeDays, kMaxCallDepth}) {
        expected.numbers[id] = Wtol(model.text[id]);
    }
    for (const SettingId id : {kMaxFileSizeMB, kMaxDirSizeMB})
        if (expected.numbers[id] == 0) expected.numbers[id] = Info(id).factoryDefault;
    const std::uint64_t fileSize = static_cast<std::uint32_t>(expected.numbers[kMaxFileSizeMB]);
    const std::uint64_t dirSize = static_cast<std::uint32_t>(expected.numbers[kMaxDirSizeMB]);

    bool changed = expected.fileName != model.recordedFileName;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (kCatalogue[i].kind == SettingKind::Switch) changed |= model.value[i] != model.recordedValue[i];
        if (kCatalogue[i].kind == SettingKind::Limit) changed |= model.text[i] != model.recordedText[i];
    }

    if (directory.empty() || dirSize < 10 * fileSize) {
        expected.result = SaveResult::Refused;
    } else if (changed) {
        expected.result = key != 0 ? SaveResult::Written : SaveResult::WriteFailed;
    }
    return expected;
}

void CheckSave(const SettingsModel& before, const SettingsModel& after, const SaveOutcome& outcome,
               const SaveExpectation& expected, const Values& registryBefore, const MemoryRegistry& registry,
               std::size_t writesBefore, const RecordingHooks& hooks, bool oldSwitchRefused) {
    Require(outcome.result == expected.result, "Save's result follows from the checks and the change test");
    Require(after.value == before.value && after.text == before.text &&
                after.logFilePrefix == before.logFilePrefix,
            "Save changes no setting but the directory");
    Require(after.logDirectory == WithoutTrailingBackslashes(before.logDirectory),
            "Save leaves the directory trimmed");
    const auto& log = registry.SetLog();
    const std::size_t writes = log.size() - writesBefore;

    if (expected.result != SaveResult::Written && expected.result != SaveResult::WriteFailed) {
        Require(writes == 0 && Flatten(registry) == registryBefore,
                "a Save that does not write changes nothing");
        Require(hooks.oldSwitchAtWrite.empty(), "a Save that does not write reports no old switch");
        if (expected.result == SaveResult::Refused) {
            const bool directoryMissing = WithoutTrailingBackslashes(before.logDirectory).empty();
            Require(outcome.refusal.failed ==
                            (directoryMissing ? SaveCheck::DirectoryMissing : SaveCheck::SizeRule) &&
                        outcome.refusal.setting == (directoryMissing ? kFileName : kMaxDirSizeMB),
                    "a refused Save names the first failed check");
        }
        return;
    }

    Require(writes == kSaveOrder.size(), "a Save that writes writes every value once");
    for (std::size_t n = 0; n < kSaveOrder.size(); ++n) {
        const SettingId id = kSaveOrder[n];
        const auto& call = log[writesBefore + n];
        Require(call.name == Info(id).name, "values written in their order");
        MemoryRegistry::StoredValue value;
        switch (Info(id).kind) {
            case SettingKind::Switch: value = Dword(after.value[id]); break;
            case SettingKind::Limit: value = Dword(expected.numbers[id]); break;
            case SettingKind::FileName: value = String(expected.fileName); break;
        }
        Require(call.type == value.type && call.bytes == value.bytes, "each value written with its data");
        Require((call.status == kErrorSuccess) == (expected.result == SaveResult::Written),
                "writes succeed exactly when the logging key is open");
    }
    if (oldSwitchRefused) {
        Require(hooks.oldSwitchAtWrite == std::vector<std::size_t>{writesBefore + kSaveOrder.size() - 1},
                "the old-switch event comes once, before the last write");
    } else {
        Require(hooks.oldSwitchAtWrite.empty(), "a Save that writes reports no old switch without it");
    }
}

// After a Save that wrote, the next start loads what was saved.
void CheckNextStart(MemoryRegistry& registry, const SettingsModel& saved, const SaveExpectation& expected,
                    const SettingsModel& factory, std::uint8_t flags) {
    SettingsModel next = factory;
    RecordFactoryValues(next);
    const Values before = Flatten(registry);
    const std::size_t writesBefore = registry.SetLog().size();
    {
        const LoadResult loaded = LoadSettings(registry, next);
        CheckLoad(before, registry, writesBefore, next, loaded, factory, flags);
    }

    const bool appDumpForcedOff = ShowAppDumpOf(before) == 0;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const SettingId id = static_cast<SettingId>(i);
        if (kCatalogue[i].kind == SettingKind::Switch) {
            const std::int32_t want = id == kEnableAppDump && appDumpForcedOff ? 0 : saved.value[i];
            Require(next.value[i] == want, "a saved switch loads back");
        } else if (kCatalogue[i].kind == SettingKind::Limit) {
            std::int32_t want = expected.numbers[i];
            if (id == kMaxFileSizeMB && want <= 0) want = Info(id).factoryDefault;
            Require(next.text[i] == std::to_wstring(want), "a saved limit loads back");
        }
    }
    // FileName is read into 259 characters and a NUL; loading accepts an
    // unterminated string that fills the buffer, which Save then writes with
    // its NUL, one character too long for the next read.
    const bool fits = ToUtf16(expected.fileName).size() < kFileNameCapacityBytes / 2;
    Require(next.recordedFileName == (fits ? expected.fileName : std::wstring(kDefaultFileName)),
            "a saved FileName loads back");
}

}  // namespace
}  // namespace kmx

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kmx;
    MemoryRegistry registry;
    const std::uint8_t flags = Fill(registry, data, size);

    SettingsModel factory;
    ApplyFactoryDefaults(factory, kTempPath, (flags & kFlagBesVariant) ? 1 : 0);
    SettingsModel model = factory;
    RecordFactoryValues(model);

    const Values initial = Flatten(registry);
    LoadResult loaded = LoadSettings(registry, model);
    CheckLoad(initial, registry, 0, model, loaded, factory, flags);

    // The window saves only when the copy of its controls succeeds.
    if (Exchange(model)) {
        for (std::size_t i = 0; i < kSettingCount; ++i) {
            if (kCatalogue[i].kind == SettingKind::Switch) {
                Require(model.value[i] == 0 || model.value[i] == 1, "every switch is 0 or 1 after the copy");
            }
        }
        const SaveExpectation expected = ExpectSave(model, loaded.loaded.key.Get());
        const SettingsModel beforeSave = model;
        const Values registryBeforeSave = Flatten(registry);
        const std::size_t writesBeforeSave = registry.SetLog().size();
        RecordingHooks hooks(registry);
        const SaveOutcome outcome = SaveSettings(model, loaded.loaded, hooks);
        CheckSave(beforeSave, model, outcome, expected, registryBeforeSave, registry, writesBeforeSave, hooks,
                  loaded.loaded.oldSwitchRefused);
        if (outcome.result == SaveResult::Written) {
            loaded.loaded.key.Close();
            CheckNextStart(registry, model, expected, factory, flags);
        }
    }
    loaded.loaded.key.Close();
    Require(registry.OpenHandleCount() == 0, "every key opened is closed");
    return 0;
}
