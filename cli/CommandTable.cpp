#include "cli/CommandTable.h"

#include <cstddef>

#include "cli/CheckCommand.h"
#include "cli/CollectCommand.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/ExportCommand.h"
#include "cli/GalSyncCommand.h"
#include "cli/LogsCommand.h"
#include "cli/PolicyCommands.h"
#include "cli/ShowCommand.h"
#include "cli/TimeBoxCommands.h"
#include "settings/AsciiCase.h"

namespace kmx {
namespace {

using CommandHandler = int (*)(CommandHost& host, const CommandArgs& args);

// One line of the usage text and the lines that continue its description.
struct UsageEntry {
    const wchar_t* synopsis;
    const wchar_t* description;  // lines separated by '\n'; may be empty
};

struct Command {
    std::vector<const wchar_t*> verbs;  // its name, then its aliases
    std::vector<UsageEntry> usage;
    unsigned options;  // Option bits
    CommandHandler handler;
};

int UsageError(CommandHost& host, const std::wstring& problem);
int Help(CommandHost& host, const CommandArgs& args);

int RunShow(CommandHost& host, const CommandArgs& args) {
    if (!args.operands.empty()) return UsageError(host, L"show takes only --json");
    return args.json ? ShowJson(host) : Show(host);
}

int RunSet(CommandHost& host, const CommandArgs& args) {
    if (args.operands.empty()) return UsageError(host, L"set needs NAME=VALUE");
    return SetSettings(host, args.operands);
}

int RunEnable(CommandHost& host, const CommandArgs& args) {
    return SwitchLogging(host, LoggingSwitch::On, args.operands, args.forSeconds);
}

int RunExpire(CommandHost& host, const CommandArgs& args) {
    if (!args.operands.empty()) return UsageError(host, L"expire takes only --now");
    return Expire(host, args.now);
}

int RunDisable(CommandHost& host, const CommandArgs& args) {
    if (!args.operands.empty()) return UsageError(host, L"disable takes no arguments");
    return SwitchLogging(host, LoggingSwitch::Off, {}, std::nullopt);
}

int RunPreset(CommandHost& host, const CommandArgs& args) {
    if (args.operands.empty()) return UsageError(host, L"preset needs a preset name");
    return SwitchLogging(host, LoggingSwitch::Unchanged, args.operands, std::nullopt);
}

int RunReset(CommandHost& host, const CommandArgs& args) {
    if (!args.operands.empty()) return UsageError(host, L"reset takes no arguments");
    return ResetSettings(host);
}

int RunExport(CommandHost& host, const CommandArgs& args) {
    if (args.operands.size() != 1)
        return UsageError(host, std::wstring(args.gpp ? L"export --gpp" : L"export") +
                                    L" takes FILE and, to replace it, /y");
    if (args.gpp) return ExportGpp(host, args.operands[0], args.replace, ReadShownState(host).settings);
    return Export(host, args.operands[0], args.replace);
}

int RunImport(CommandHost& host, const CommandArgs& args) {
    if (args.operands.size() != 1) return UsageError(host, L"import takes one FILE");
    return ImportSettings(host, args.operands[0]);
}

int RunCheck(CommandHost& host, const CommandArgs& args) { return Check(host, args.operands); }

int RunGalSync(CommandHost& host, const CommandArgs& args) {
    if (!args.operands.empty()) return UsageError(host, L"gal-sync takes only --full");
    return GalSync(host, args.full);
}

int RunAdmx(CommandHost& host, const CommandArgs& args) {
    if (args.operands.size() != 1) return UsageError(host, L"admx takes DIR and, to replace its files, /y");
    return WritePolicyTemplates(host, args.operands[0], args.replace);
}

int RunLogs(CommandHost& host, const CommandArgs& args) {
    if (!args.operands.empty()) return UsageError(host, L"logs takes only --json");
    return ShowLogs(host, ReadShownState(host).model, args.json);
}

int RunCollect(CommandHost& host, const CommandArgs& args) {
    CollectRequest request;
    request.replace = args.replace;
    request.sinceSeconds = args.sinceSeconds.value_or(0);
    request.redact = args.redact || !args.redactAlso.empty();
    request.redactAlso = args.redactAlso;
    for (const std::wstring& word : args.operands) {
        if (!request.target.empty() || word.empty() || word[0] == L'-' || word[0] == L'/') {
            host.Err(
                L"kmxlogcfg: collect takes [FILE.zip | FOLDER] [/y] [--since DURATION] [--redact] "
                L"[--redact-also TEXT], not \"" +
                word + L"\"\n");
            return kFailure;
        }
        request.target = word;
    }
    return Collect(host, ReadShownState(host).model, request, args.version);
}

int Version(CommandHost& host, const CommandArgs& args) {
    if (!args.operands.empty()) return UsageError(host, L"unknown command \"" + args.verb + L"\"");
    host.Out(L"kmxlogcfg " + args.version + L"\n");
    return kSuccess;
}

// In the order of the usage text.
const Command kCommands[] = {
    {{L"show"},
     {{L"show [--json]", L"the 57 settings, their factory defaults and what differs"}},
     kJsonOption,
     RunShow},
    {{L"set"},
     {{L"set NAME=VALUE ...", L"change settings; NAME is a value name, LogDirectory or LogFilePrefix"}},
     0,
     RunSet},
    {{L"enable"},
     {{L"enable [PRESET]", L"switch logging on (and apply a preset's marks)"},
      {L"enable [PRESET] --for DURATION",
       L"the same for a while (90m, 4h, 2d; 1s to 30d), then the earlier\n"
       L"settings come back, except those changed since"}},
     kForOption,
     RunEnable},
    {{L"expire"},
     {{L"expire [--now]", L"put them back now if that is due (with --now: end it now)"}},
     kNowOption,
     RunExpire},
    {{L"disable"}, {{L"disable", L"switch logging off"}}, 0, RunDisable},
    {{L"preset"},
     {{L"preset PRESET", L"apply a preset's marks (the presets are listed below)"}},
     0,
     RunPreset},
    {{L"reset"}, {{L"reset", L"every setting back to its factory default"}}, 0, RunReset},
    {{L"export"},
     {{L"export FILE [/y]", L"write the settings to a .reg file (/y replaces FILE)"},
      {L"export --gpp FILE [/y]", L"write them as a Group Policy Preferences registry collection"}},
     kGppOption | kReplaceOption,
     RunExport},
    {{L"import"}, {{L"import FILE", L"apply the logging values of a .reg file"}}, 0, RunImport},
    {{L"check"},
     {{L"check BASELINE... [--json | --configmgr]",
       L"whether the settings hold what FILE.reg, --preset PRESET and\n"
       L"NAME=VALUE want (later ones win); writes nothing; exit status\n"
       L"0 yes, 1 no, 2 the check could not be made"}},
     kOwnOptions,
     RunCheck},
    {{L"gal-sync"},
     {{L"gal-sync [--full]", L"ask the connector to update (or, with --full, reset) its GAL copy"}},
     kFullOption,
     RunGalSync},
    {{L"admx"},
     {{L"admx DIR [/y]", L"write the administrative templates (DIR\\KMXLogCtl.admx, en-US\\...adml)"}},
     kReplaceOption,
     RunAdmx},
    {{L"logs"},
     {{L"logs [--json]", L"the log folder, its files, their total size and age, the free space"}},
     kJsonOption,
     RunLogs},
    {{L"collect"},
     {{L"collect [FILE.zip | FOLDER] [/y] [--since DURATION]",
       L"one zip of the log files (those written within DURATION) and the\n"
       L"settings for a support case (/y replaces FILE)"},
      {L"collect ... --redact [--redact-also TEXT]...",
       L"the same with mail addresses, names, hosts and IP addresses (and\n"
       L"each TEXT) replaced by tokens; the map back, FILE.map.tsv, stays here"}},
     kReplaceOption | kSinceOption | kRedactOption | kRedactAlsoOption,
     RunCollect},
    {{L"help", L"/?", L"-?", L"--help", L"-h"}, {{L"help, /?, --version", L""}}, 0, Help},
    {{L"--version", L"/version", L"version"}, {}, 0, Version},
};

const Command* FindCommand(const std::wstring& verb) {
    for (const Command& command : kCommands)
        for (const wchar_t* name : command.verbs)
            if (EqualsIgnoringAsciiCase(verb, name)) return &command;
    return nullptr;
}

// A description starts in this column, below a synopsis that reaches it.
constexpr std::size_t kDescriptionColumn = 26;

// The synopsis, and its description beside it when it fits, else below it.
std::wstring UsageLines(const UsageEntry& entry) {
    std::wstring text = L"  " + std::wstring(entry.synopsis);
    const std::wstring description = entry.description;
    if (description.empty()) return text + L"\n";
    const std::wstring indent(kDescriptionColumn, L' ');
    if (text.size() + 2 > kDescriptionColumn)
        text += L"\n" + indent;
    else
        text.resize(kDescriptionColumn, L' ');
    for (const wchar_t c : description) text += c == L'\n' ? L"\n" + indent : std::wstring(1, c);
    return text + L"\n";
}

std::wstring CommandLines() {
    std::wstring lines;
    for (const Command& command : kCommands)
        for (const UsageEntry& entry : command.usage) lines += UsageLines(entry);
    return lines;
}

std::wstring Usage() {
    return L"Usage: kmxlogcfg COMMAND [ARGUMENTS]\n"
           L"Shows and changes the Korvex connector's logging settings of the user who runs it\n"
           L"(HKEY_CURRENT_USER\\Software\\Korvex\\Logging), with the checks of the logging window.\n"
           L"\n" +
           CommandLines() +
           L"\n"
           L"A change is checked and saved as the window's Save does: all values or nothing.\n"
           L"Exit status: 0 on success, 1 on any failure.\n"
           L"Presets: " +
           PresetNameList() + L"\n";
}

int UsageError(CommandHost& host, const std::wstring& problem) {
    host.Err(L"kmxlogcfg: " + problem + L"\n" + Usage());
    return kFailure;
}

int Help(CommandHost& host, const CommandArgs& args) {
    if (!args.operands.empty()) return UsageError(host, L"help takes no arguments");
    host.Out(Usage());
    return kSuccess;
}

// The verbs whose commands take `option`, for the message that refuses it
// elsewhere.
std::wstring VerbsTaking(Option option) {
    std::wstring verbs;
    for (const Command& command : kCommands)
        if ((command.options & option) != 0)
            verbs += (verbs.empty() ? L"" : L", ") + std::wstring(command.verbs[0]);
    return verbs;
}

}  // namespace

int RunCommandLine(const std::vector<std::wstring>& args, const std::wstring& version, CommandHost& host) {
    CommandArgs parsed;
    parsed.verb = args.empty() ? L"help" : args[0];
    parsed.version = version;
    const std::vector<std::wstring> words(args.begin() + (args.empty() ? 0 : 1), args.end());
    const Command* command = FindCommand(parsed.verb);
    // --for would change the settings for a while: after any other verb it
    // is refused, not taken for a file or preset name. Help answers first.
    if (command == nullptr ||
        (command->handler != Help && (command->options & (kForOption | kOwnOptions)) == 0)) {
        for (const std::wstring& word : words)
            if (IsOptionWord(word, kForOption))
                return UsageError(host, L"--for goes only with " + VerbsTaking(kForOption));
    }
    if (command == nullptr) return UsageError(host, L"unknown command \"" + parsed.verb + L"\"");
    ArgsProblem problem;
    if (!ParseCommandArgs(words, command->options, &parsed, &problem)) {
        host.Err(L"kmxlogcfg: " + problem.text + L"\n" + (problem.withUsage ? Usage() : L""));
        return kFailure;
    }
    // One kmxlogcfg at a time per user reads or changes the settings and the
    // time box; help and the version touch neither.
    if (command->handler != Help && command->handler != Version) {
        std::wstring busy;
        if (!host.LockUserState(&busy)) {
            host.Err(L"kmxlogcfg: " + busy + L"\n");
            return kFailure;
        }
    }
    return command->handler(host, parsed);
}

}  // namespace kmx
