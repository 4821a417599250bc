#include "cli/Commands.h"

#include <cstddef>
#include <functional>

#include "cli/CollectCommand.h"
#include "formats/Json.h"
#include "cli/LogsCommand.h"
#include "cli/PolicyCommands.h"
#include "formats/RegFileReader.h"
#include "formats/RegFileWriter.h"
#include "cli/SettingEdits.h"
#include "settings/SettingsView.h"
#include "cli/TimeBoxCommands.h"
#include "settings/AsciiCase.h"
#include "settings/FieldRules.h"
#include "cli/Duration.h"
#include "settings/GalSync.h"
#include "settings/Loader.h"
#include "settings/Presets.h"
#include "settings/RegistryLayout.h"
#include "settings/Saver.h"

namespace kmx {
namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;

const wchar_t kUsage[] =
    L"Usage: kmxlogcfg COMMAND [ARGUMENTS]\n"
    L"Shows and changes the Korvex connector's logging settings of the user who runs it\n"
    L"(HKEY_CURRENT_USER\\Software\\Korvex\\Logging), with the checks of the logging window.\n"
    L"\n"
    L"  show [--json]           the 57 settings, their factory defaults and what differs\n"
    L"  set NAME=VALUE ...      change settings; NAME is a value name, LogDirectory or LogFilePrefix\n"
    L"  enable [PRESET]         switch logging on (and apply a preset's marks)\n"
    L"  enable [PRESET] --for DURATION\n"
    L"                          the same for a while (90m, 4h, 2d; 1s to 30d), then the earlier\n"
    L"                          settings come back, except those changed since\n"
    L"  expire [--now]          put them back now if that is due (with --now: end it now)\n"
    L"  disable                 switch logging off\n"
    L"  preset PRESET           apply a preset's marks (the presets are listed below)\n"
    L"  reset                   every setting back to its factory default\n"
    L"  export FILE [/y]        write the settings to a .reg file (/y replaces FILE)\n"
    L"  export --gpp FILE [/y]  write them as a Group Policy Preferences registry collection\n"
    L"  import FILE             apply the logging values of a .reg file\n"
    L"  gal-sync [--full]       ask the connector to update (or, with --full, reset) its GAL copy\n"
    L"  admx DIR [/y]           write the administrative templates (DIR\\KMXLogCtl.admx, en-US\\...adml)\n"
    L"  logs [--json]           the log folder, its files, their total size and age, the free space\n"
    L"  collect [FILE.zip] [/y] [--since DURATION]\n"
    L"                          one zip of the log files (those written within DURATION) and the\n"
    L"                          settings for a support case (/y replaces FILE)\n"
    L"  help, /?, --version\n"
    L"\n"
    L"A change is checked and saved as the window's Save does: all values or nothing.\n"
    L"Exit status: 0 on success, 1 on any failure.\n";

std::wstring PresetNameList() {
    std::wstring names;
    for (const wchar_t* name : kPresetNames) names += (names.empty() ? L"" : L", ") + std::wstring(name);
    return names;
}

// The usage text, with the presets' names as their buttons show them.
std::wstring Usage() { return kUsage + (L"Presets: " + PresetNameList() + L"\n"); }

std::wstring LoggingKeyName() { return std::wstring(L"HKEY_CURRENT_USER\\") + kLoggingKeyPath; }

bool IsOneOf(const std::wstring& word, std::initializer_list<const wchar_t*> choices) {
    for (const wchar_t* choice : choices) {
        if (EqualsIgnoringAsciiCase(word, choice)) return true;
    }
    return false;
}

int UsageError(CommandHost& host, const std::wstring& problem) {
    host.Err(L"kmxlogcfg: " + problem + L"\n" + Usage());
    return kFailure;
}

// Save's messages go to stderr, with the caption the window gives them.
class ConsoleSaveHooks : public SaveHooks {
public:
    explicit ConsoleSaveHooks(CommandHost& host) : m_host(host) {}
    bool DirectoryExists(const std::wstring& directory) override { return m_host.DirectoryExists(directory); }
    void FocusSetting(SettingId) override {}
    void ShowMessage(const std::wstring& text, const std::wstring& caption, unsigned) override {
        m_host.Err(caption + L": " + text + L"\n");
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
    if (!LimitsFitTheirFields(model, host) || !PassesSaveChecks(model, hooks)) return kFailure;
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
            host.Err(kErrorCaption + std::wstring(L": ") + WriteFailedText(outcome.failedValue) + L"\n");
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

// ---- Reading ----

struct ShownState {
    SettingsModel model;
    std::vector<ShownSetting> settings;
};

ShownState ReadShownState(CommandHost& host) {
    ShownState state{FactoryModel(host), {}};
    const SettingsModel factory = state.model;
    const ReadResult read = ReadSettings(host.Registry(), state.model);
    state.settings = ShowSettings(state.model, factory, read.stored);
    return state;
}

std::wstring ValueText(const ShownSetting& setting, bool defaults) {
    if (setting.isText) return defaults ? setting.defaultText : setting.text;
    return std::to_wstring(defaults ? setting.defaultNumber : setting.number);
}

std::wstring Padded(std::wstring text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), L' ');
    return text;
}

int Show(CommandHost& host) {
    const ShownState state = ReadShownState(host);
    std::wstring out = L"Key:             " + LoggingKeyName() + L"\n";
    out += std::wstring(L"Logging:         ") + (state.model.value[kEnabled] != 0 ? L"on" : L"off") + L"\n";
    out += L"Log directory:   " + state.model.logDirectory + L"\n";
    out += L"Log file prefix: " + state.model.logFilePrefix + L"\n";
    out += TimeBoxLine(host) + L"\n";
    out += Padded(L"Name", 24) + Padded(L"Value", 12) + L"Default\n";
    bool missing = false, differs = false;
    for (const ShownSetting& setting : state.settings) {
        std::wstring marks;
        if (setting.Differs()) marks += L" *";
        if (!setting.stored) marks += L" !";
        missing = missing || !setting.stored;
        differs = differs || setting.Differs();
        if (setting.isText) {
            out += Padded(Info(setting.id).name, 24) + setting.text + marks + L"\n" + Padded(L"", 24) +
                   L"default " + setting.defaultText + L"\n";
        } else {
            out += Padded(Info(setting.id).name, 24) + Padded(ValueText(setting, false), 12) +
                   ValueText(setting, true) + marks + L"\n";
        }
    }
    if (differs || missing) out += L"\n";
    if (differs) out += L"* differs from the factory default\n";
    if (missing) out += L"! missing or unreadable: shown as the window would show it\n";
    host.Out(out);
    return kSuccess;
}

int ShowJson(CommandHost& host) {
    host.Out(SettingsJson(host));
    return kSuccess;
}

int Export(CommandHost& host, const std::wstring& path, bool replace) {
    if (RefusesToReplace(host, path, replace)) return kFailure;
    std::wstring problem;
    if (!host.WriteFileWhole(path, ExportedRegFile(host), replace, &problem)) {
        host.Err(L"kmxlogcfg: cannot write " + path + L": " + problem + L"\n");
        return kFailure;
    }
    host.Out(L"Exported the logging settings to " + path + L"\n");
    return kSuccess;
}

// ---- Import ----

std::wstring Where(const std::wstring& path, int line) {
    return path + L":" + std::to_wstring(line > 0 ? line : 1) + L": ";
}

int Import(CommandHost& host, const std::wstring& path) {
    std::vector<std::uint8_t> bytes;
    std::wstring problem;
    if (!host.ReadFile(path, kRegFileMaxBytes, &bytes, &problem)) {
        host.Err(L"kmxlogcfg: cannot read " + path + L": " + problem + L"\n");
        return kFailure;
    }
    RegFileContent content;
    RegFileError error;
    if (!ParseRegFile(bytes.data(), bytes.size(), &content, &error)) {
        host.Err(Where(path, error.line) + error.reason + L"\n");
        return kFailure;
    }

    std::vector<SettingEdit> edits;
    bool sawLoggingKey = false;
    std::wstring skipped;
    for (const RegFileSection& section : content.sections) {
        if (section.deleteKey) {
            host.Err(Where(path, section.line) + L"deleting a key is not allowed: [-" + section.keyPath +
                     L"]\n");
            return kFailure;
        }
        const bool logging = IsOneOf(section.keyPath, {LoggingKeyName().c_str()});
        sawLoggingKey = sawLoggingKey || logging;
        if (!logging)
            skipped +=
                Where(path, section.line) + L"skipped [" + section.keyPath + L"]: not the logging key\n";
        for (const RegFileValue& value : section.values) {
            if (value.kind == RegFileValue::Kind::Delete) {
                host.Err(Where(path, value.line) + L"deleting a value is not allowed: \"" + value.name +
                         L"\"\n");
                return kFailure;
            }
            if (!logging) continue;
            const std::optional<SettingId> setting = FindSettingByName(value.name);
            if (!setting) {
                skipped +=
                    Where(path, value.line) + L"skipped \"" + value.name + L"\": not a logging setting\n";
                continue;
            }
            if (!EditsFromRegValue(*setting, value, &edits, &problem)) {
                host.Err(Where(path, value.line) + problem + L"\n");
                return kFailure;
            }
        }
    }
    if (!sawLoggingKey) {
        host.Err(Where(path, 1) + L"no [" + LoggingKeyName() + L"] section\n");
        return kFailure;
    }
    host.Err(skipped);
    return ApplyEdits(host, edits);
}

int GalSync(CommandHost& host, bool full) {
    std::wstring message;
    const GalSyncResult result =
        TriggerGalSync(host.Registry(), full ? kForceGalSyncPrefix : kForceGalSyncDeltaPrefix,
                       [&](const std::wstring& text) { message = text; });
    for (const std::wstring& name : result.written)
        host.Out(L"Wrote HKEY_CURRENT_USER\\" + std::wstring(kKorvexKeyPath) + L"\\" + name + L" = 1\n");
    if (!result.succeeded) {
        host.Err(message + L"\n");
        return kFailure;
    }
    host.Out(message + L"\n");
    return kSuccess;
}

}  // namespace

