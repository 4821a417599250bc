// Which controls the three enabling rules govern, in the order they are
// applied, and the plain check boxes whose click only copies the controls into
// the model. Platform-free data, so that it can be checked without a window.
#pragma once

#include <array>
#include <cstddef>

namespace kmx {

enum class Rule {
    Logging,  // enabled exactly when Enabled is on
    Thread,   // ... when Enabled is on and ThreadAllThreads is off
    Rolling,  // ... when Enabled and EnableRoll are both on
};

constexpr bool RuleAllows(Rule rule, bool enabled, bool allThreads, bool enableRoll) {
    switch (rule) {
        case Rule::Logging: return enabled;
        case Rule::Thread: return enabled && !allThreads;
        case Rule::Rolling: return enabled && enableRoll;
    }
    return false;
}

inline constexpr int kAllThreadsBoxIds[] = {1044};
inline constexpr int kOutputOptionBoxIds[] = {1082, 1089, 1092, 1099};
inline constexpr int kSingleThreadBoxIds[] = {1026, 1037, 1096, 1098, 1028, 1032, 1030, 1038,
                                              1039, 1050, 1051, 1052, 1054, 1055, 1056};
inline constexpr int kFunctionBoxIds[] = {1046, 1047, 1048, 1057, 1058};
inline constexpr int kCommentBoxIds[] = {1084, 1027, 1031, 1015, 1041, 1042, 1061, 1029, 1018, 1053, 1085};
inline constexpr int kAreaBoxIds[] = {1060, 1059, 1062, 1063, 1064, 1066, 1067, 1068, 1069, 1083};
// "Delete Log Files older than:", the age edit, its spin, "days".
inline constexpr int kAgeControlIds[] = {1086, 1014, 1088, 1087};
inline constexpr int kEnableRollBoxIds[] = {1091};
// Backups, "Max size of KMXLogs directory:", its edit, spin and "MB".
inline constexpr int kRollingControlIds[] = {1019, 1040, 1009, 1010, 1043};
// Directory and prefix edits, example name, single-file size edit with spin
// and "MB", call depth label, edit and spin, and the remaining labels.
inline constexpr int kLogFileControlIds[] = {1002, 1022, 1001, 1003, 1004, 1013, 1006,
                                             1007, 1008, 1020, 1021, 1011, 999};

struct EnablingStep {
    Rule rule;
    const int* ids;
    std::size_t count;

    template <std::size_t N>
    constexpr EnablingStep(Rule r, const int (&list)[N]) : rule(r), ids(list), count(N) {}
    constexpr const int* begin() const { return ids; }
    constexpr const int* end() const { return ids + count; }
};

// OnEnableLogging applies all ten in this order, one EnableWindow per control.
// clang-format off
inline constexpr std::array<EnablingStep, 10> kEnablingSteps = {{
    {Rule::Logging, kAllThreadsBoxIds},
    {Rule::Logging, kOutputOptionBoxIds},
    {Rule::Thread, kSingleThreadBoxIds},
    {Rule::Logging, kFunctionBoxIds},
    {Rule::Logging, kCommentBoxIds},
    {Rule::Logging, kAreaBoxIds},
    {Rule::Logging, kAgeControlIds},
    {Rule::Logging, kEnableRollBoxIds},
    {Rule::Rolling, kRollingControlIds},
    {Rule::Logging, kLogFileControlIds},
}};
// clang-format on

// The one step OnAllThreads applies, and the one OnEnableRoll applies.
inline constexpr const EnablingStep& kThreadStep = kEnablingSteps[2];
inline constexpr const EnablingStep& kRollingStep = kEnablingSteps[8];

// The check boxes whose click copies the controls into the model and does
// nothing else: single threads, detail levels, areas, output options, and the
// backup, directory size and age switches. Not among them: the three switches
// the rules read (1000, 1044, 1091) and 1023, which has no click handler.
// clang-format off
inline constexpr std::array<int, 48> kPlainCheckBoxIds = {
    1026, 1037, 1096, 1098, 1028, 1032, 1030, 1038, 1039, 1050, 1051, 1052, 1054, 1055, 1056,
    1046, 1047, 1048, 1057, 1058,
    1084, 1027, 1031, 1015, 1041, 1042, 1061, 1029, 1018, 1053, 1085,
    1060, 1059, 1062, 1063, 1064, 1066, 1067, 1068, 1069, 1083,
    1082, 1089, 1092, 1099,
    1019, 1040, 1086,
};
// clang-format on

}  // namespace kmx
