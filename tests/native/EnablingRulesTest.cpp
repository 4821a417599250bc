// The enabling steps, checked against the catalogue and the window's bindings.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

#include "settings/Catalogue.h"
#include "ui/ControlBindings.h"
#include "ui/EnablingRules.h"

namespace kmx {
namespace {

std::optional<Rule> RuleOf(int controlId) {
    for (const EnablingStep& step : kEnablingSteps) {
        for (int id : step) {
            if (id == controlId) return step.rule;
        }
    }
    return std::nullopt;
}

TEST(EnablingRulesTest, TenStepsWithTheirRules) {
    const Rule expected[] = {Rule::Logging, Rule::Logging, Rule::Thread,  Rule::Logging, Rule::Logging,
                             Rule::Logging, Rule::Logging, Rule::Logging, Rule::Rolling, Rule::Logging};
    const std::size_t sizes[] = {1, 4, 15, 5, 11, 10, 4, 1, 5, 13};
    for (std::size_t i = 0; i < kEnablingSteps.size(); ++i) {
        EXPECT_EQ(expected[i], kEnablingSteps[i].rule) << "step " << i + 1;
        EXPECT_EQ(sizes[i], kEnablingSteps[i].count) << "step " << i + 1;
    }
    EXPECT_EQ(&kEnablingSteps[2], &kThreadStep);
    EXPECT_EQ(&kEnablingSteps[8], &kRollingStep);

    // The edits follow their group's rule, not the switch beside them.
    EXPECT_EQ(Rule::Logging, RuleOf(IDC_MAX_FILE_SIZE)) << "single-file size does not depend on EnableRoll";
    EXPECT_EQ(Rule::Rolling, RuleOf(IDC_MAX_DIR_SIZE))
        << "directory size does not depend on EnableMaxDirSize";
    EXPECT_EQ(Rule::Logging, RuleOf(IDC_MAX_AGE_DAYS)) << "age does not depend on EnableMaxAge";
    EXPECT_EQ(Rule::Logging, RuleOf(IDC_THREAD_ALL_THREADS));
    EXPECT_EQ(Rule::Logging, RuleOf(IDC_ENABLE_ROLL));
}

// Every control the dialog keeps a member object for, and nothing else: each
// edit, spin and label with an id but the markers and the two headings, and
// each check box but "Enable Logging" and " Enable Calendar Tracking".
TEST(EnablingRulesTest, StepsCoverExactlyTheGovernedControls) {
    std::set<int> governed;
    for (const ControlBinding& binding : kControlBindings) governed.insert(binding.controlId);
    governed.erase(IDC_ENABLE_LOGGING);
    governed.erase(IDC_ENABLE_CALENDAR_TRACKING);
    for (int spin :
         {IDC_MAX_FILE_SIZE_SPIN, IDC_MAX_DIR_SIZE_SPIN, IDC_MAX_AGE_SPIN, IDC_MAX_CALL_DEPTH_SPIN})
        governed.insert(spin);
    for (int label : {IDC_EXAMPLE_FILE_NAME, IDC_MAX_FILE_SIZE_UNIT, IDC_MAX_DIR_SIZE_UNIT, IDC_MAX_AGE_UNIT,
                      IDC_MAX_CALL_DEPTH_LABEL, IDC_LOG_DIRECTORY_LABEL, IDC_LOG_PREFIX_LABEL,
                      IDC_DETAIL_FN_HEADING, IDC_DETAIL_CMNT_HEADING})
        governed.insert(label);
    ASSERT_EQ(69u, governed.size());

    std::set<int> covered;
    for (const EnablingStep& step : kEnablingSteps) {
        for (int id : step) EXPECT_TRUE(covered.insert(id).second) << "twice: " << id;
    }
    EXPECT_EQ(governed, covered);

    for (int id : {IDC_ENABLE_LOGGING, IDC_ENABLE_CALENDAR_TRACKING, IDC_CONFIGURE_PROXY,
                   IDC_FORCE_GAL_UPDATE, IDC_FORCE_GAL_RESET, IDC_FACTORY_RESET, IDC_ADVANCED,
                   IDC_MARKER_COLLAPSED, IDC_MARKER_EXPANDED, IDC_ROLLING_HEADING, IDC_PURGING_HEADING}) {
        EXPECT_EQ(std::nullopt, RuleOf(id)) << id;
    }
    for (int id : kPresetButtonIds) EXPECT_EQ(std::nullopt, RuleOf(id)) << id;
    for (int id : kGroupButtonIds) EXPECT_EQ(std::nullopt, RuleOf(id)) << id;
}

TEST(EnablingRulesTest, PlainCheckBoxesAreTheSwitchesNoRuleReads) {
    std::set<int> switches;
    for (const ControlBinding& binding : kControlBindings)
        if (Info(binding.setting).kind == SettingKind::Switch) switches.insert(binding.controlId);
    for (int own :
         {IDC_ENABLE_LOGGING, IDC_THREAD_ALL_THREADS, IDC_ENABLE_ROLL, IDC_ENABLE_CALENDAR_TRACKING})
        switches.erase(own);
    EXPECT_EQ(switches, std::set<int>(kPlainCheckBoxIds.begin(), kPlainCheckBoxIds.end()));
    EXPECT_EQ(48u, kPlainCheckBoxIds.size());
}

}  // namespace
}  // namespace kmx
