#include "settings/Presets.h"

namespace kmx {
namespace {

char MarkAt(const PresetRow& row, std::size_t column) { return row.marks[2 * column]; }

const PresetRow& RowOf(SettingId setting) {
    for (const PresetRow& row : kPresetTable) {
        if (row.setting == setting) return row;
    }
    return kPresetTable[0];  // unreachable: every output option has a row
}

Preset BuildPreset(std::size_t column) {
    Preset preset{kPresetButtonIds[column], 0, {}, false};
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

std::size_t ColumnOf(int buttonId) {
    for (std::size_t column = 0; column < kPresetButtonIds.size(); ++column) {
        if (kPresetButtonIds[column] == buttonId) return column;
    }
    return kPresetButtonIds.size();
}

}  // namespace

const std::vector<Preset>& Presets() {
    static const std::vector<Preset> presets = [] {
        std::vector<Preset> all;
        for (std::size_t column = 0; column < kPresetButtonIds.size(); ++column) {
            all.push_back(BuildPreset(column));
        }
        return all;
    }();
    return presets;
}

const Preset* FindPreset(int buttonId) {
    const std::size_t column = ColumnOf(buttonId);
    return column < kPresetButtonIds.size() ? &Presets()[column] : nullptr;
}

std::vector<PresetMark> OutputOptionMarks(const Preset& preset, int isBESKMX) {
    std::vector<PresetMark> marks;
    const std::size_t column = ColumnOf(preset.buttonId);
    if (column == kPresetButtonIds.size()) return marks;
    for (SettingId setting : kOutputOptionOrder) {
        const char c = MarkAt(RowOf(setting), column);
        if (c == '-') continue;
        const int mark = c == 'v' ? (isBESKMX == 0 ? 1 : 0) : (c == '1' ? 1 : 0);
        marks.push_back({setting, mark});
    }
    return marks;
}

std::vector<SettingId> BoxesOf(BoxGroup group) {
    std::vector<SettingId> boxes;
    for (const PresetRow& row : kPresetTable) {
        if (row.group == group) boxes.push_back(row.setting);
    }
    return boxes;
}

std::optional<GroupButton> FindGroupButton(int buttonId) {
    for (const GroupButton& button : kGroupButtons) {
        if (button.buttonId == buttonId) return button;
    }
    return std::nullopt;
}

}  // namespace kmx
