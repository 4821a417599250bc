#include "cli/CollectCommand.h"

#include <memory>

#include "cli/CollectAbout.h"
#include "cli/CollectArchive.h"
#include "cli/CollectFiles.h"
#include "cli/CollectHost.h"
#include "cli/CollectRedaction.h"
#include "cli/ExitCode.h"
#include "cli/ExportCommand.h"
#include "cli/ShowCommand.h"
#include "settings/Utf16.h"

namespace kmx {
namespace {

// The folder a full path is in, with its trailing backslash ("C:\" for a
// file at a drive's root, where "C:" would be the current folder there).
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
}

std::wstring Two(int number) { return (number < 10 ? L"0" : L"") + std::to_wstring(number); }

std::wstring Stamp(const ZipTime& time) {
    return std::to_wstring(time.year) + Two(time.month) + Two(time.day) + L"-" + Two(time.hour) +
           Two(time.minute) + Two(time.second);
}

std::wstring DefaultZipName(const MachineFacts& facts) {
    return L"KMXLogs-" + facts.computer + L"-" + facts.user + L"-" + Stamp(facts.now) + L".zip";
}

// Where the zip goes: FILE as given; into a FOLDER (one that exists, or any
// path that ends like a folder) under the default name; else the default name
// here.
std::wstring ZipPath(CommandHost& host, const std::wstring& given, const std::wstring& defaultName) {
    if (given.empty()) return defaultName;
    const wchar_t last = given.back();
    if (last == L'\\' || last == L'/' || last == L':') return given + defaultName;
    return host.DirectoryExists(given) ? given + L"\\" + defaultName : given;
}

}  // namespace

int Collect(CommandHost& host, const SettingsModel& model, const CollectRequest& request,
            const std::wstring& version) {
    CollectHost* machine = host.Collecting();
    if (machine == nullptr) {
        host.Err(L"kmxlogcfg: collect is not available here\n");
        return kFailure;
    }
    LogSelection selection;
    if (!SelectLogFiles(host, model, request.sinceSeconds, &selection)) return kFailure;
    const MachineFacts facts = machine->Facts();

    // A redacted bundle's name gives away no one.
    const std::wstring defaultName =
        request.redact ? L"KMXLogs-redacted-" + Stamp(facts.now) + L".zip" : DefaultZipName(facts);
    const std::wstring target = ZipPath(host, request.target, defaultName);
    const std::wstring mapPath = request.redact ? RedactionMapPath(target) : L"";
    // By identity: the same folder may be spelled many ways. The map goes
    // beside the zip, so this keeps both out of the log folder.
    if (machine->SameFolder(FolderOf(machine->FullPath(target)), selection.location.folder)) {
        host.Err(L"kmxlogcfg: the zip cannot go into the log folder " + selection.location.folder + L"\n");
        return kFailure;
    }
    // The zip and its map are replaced together or not at all.
    if (RefusesToReplace(host, target, request.replace) ||
        (request.redact && RefusesToReplace(host, mapPath, request.replace)))
        return kFailure;
    std::vector<std::uint8_t> exported = ExportedRegFile(host);
    std::string shown = ToUtf8(SettingsJson(host));

    std::wstring problem;
    std::unique_ptr<CollectOutput> output = machine->CreateOutput(target, &problem);
    std::unique_ptr<CollectOutput> map;
    if (output && request.redact) map = machine->CreateOutput(mapPath, &problem);
    if (!output || (request.redact && !map)) {
        host.Err(L"kmxlogcfg: cannot write " + (output ? mapPath : target) + L": " + problem + L"\n");
        return kFailure;
    }
    // The map grows with every new original: it goes to its file as it comes.
    bool mapWritten = true;
    std::unique_ptr<Redactor> redactor;
    if (map) {
        redactor = std::make_unique<Redactor>(
            CollectRedactionNames(*machine, facts, request.redactAlso), std::string(),
            [&](std::string_view text) { mapWritten = mapWritten && map->Write(text.data(), text.size()); });
        exported = RedactedUtf16Le(*redactor, exported);
        shown = RedactedText(*redactor, shown);
    }
    const auto failed = [&](const std::wstring& path, const std::wstring& why) {
        host.Err(L"kmxlogcfg: cannot write " + path + L": " + why + L"\n");
        return kFailure;
    };
    CollectArchive archive(*output, redactor.get());
    ArchivedLogs archived;
    if (!archive.AddFile("settings.reg", facts.now, std::string(exported.begin(), exported.end())) ||
        !archive.AddFile("settings.json", facts.now, shown) ||
        !archive.AddLogs(host, *machine, selection, &archived))
        return failed(target, output->Problem());
    if (archived.stored == 0 && !selection.files.empty()) {
        host.Err(L"kmxlogcfg: no zip written: no log file in " + selection.location.folder +
                 L" could be read (" + std::to_wstring(selection.files.size()) + L" skipped)\n");
        return kFailure;
    }
    std::string about = ToUtf8(AboutText(host, version, facts, selection, request.sinceSeconds, archived));
    // The summary counts about.txt's own tokens too, and is not itself redacted.
    if (redactor) {
        about = RedactedText(*redactor, about);
        about += ToUtf8(RedactionSummary(*redactor));
    }
    if (!archive.AddFile("about.txt", facts.now, about) || !archive.Finish())
        return failed(target, output->Problem());
    if (map) {
        // The map first: should the zip then fail, the map is taken back.
        const std::string rest = redactor->Map();
        if (!mapWritten || !map->Write(rest.data(), rest.size())) return failed(mapPath, map->Problem());
        if (!map->Commit(request.replace, &problem)) return failed(mapPath, problem);
    }
    if (!output->Commit(request.replace, &problem)) {
        if (map) map->Withdraw();
        return failed(target, problem);
    }
    host.Out(L"Wrote " + target + L": " + std::to_wstring(archived.stored) + L" log files, " +
             std::to_wstring(selection.files.size() - archived.stored) + L" skipped\n" +
             (map ? L"Wrote its map back to the originals, which stays here: " + mapPath + L"\n" : L""));
    return kSuccess;
}

}  // namespace kmx
