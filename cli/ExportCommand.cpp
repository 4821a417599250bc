#include "cli/ExportCommand.h"

#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "formats/RegFileWriter.h"

namespace kmx {

std::vector<std::uint8_t> ExportedRegFile(CommandHost& host) {
    std::vector<RegFileEntry> entries;
    for (const ShownSetting& setting : ReadShownState(host).settings)
        entries.push_back({Info(setting.id).name, setting.isText, static_cast<std::uint32_t>(setting.number),
                           setting.text});
    return FormatRegFile(LoggingKeyName(), entries);
}

int Export(CommandHost& host, const std::wstring& path, bool replace) {
    if (RefusesToReplace(host, path, replace)) return kFailure;
    if (!WriteWholeOrSay(host, path, ExportedRegFile(host), replace)) return kFailure;
    host.Out(L"Exported the logging settings to " + path + L"\n");
    return kSuccess;
}

}  // namespace kmx
