#include "cli/CheckCommand.h"

#include <array>
#include <cstdint>
#include <optional>

#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/RegFileEdits.h"
#include "cli/SettingEdits.h"
#include "cli/TimeBox.h"
#include "formats/Json.h"
#include "settings/AsciiCase.h"
#include "settings/Loader.h"
#include "settings/Presets.h"
#include "settings/Saver.h"
#include "settings/SettingOrders.h"
#include "settings/Utf16.h"

namespace kmx {
namespace {

constexpr int kCompliant = kSuccess;
constexpr int kDrift = kFailure;

// Longest text or data shown for one value on the line, so that one huge
// value cannot push every other name out of it.
constexpr std::size_t kShownTextMax = 120;
constexpr std::size_t kShownBytesMax = 32;

const wchar_t kCheckUsage[] =
    L"Usage: kmxlogcfg check FILE.reg | --preset PRESET | NAME=VALUE ... [--json | --configmgr]\n";

enum class Output { Line, Json, ConfigMgr };

struct Baseline {
    SettingsModel model;  // the settings as read, then each baseline in turn
    std::array<bool, kSettingCount> named{};
};

void Take(const SettingEdit& edit, Baseline& baseline) {
    ApplyEdit(edit, baseline.model);
    baseline.named[edit.field == SettingEdit::Field::Setting ? edit.setting : kFileName] = true;
}

void TakePreset(const Preset& preset, int isBESKMX, Baseline& baseline) {
    baseline.model.value[kEnabled] = 1;
    ApplyPresetMarks(preset, isBESKMX, baseline.model);
    baseline.named[kEnabled] = true;
    baseline.named[kThreadAllThreads] = true;
    for (const PresetMark& mark : preset.boxMarks) baseline.named[mark.setting] = true;
    for (const PresetMark& mark : OutputOptionMarks(preset, isBESKMX)) baseline.named[mark.setting] = true;
}

RecordedValue Dword(std::uint32_t bits) {
    return {true,
            kRegDword,
            {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
             static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)}};
}

RecordedValue WhatSaveWrites(const SettingsModel& model, SettingId id) {
    const ValueToWrite value = ValueSaveWrites(model, id);
    if (!value.isText) return Dword(value.number);
    return {true, kRegSz, ToUtf16LeBytes(value.text, true)};
}

// ---- Showing a value ----

// A value as people read it: a DWORD as the window shows it, a string of one
// terminated text as that text, anything else as its type and bytes.
struct Reading {
    enum class Shape { Missing, Number, Text, Other } shape = Shape::Missing;
    std::int32_t number = 0;
    std::wstring text;
};

Reading Read(const RecordedValue& value) {
    Reading reading;
    const std::vector<std::uint8_t>& bytes = value.bytes;
    if (!value.present) return reading;
    if (value.type == kRegDword && bytes.size() == 4) {
        reading.shape = Reading::Shape::Number;
        reading.number = static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                                   static_cast<std::uint32_t>(bytes[3]) << 24);
        return reading;
    }
    if (value.type == kRegSz && bytes.size() >= 2 && bytes.size() % 2 == 0) {
        const std::u16string units = UnitsFromLeBytes(bytes.data(), bytes.size());
        if (units.find(u'\0') == units.size() - 1) {
            reading.shape = Reading::Shape::Text;
            reading.text = TextFromUtf16LeBytes(bytes.data(), bytes.size());
            return reading;
        }
    }
    reading.shape = Reading::Shape::Other;
    return reading;
}

std::wstring TypeName(std::uint32_t type) {
    static const wchar_t* const kNames[] = {L"REG_NONE",
                                            L"REG_SZ",
                                            L"REG_EXPAND_SZ",
                                            L"REG_BINARY",
                                            L"REG_DWORD",
                                            L"REG_DWORD_BIG_ENDIAN",
                                            L"REG_LINK",
                                            L"REG_MULTI_SZ",
                                            L"REG_RESOURCE_LIST",
                                            L"REG_FULL_RESOURCE_DESCRIPTOR",
                                            L"REG_RESOURCE_REQUIREMENTS_LIST",
                                            L"REG_QWORD"};
    return type < sizeof(kNames) / sizeof(kNames[0]) ? kNames[type] : L"type " + std::to_wstring(type);
}

