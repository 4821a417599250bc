// Which controls the three enabling rules govern, in the order they are
// applied. Platform-free data, so that it can be checked without a window.
#pragma once

#include <array>
#include <cstddef>

#include "resource.h"
#include "ui/ControlBindings.h"

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

// The check box groups, as the preset table groups them.
inline constexpr auto kAllThreadsBoxIds = ControlsOfGroup<BoxGroup::AllThreads>();
inline constexpr auto kOutputOptionBoxIds = ControlsOfGroup<BoxGroup::Output>();
inline constexpr auto kSingleThreadBoxIds = ControlsOfGroup<BoxGroup::SingleThread>();
inline constexpr auto kFunctionBoxIds = ControlsOfGroup<BoxGroup::Function>();
inline constexpr auto kCommentBoxIds = ControlsOfGroup<BoxGroup::Comment>();
inline constexpr auto kAreaBoxIds = ControlsOfGroup<BoxGroup::Area>();

// The purging, rolling and log file controls.
inline constexpr std::array<int, 4> kAgeControlIds = {IDC_ENABLE_MAX_AGE, IDC_MAX_AGE_DAYS, IDC_MAX_AGE_SPIN,
                                                      IDC_MAX_AGE_UNIT};
inline constexpr std::array<int, 1> kEnableRollBoxIds = {IDC_ENABLE_ROLL};
inline constexpr std::array<int, 5> kRollingControlIds = {IDC_KEEP_LOGGING, IDC_ENABLE_MAX_DIR_SIZE,
                                                          IDC_MAX_DIR_SIZE, IDC_MAX_DIR_SIZE_SPIN,
                                                          IDC_MAX_DIR_SIZE_UNIT};
// clang-format off
inline constexpr std::array<int, 13> kLogFileControlIds = {
    IDC_LOG_DIRECTORY, IDC_LOG_PREFIX, IDC_EXAMPLE_FILE_NAME,
    IDC_MAX_FILE_SIZE, IDC_MAX_FILE_SIZE_SPIN, IDC_MAX_FILE_SIZE_UNIT,
    IDC_MAX_CALL_DEPTH_LABEL, IDC_MAX_CALL_DEPTH, IDC_MAX_CALL_DEPTH_SPIN,
    IDC_LOG_DIRECTORY_LABEL, IDC_LOG_PREFIX_LABEL, IDC_DETAIL_FN_HEADING, IDC_DETAIL_CMNT_HEADING};
// clang-format on

struct EnablingStep {
    Rule rule;
    const int* ids;
    std::size_t count;

    template <std::size_t N>
    constexpr EnablingStep(Rule r, const std::array<int, N>& list) : rule(r), ids(list.data()), count(N) {}
    constexpr const int* begin() const { return ids; }
    constexpr const int* end() const { return ids + count; }
};

// OnEnableLogging applies all ten in this order, one EnableWindow per control.
// clang-format off
inline constexpr std::array<EnablingStep, 10> kEnablingSteps = {{
    {Rule::Logging, kAllThreadsBoxIds},
    {Rule::Logging, kOutputOptionBoxIds},
    {Rule::Thread,  kSingleThreadBoxIds},
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

}  // namespace kmx