std::wstring SettingsJson(CommandHost& host) {
    const ShownState state = ReadShownState(host);
    std::wstring out = L"{\"key\": " + JsonString(LoggingKeyName());
    out += std::wstring(L", \"logging\": ") + (state.model.value[kEnabled] != 0 ? L"true" : L"false");
    out += L", \"logDirectory\": " + JsonString(state.model.logDirectory);
    out += L", \"logFilePrefix\": " + JsonString(state.model.logFilePrefix);
    out += L", \"settings\": [";
    for (std::size_t i = 0; i < state.settings.size(); ++i) {
        const ShownSetting& setting = state.settings[i];
        const auto value = [&](bool defaults) {
            return setting.isText ? JsonString(defaults ? setting.defaultText : setting.text)
                                  : ValueText(setting, defaults);
        };
        out += (i > 0 ? L", " : L"") + std::wstring(L"{\"name\": ") + JsonString(Info(setting.id).name) +
               L", \"value\": " + value(false) + L", \"default\": " + value(true) + L", \"stored\": " +
               (setting.stored ? L"true" : L"false") + L"}";
    }
    return out + L"], \"timeBox\": " + TimeBoxJson(host) + L"}\n";
}

std::vector<std::uint8_t> ExportedRegFile(CommandHost& host) {
    std::vector<RegFileEntry> entries;
    for (const ShownSetting& setting : ReadShownState(host).settings)
        entries.push_back({Info(setting.id).name, setting.isText, static_cast<std::uint32_t>(setting.number),
                           setting.text});
    return FormatRegFile(LoggingKeyName(), entries);
}