std::wstring Hex(const std::vector<std::uint8_t>& bytes, std::size_t max) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring hex;
    for (std::size_t i = 0; i < bytes.size() && i < max; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
    }
    return bytes.size() > max ? hex + L"..." : hex;
}

// Quoted and kept on one line: control characters as <U+000A>.
std::wstring LineText(const std::wstring& text) {
    std::wstring shown = L"\"";
    for (std::size_t i = 0; i < text.size() && i < kShownTextMax; ++i) {
        const wchar_t c = text[i];
        if (c < 0x20 || c == 0x7f) {
            static const wchar_t kDigits[] = L"0123456789ABCDEF";
            shown += std::wstring(L"<U+00") + kDigits[(c >> 4) & 15] + kDigits[c & 15] + L">";
        } else {
            shown += c;
        }
    }
    return shown + (text.size() > kShownTextMax ? L"...\"" : L"\"");
}

std::wstring LineValue(const RecordedValue& value) {
    const Reading reading = Read(value);
    switch (reading.shape) {
        case Reading::Shape::Missing: return L"missing";
        case Reading::Shape::Number: return std::to_wstring(reading.number);
        case Reading::Shape::Text: return LineText(reading.text);
        case Reading::Shape::Other: break;
    }
    return TypeName(value.type) + L" " + Hex(value.bytes, kShownBytesMax);
}

std::wstring JsonValue(const RecordedValue& value) {
    const Reading reading = Read(value);
    switch (reading.shape) {
        case Reading::Shape::Missing: return L"null";
        case Reading::Shape::Number: return std::to_wstring(reading.number);
        case Reading::Shape::Text: return JsonString(reading.text);
        case Reading::Shape::Other: break;
    }
    return L"{\"type\": " + JsonString(TypeName(value.type)) + L", \"data\": " +
           JsonString(Hex(value.bytes, value.bytes.size())) + L"}";
}

// ---- The answer ----

struct Comparison {
    std::vector<SettingId> checked;  // Save's order
    std::vector<SettingId> differing;
    KeyRecord wanted;
    KeyRecord held;
};

std::wstring Entry(const Comparison& comparison, SettingId id) {
    return std::wstring(Info(id).name) + L" " + LineValue(comparison.held[id]) + L" (wants " +
           LineValue(comparison.wanted[id]) + L")";
}

// One line, cut before the entry that would not leave room for "and N more".
std::wstring Line(const Comparison& c) {
    const std::wstring of = std::to_wstring(c.checked.size());
    if (c.differing.empty())
        return L"Compliant: " + of + L" of " + of + L" values hold what the baseline wants\n";
    const auto more = [&](std::size_t left) {
        return left == 0 ? std::wstring() : L", and " + std::to_wstring(left) + L" more";
    };
    std::wstring line =
        L"NonCompliant: " + std::to_wstring(c.differing.size()) + L" of " + of + L" values differ: ";
    std::size_t shown = 0;
    for (; shown < c.differing.size(); ++shown) {
        const std::wstring next = (shown > 0 ? L", " : L"") + Entry(c, c.differing[shown]);
        const std::size_t left = c.differing.size() - shown - 1;
        if (line.size() + next.size() + more(left).size() + 1 > kCheckLineMax) break;
        line += next;
    }
    return line + more(c.differing.size() - shown) + L"\n";
}

std::wstring Json(const Comparison& c) {
    const auto state = [&](const KeyRecord& values) {
        std::wstring out;
        for (const SettingId id : c.checked)
            out += (out.empty() ? L"" : L", ") + JsonString(Info(id).name) + L": " + JsonValue(values[id]);
        return L"{" + out + L"}";
    };
    std::wstring names;
    for (const SettingId id : c.differing) names += (names.empty() ? L"" : L", ") + JsonString(Info(id).name);
    return std::wstring(L"{\"_inDesiredState\": ") + (c.differing.empty() ? L"true" : L"false") +
           L", \"desiredState\": " + state(c.wanted) + L", \"actualState\": " + state(c.held) +
           L", \"differingProperties\": [" + names + L"]}\n";
}

