#include "cli/ShowCommand.h"

#include <cstddef>

#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/TimeBoxCommands.h"
#include "formats/Json.h"

namespace kmx {
namespace {

std::wstring ValueText(const ShownSetting& setting, bool defaults) {
    if (setting.isText) return defaults ? setting.defaultText : setting.text;
    return std::to_wstring(defaults ? setting.defaultNumber : setting.number);
}

std::wstring Padded(std::wstring text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), L' ');
    return text;
}

}  // namespace

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

}  // namespace kmx