int RunCommandLine(const std::vector<std::wstring>& args, const std::wstring& version, CommandHost& host) {
    if (args.empty() || IsOneOf(args[0], {L"help", L"/?", L"-?", L"--help", L"-h"})) {
        if (args.size() > 1) return UsageError(host, L"help takes no arguments");
        host.Out(Usage());
        return kSuccess;
    }
    const std::wstring& verb = args[0];
    const std::size_t count = args.size() - 1;
    if (IsOneOf(verb, {L"--version", L"/version", L"version"}) && count == 0) {
        host.Out(L"kmxlogcfg " + version + L"\n");
        return kSuccess;
    }
    std::wstring busy;
    if (!host.LockUserState(&busy)) {
        host.Err(L"kmxlogcfg: " + busy + L"\n");
        return kFailure;
    }
    // --for DURATION, with enable only; the words before it are the preset.
    std::optional<std::uint64_t> duration;
    std::vector<std::wstring> words = args;
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (!IsOneOf(words[i], {L"--for", L"/for"})) continue;
        if (!IsOneOf(verb, {L"enable"})) return UsageError(host, L"--for goes only with enable");
        std::uint64_t seconds = 0;
        std::wstring problem;
        if (!ParseDuration(i + 1 < words.size() ? words[i + 1] : L"", &seconds, &problem) ||
            i + 2 < words.size()) {
            return UsageError(host, i + 2 < words.size() ? L"--for DURATION comes last" : problem);
        }
        duration = seconds;
        words.resize(i);
        break;
    }
    if (IsOneOf(verb, {L"show"})) {
        if (count == 0) return Show(host);
        if (count == 1 && IsOneOf(args[1], {L"--json", L"/json"})) return ShowJson(host);
        return UsageError(host, L"show takes only --json");
    }
    if (IsOneOf(verb, {L"set"})) {
        if (count == 0) return UsageError(host, L"set needs NAME=VALUE");
        std::vector<SettingEdit> edits(count);
        std::wstring problem;
        for (std::size_t i = 0; i < count; ++i) {
            if (!ParseAssignment(args[i + 1], &edits[i], &problem)) {
                host.Err(L"kmxlogcfg: " + problem + L"\n");
                return kFailure;
            }
        }
        return ApplyEdits(host, edits);
    }
    if (IsOneOf(verb, {L"expire"})) {
        if (count == 0) return Expire(host, false);
        if (count == 1 && IsOneOf(args[1], {L"--now", L"/now"})) return Expire(host, true);
        return UsageError(host, L"expire takes only --now");
    }
    if (IsOneOf(verb, {L"enable", L"disable", L"preset"})) {
        const std::size_t count = words.size() - 1;
        const std::vector<std::wstring>& args = words;
        const bool disable = IsOneOf(verb, {L"disable"});
        const bool presetOnly = IsOneOf(verb, {L"preset"});
        if (disable && count > 0) return UsageError(host, L"disable takes no arguments");
        if (presetOnly && count == 0) return UsageError(host, L"preset needs a preset name");
        const Preset* preset = nullptr;
        if (count > 0 && !FindPresetOrSay(host, JoinWords(args, 1), &preset)) return kFailure;
        const int isBESKMX = preset != nullptr && preset->setsOutputOptions ? host.IsBESKMX() : 0;
        const Change change = [&](SettingsModel& model) {
            if (!presetOnly) model.value[kEnabled] = disable ? 0 : 1;
            if (preset != nullptr) ApplyPresetMarks(*preset, isBESKMX, model);
        };
        if (!duration) return ChangeSettings(host, change);
        const std::wstring presetName =
            preset != nullptr ? kPresetNames[static_cast<std::size_t>(preset->id)] : L"";
        return EnableFor(host, presetName, *duration, [&](const std::function<bool()>& beforeWriting) {
            return ChangeSettings(host, change, beforeWriting);
        });
    }
    if (IsOneOf(verb, {L"reset"})) {
        if (count > 0) return UsageError(host, L"reset takes no arguments");
        return ChangeSettings(host, [&](SettingsModel& model) { host.ApplyFactoryDefaults(model); });
    }
    if (IsOneOf(verb, {L"export"}) && count >= 1 && IsOneOf(args[1], {L"--gpp", L"/gpp"})) {
        if (count == 2) return ExportGpp(host, args[2], false, ReadShownState(host).settings);
        if (count == 3 && IsOneOf(args[3], {L"/y", L"-y"}))
            return ExportGpp(host, args[2], true, ReadShownState(host).settings);
        return UsageError(host, L"export --gpp takes FILE and, to replace it, /y");
    }
    if (IsOneOf(verb, {L"admx"})) {
        if (count == 1) return WritePolicyTemplates(host, args[1], false);
        if (count == 2 && IsOneOf(args[2], {L"/y", L"-y"})) return WritePolicyTemplates(host, args[1], true);
        return UsageError(host, L"admx takes DIR and, to replace its files, /y");
    }
    if (IsOneOf(verb, {L"export"})) {
        if (count == 1) return Export(host, args[1], false);
        if (count == 2 && IsOneOf(args[2], {L"/y", L"-y"})) return Export(host, args[1], true);
        return UsageError(host, L"export takes FILE and, to replace it, /y");
    }
    if (IsOneOf(verb, {L"import"})) {
        if (count != 1) return UsageError(host, L"import takes one FILE");
        return Import(host, args[1]);
    }
    if (IsOneOf(verb, {L"gal-sync"})) {
        if (count == 0) return GalSync(host, false);
        if (count == 1 && IsOneOf(args[1], {L"--full", L"/full"})) return GalSync(host, true);
        return UsageError(host, L"gal-sync takes only --full");
    }
    if (IsOneOf(verb, {L"logs"})) {
        if (count == 0) return ShowLogs(host, ReadShownState(host).model, false);
        if (count == 1 && IsOneOf(args[1], {L"--json", L"/json"}))
            return ShowLogs(host, ReadShownState(host).model, true);
        return UsageError(host, L"logs takes only --json");
    }
    if (IsOneOf(verb, {L"collect"}))
        return Collect(host, ReadShownState(host).model, {args.begin() + 1, args.end()}, version);
    return UsageError(host, L"unknown command \"" + verb + L"\"");
}

}  // namespace kmx
