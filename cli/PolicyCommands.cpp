#include "cli/PolicyCommands.h"

#include "cli/ExitCode.h"
#include "formats/GppCollection.h"
#include "formats/PolicyTemplates.h"

namespace kmx {
namespace {

std::wstring Join(const std::wstring& dir, const std::wstring& name) {
    const bool separated = !dir.empty() && (dir.back() == L'\\' || dir.back() == L'/');
    return dir + (separated ? L"" : L"\\") + name;
}

std::vector<std::uint8_t> Bytes(const std::string& utf8) { return {utf8.begin(), utf8.end()}; }

}  // namespace

int WritePolicyTemplates(CommandHost& host, const std::wstring& dir, bool replace) {
    const std::wstring languageDir = Join(dir, kAdmlFolderName);
    const std::wstring admx = Join(dir, kAdmxFileName);
    const std::wstring adml = Join(languageDir, kAdmlFileName);
    // Both are checked first, so that a refusal leaves neither changed.
    for (const std::wstring& path : {admx, adml}) {
        if (RefusesToReplace(host, path, replace)) return kFailure;
    }
    std::wstring problem;
    for (const std::wstring& folder : {dir, languageDir}) {
        if (!host.MakeDirectory(folder, &problem)) {
            host.Err(L"kmxlogcfg: cannot create " + folder + L": " + problem + L"\n");
            return kFailure;
        }
    }
    // The language file first: an editor ignores it without its template, but
    // not a template without it.
    const struct {
        const std::wstring& path;
        std::string xml;
    } files[] = {{adml, PolicyResourcesXml()}, {admx, PolicyDefinitionsXml()}};
    for (const auto& file : files) {
        if (!WriteWholeOrSay(host, file.path, Bytes(file.xml), replace)) return kFailure;
    }
    host.Out(L"Wrote " + admx + L"\nWrote " + adml + L"\n");
    return kSuccess;
}

int ExportGpp(CommandHost& host, const std::wstring& path, bool replace,
              const std::vector<ShownSetting>& settings) {
    if (RefusesToReplace(host, path, replace)) return kFailure;
    std::string xml;
    std::wstring problem;
    if (!FormatGppCollection(settings, GppTimeNow(), NewRandomGuid, &xml, &problem)) {
        host.Err(L"kmxlogcfg: cannot export: " + problem + L"\n");
        return kFailure;
    }
    if (!WriteWholeOrSay(host, path, Bytes(xml), replace)) return kFailure;
    host.Out(L"Exported the logging settings to " + path + L" as a Group Policy Preferences collection\n");
    return kSuccess;
}

}  // namespace kmx
