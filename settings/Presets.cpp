#include "settings/Presets.h"

#include <string>

#include "settings/AsciiCase.h"

namespace kmx {
namespace {

char MarkAt(const PresetRow& row, std::size_t column) { return row.marks[2 * column]; }

std::size_t ColumnOf(PresetId id) { return static_cast<std::size_t>(id); }

const PresetRow& RowOf(SettingId setting) {
    for (const PresetRow& row : kPresetTable) {
        if (row.setting == setting) return row;
    }
    return kPresetTable[0];  // unreachable: every output option has a row
}

Preset BuildPreset(std::size_t column) {
    Preset preset{static_cast<PresetId>(column), 0, {}, false};
    for (const PresetRow& row : kPresetTable) {
        const char c = MarkAt(row, column);
        if (c == '-') continue;
        switch (row.group) {
            case BoxGroup::AllThreads: preset.allThreadsMark = c == '1' ? 1 : 0; break;
            case BoxGroup::Output: preset.setsOutputOptions = true; break;
            default: preset.boxMarks.push_back({row.setting, c == '1' ? 1 : 0}); break;
        }
    }
    return preset;
}

// The name with blanks and '-' left out and ASCII letters in upper case.
std::wstring FoldPresetName(std::wstring_view name) {
    std::wstring folded;
    for (wchar_t c : name) {
        if (c == L' ' || c == L'-') continue;
        folded += AsciiUpper(c);
    }
    return folded;
}

}  // namespace

const std::vector<Preset>& Presets() {
    static const std::vector<Preset> presets = [] {
        std::vector<Preset> all;
        for (std::size_t column = 0; column < kPresetCount; ++column) all.push_back(BuildPreset(column));
        return all;
    }();
    return presets;
}

const Preset& PresetOf(PresetId id) { return Presets()[ColumnOf(id)]; }

std::optional<PresetId> FindPresetByName(std::wstring_view name) {
    const std::wstring wanted = FoldPresetName(name);
    for (std::size_t column = 0; column < kPresetCount; ++column) {
        if (FoldPresetName(kPresetNames[column]) == wanted) return static_cast<PresetId>(column);
    }
    return std::nullopt;
}

std::vector<PresetMark> OutputOptionMarks(const Preset& preset, int isBESKMX) {
    std::vector<PresetMark> marks;
    const std::size_t column = ColumnOf(preset.id);
    for (SettingId setting : kOutputOptionOrder) {
        const char c = MarkAt(RowOf(setting), column);
        if (c == '-') continue;
        const int mark = c == 'v' ? (isBESKMX == 0 ? 1 : 0) : (c == '1' ? 1 : 0);
        marks.push_back({setting, mark});
    }
    return marks;
}

void ApplyPresetMarks(const Preset& preset, int isBESKMX, SettingsModel& model) {
    model.value[kThreadAllThreads] = preset.allThreadsMark;
    for (const PresetMark& mark : preset.boxMarks) model.value[mark.setting] = mark.mark;
    if (!preset.setsOutputOptions) return;
    for (const PresetMark& mark : OutputOptionMarks(preset, isBESKMX)) model.value[mark.setting] = mark.mark;
}

std::vector<SettingId> BoxesOf(BoxGroup group) {
    std::vector<SettingId> boxes;
    for (const PresetRow& row : kPresetTable) {
        if (row.group == group) boxes.push_back(row.setting);
    }
    return boxes;
}

}  // namespace kmx