int CannotCheck(CommandHost& host, const std::wstring& problem, bool usage = false) {
    host.Err(L"kmxlogcfg: " + problem + L"\n" + (usage ? kCheckUsage : L""));
    return kCannotCheck;
}

// NAME=VALUE rather than a file: a name of letters and digits before the '='.
bool IsAssignment(const std::wstring& word) {
    const std::size_t equals = word.find(L'=');
    if (equals == std::wstring::npos || equals == 0) return false;
    for (std::size_t i = 0; i < equals; ++i) {
        const wchar_t c = word[i];
        if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))) return false;
    }
    return true;
}

}  // namespace

int Check(CommandHost& host, const std::vector<std::wstring>& args) {
    KeyRecord held;
    const RegStatus status = ReadLoggingValues(host.Registry(), &held);
    if (status != kErrorSuccess)
        return CannotCheck(host, L"cannot read " + LoggingKeyName() + L": error " + std::to_wstring(status));
    Baseline baseline;
    host.ApplyFactoryDefaults(baseline.model);
    ReadSettings(host.Registry(), baseline.model);

    Output output = Output::Line;
    bool anyBaseline = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& word = args[i];
        const bool json = EqualsIgnoringAsciiCase(word, L"--json") || EqualsIgnoringAsciiCase(word, L"/json");
        if (json || EqualsIgnoringAsciiCase(word, L"--configmgr") ||
            EqualsIgnoringAsciiCase(word, L"/configmgr")) {
            const Output chosen = json ? Output::Json : Output::ConfigMgr;
            if (output != Output::Line && output != chosen)
                return CannotCheck(host, L"check takes --json or --configmgr, not both", true);
            output = chosen;
            continue;
        }
        anyBaseline = true;
        std::wstring problem;
        if (EqualsIgnoringAsciiCase(word, L"--preset") || EqualsIgnoringAsciiCase(word, L"/preset")) {
            if (++i == args.size()) return CannotCheck(host, L"--preset needs a preset name", true);
            const std::optional<PresetId> id = FindPresetByName(args[i]);
            if (!id)
                return CannotCheck(host, L"\"" + args[i] + L"\" is not a preset (" + PresetNameList() + L")");
            const Preset& preset = PresetOf(*id);
            TakePreset(preset, preset.setsOutputOptions ? host.IsBESKMX() : 0, baseline);
        } else if (IsAssignment(word)) {
            SettingEdit edit;
            if (!ParseAssignment(word, &edit, &problem)) return CannotCheck(host, problem);
            Take(edit, baseline);
        } else if (word.rfind(L"--", 0) == 0 || word == L"/?" || word == L"-?") {
            return CannotCheck(host, L"check does not take " + word, true);
        } else {
            // What the file skips is no reason to fail, and the answer has
            // to stay alone on its streams.
            std::vector<SettingEdit> edits;
            std::wstring skipped;
            if (!ReadRegFileEdits(host, word, &edits, &skipped, &problem)) {
                host.Err(problem);
                return kCannotCheck;
            }
            for (const SettingEdit& edit : edits) Take(edit, baseline);
        }
    }
    if (!anyBaseline) return CannotCheck(host, L"check needs a baseline", true);

    Comparison comparison;
    for (const SettingId id : kSaveOrder) {
        if (!baseline.named[id]) continue;
        comparison.checked.push_back(id);
        comparison.wanted[id] = WhatSaveWrites(baseline.model, id);
        comparison.held[id] = held[id];
        if (held[id] != comparison.wanted[id]) comparison.differing.push_back(id);
    }
    if (comparison.checked.empty()) return CannotCheck(host, L"the baseline names no logging setting");

    const bool compliant = comparison.differing.empty();
    switch (output) {
        case Output::Line: host.Out(Line(comparison)); break;
        case Output::Json: host.Out(Json(comparison)); break;
        case Output::ConfigMgr: host.Out(compliant ? L"Compliant\n" : L"NonCompliant\n"); return kCompliant;
    }
    return compliant ? kCompliant : kDrift;
}

}  // namespace kmx
