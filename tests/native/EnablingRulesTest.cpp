// The enabling steps and the plain check boxes, checked against the catalogue,
// the preset table's groups and the dialog's own list of governed controls.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

#include "settings/Catalogue.h"
#include "settings/Presets.h"
#include "ui/EnablingRules.h"

namespace kmx {
namespace {

std::set<int> SwitchControlsExcept(std::set<int> left_out) {
    std::set<int> ids;
    for (const SettingInfo& info : kCatalogue) {
        if (info.kind == SettingKind::Switch && !left_out.count(info.controlId)) ids.insert(info.controlId);
    }
    return ids;
}

std::optional<Rule> RuleOf(int controlId) {
    for (const EnablingStep& step : kEnablingSteps) {
        for (int id : step) {
            if (id == controlId) return step.rule;
        }
    }
    return std::nullopt;
}

std::vector<int> ControlsOf(BoxGroup group) {
    std::vector<int> ids;
    for (SettingId id : BoxesOf(group)) ids.push_back(Info(id).controlId);
    return ids;
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
    EXPECT_EQ(Rule::Logging, RuleOf(1003)) << "single-file size does not depend on EnableRoll";
    EXPECT_EQ(Rule::Rolling, RuleOf(1009)) << "directory size does not depend on EnableMaxDirSize";
    EXPECT_EQ(Rule::Logging, RuleOf(1014)) << "age does not depend on EnableMaxAge";
    EXPECT_EQ(Rule::Logging, RuleOf(1044));
    EXPECT_EQ(Rule::Logging, RuleOf(1091));
}

// Every control the dialog keeps a member object for, and nothing else: each
// edit, spin and label with an id but the markers and the two headings, and
// each check box but "Enable Logging" and " Enable Calendar Tracking".
TEST(EnablingRulesTest, StepsCoverExactlyTheGovernedControls) {
    std::set<int> governed = SwitchControlsExcept({1000, 1023});
    for (const SettingInfo& info : kCatalogue) {
        if (info.kind != SettingKind::Switch) governed.insert(info.controlId);
    }
    governed.insert(kPrefixEditId);
    for (int spin : {1004, 1010, 1088, 1008}) governed.insert(spin);
    for (int label : {1001, 1013, 1043, 1087, 1006, 1020, 1021, 1011, 999}) governed.insert(label);
    ASSERT_EQ(69u, governed.size());

    std::set<int> covered;
    for (const EnablingStep& step : kEnablingSteps) {
        for (int id : step) EXPECT_TRUE(covered.insert(id).second) << "twice: " << id;
    }
    EXPECT_EQ(governed, covered);

    for (int id : {1000, 1023, 1,    2,    1012, 1097, 1024, 1072, 1073, 1074, 1075, 1076, 1078, 1079,
                   1093, 1094, 1033, 1034, 1035, 1036, 1065, 1070, 1080, 1016, 1081, 1090, 1095}) {
        EXPECT_EQ(std::nullopt, RuleOf(id)) << id;
    }
}

TEST(EnablingRulesTest, CheckBoxStepsAreThePresetGroupsInOrder) {
    const auto ids = [](const EnablingStep& step) { return std::vector<int>(step.begin(), step.end()); };
    EXPECT_EQ(std::vector<int>{Info(kThreadAllThreads).controlId}, ids(kEnablingSteps[0]));
    EXPECT_EQ(ControlsOf(BoxGroup::Output), ids(kEnablingSteps[1]));
    EXPECT_EQ(ControlsOf(BoxGroup::SingleThread), ids(kEnablingSteps[2]));
    EXPECT_EQ(ControlsOf(BoxGroup::Function), ids(kEnablingSteps[3]));
    EXPECT_EQ(ControlsOf(BoxGroup::Comment), ids(kEnablingSteps[4]));
    EXPECT_EQ(ControlsOf(BoxGroup::Area), ids(kEnablingSteps[5]));
    EXPECT_EQ(kEnableMaxAge, FindSettingByControl(kEnablingSteps[6].ids[0]));
    EXPECT_EQ(kEnableRoll, FindSettingByControl(kEnablingSteps[7].ids[0]));
    EXPECT_EQ(kKeepLogging, FindSettingByControl(kEnablingSteps[8].ids[0]));
    EXPECT_EQ(kEnableMaxDirSize, FindSettingByControl(kEnablingSteps[8].ids[1]));
}

TEST(EnablingRulesTest, PlainCheckBoxesAreTheSwitchesNoRuleReads) {
    const std::set<int> plain(kPlainCheckBoxIds.begin(), kPlainCheckBoxIds.end());
    EXPECT_EQ(kPlainCheckBoxIds.size(), plain.size()) << "an id listed twice";
    EXPECT_EQ(SwitchControlsExcept({1000, 1044, 1091, 1023}), plain);
}

}  // namespace
}  // namespace kmx
