#include "cli/Commands.h"

#include <cstddef>
#include <functional>

#include "cli/ExitCode.h"
#include "cli/RegFileEdits.h"
#include "cli/SettingEdits.h"
#include "cli/TimeBoxCommands.h"
#include "settings/FieldRules.h"
#include "settings/Loader.h"
#include "settings/Presets.h"
#include "settings/RegistryLayout.h"
#include "settings/Saver.h"

namespace kmx {

std::wstring PresetNameList() {
    std::wstring names;
    for (const wchar_t* name : kPresetNames) names += (names.empty() ? L"" : L", ") + std::wstring(name);
    return names;
}

std::wstring LoggingKeyName() { return std::wstring(L"HKEY_CURRENT_USER\\") + kLoggingKeyPath; }

namespace {

// Save's messages go to stderr, with the caption the window gives them.
class ConsoleSaveHooks : public SaveHooks {
public:
    explicit ConsoleSaveHooks(CommandHost& host) : m_host(host) {}
    bool DirectoryExists(const std::wstring& directory) override { return m_host.DirectoryExists(directory); }
    void OldSwitchRefused() override { Say(L"Access Denied", kOldSwitchText); }
    void Say(const wchar_t* caption, const std::wstring& text) {
        m_host.Err(caption + (L": " + text) + L"\n");
    }

private:
    CommandHost& m_host;
};

SettingsModel FactoryModel(CommandHost& host) {
    SettingsModel model;
    host.ApplyFactoryDefaults(model);
    RecordFactoryValues(model);
    return model;
}

// The window refuses to save while a limit's field holds more characters
// than it takes (a stored value too long for its field, left as it is).
bool LimitsFitTheirFields(const SettingsModel& model, CommandHost& host) {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const SettingInfo& info = kCatalogue[i];
        if (info.kind != SettingKind::Limit || FitsLimitField(static_cast<SettingId>(i), model.text[i]))
            continue;
        host.Err(std::wstring(info.name) + L": the stored value " + model.text[i] + L" is longer than the " +
                 std::to_wstring(info.maxChars) + L" digits its field takes; set " + info.name +
                 L" as well\n");
        return false;
    }
    return true;
}

using Change = std::function<void(SettingsModel& model)>;

// As if the user opened the window, made the change and pressed Save, in one
// pass: read as loading does, change, check, and only then make loading's
// writes and Save's, so that a refused change leaves the registry as it was.
// A revert that is due comes first; beforeWriting runs once the checks passed.
int ChangeSettings(CommandHost& host, const Change& change,
                   const std::function<bool()>& beforeWriting = nullptr) {
    if (!ApplyDueRevert(host)) return kFailure;
    ConsoleSaveHooks hooks(host);
    SettingsModel model = FactoryModel(host);
    const PendingLoad pending = ReadSettingsForChange(host.Registry(), model);
    change(model);
    NormaliseSwitches(model);
    if (!LimitsFitTheirFields(model, host)) return kFailure;
    const SaveVerdict verdict = CheckForSave(model, hooks);
    if (!verdict.Passed()) {
        hooks.Say(L"Error", RefusalText(verdict.failed));
        return kFailure;
    }
    if (beforeWriting && !beforeWriting()) return kFailure;

    const LoadedKey loaded = WritePendingLoad(host.Registry(), pending);
    const SaveOutcome outcome = SaveCheckedSettings(model, loaded, hooks);
    switch (outcome.result) {
        case SaveResult::Written: host.Out(L"Saved the logging settings.\n"); return kSuccess;
        case SaveResult::Unchanged:
            host.Out(L"Nothing to save: the settings already hold these values.\n");
            return kSuccess;
        case SaveResult::Refused: return kFailure;
        case SaveResult::WriteFailed:
            hooks.Say(L"Error", WriteFailedText(outcome.failedValue));
            return kFailure;
    }
    return kFailure;
}

int ApplyEdits(CommandHost& host, const std::vector<SettingEdit>& edits) {
    return ChangeSettings(host, [&](SettingsModel& model) {
        for (const SettingEdit& edit : edits) ApplyEdit(edit, model);
    });
}

std::wstring JoinWords(const std::vector<std::wstring>& words, std::size_t first) {
    std::wstring joined;
    for (std::size_t i = first; i < words.size(); ++i) joined += (i > first ? L" " : L"") + words[i];
    return joined;
}

bool FindPresetOrSay(CommandHost& host, const std::wstring& name, const Preset** preset) {
    const std::optional<PresetId> id = FindPresetByName(name);
    if (!id) {
        host.Err(L"kmxlogcfg: \"" + name + L"\" is not a preset (" + PresetNameList() + L")\n");
        return false;
    }
    *preset = &PresetOf(*id);
    return true;
}

}  // namespace

ShownState ReadShownState(CommandHost& host) {
    ShownState state{FactoryModel(host), {}};
    const SettingsModel factory = state.model;
    const ReadResult read = ReadSettings(host.Registry(), state.model);
    state.settings = ShowSettings(state.model, factory, read.stored);
    return state;
}

int SetSettings(CommandHost& host, const std::vector<std::wstring>& assignments) {
    std::vector<SettingEdit> edits(assignments.size());
    std::wstring problem;
    for (std::size_t i = 0; i < assignments.size(); ++i) {
        if (!ParseAssignment(assignments[i], &edits[i], &problem)) {
            host.Err(L"kmxlogcfg: " + problem + L"\n");
            return kFailure;
        }
    }
    return ApplyEdits(host, edits);
}

int SwitchLogging(CommandHost& host, LoggingSwitch to, const std::vector<std::wstring>& presetWords,
                  std::optional<std::uint64_t> forSeconds) {
    const Preset* preset = nullptr;
    if (!presetWords.empty() && !FindPresetOrSay(host, JoinWords(presetWords, 0), &preset)) return kFailure;
    const int isBESKMX = preset != nullptr && preset->setsOutputOptions ? host.IsBESKMX() : 0;
    const Change change = [&](SettingsModel& model) {
        if (to != LoggingSwitch::Unchanged) model.value[kEnabled] = to == LoggingSwitch::On ? 1 : 0;
        if (preset != nullptr) ApplyPresetMarks(*preset, isBESKMX, model);
    };
    if (!forSeconds) return ChangeSettings(host, change);
    const std::wstring presetName =
        preset != nullptr ? kPresetNames[static_cast<std::size_t>(preset->id)] : L"";
    return EnableFor(host, presetName, *forSeconds, [&](const std::function<bool()>& beforeWriting) {
        return ChangeSettings(host, change, beforeWriting);
    });
}

int ResetSettings(CommandHost& host) {
    return ChangeSettings(host, [&](SettingsModel& model) { host.ApplyFactoryDefaults(model); });
}

int ImportSettings(CommandHost& host, const std::wstring& path) {
    std::vector<SettingEdit> edits;
    std::wstring skipped, problem;
    if (!ReadRegFileEdits(host, path, &edits, &skipped, &problem)) {
        host.Err(problem);
        return kFailure;
    }
    host.Err(skipped);
    return ApplyEdits(host, edits);
}

}  // namespace kmx
