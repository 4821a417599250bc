// The catalogue and the orders beside it: every order must name every setting
// exactly once, and the window's data exchange must visit its groups together.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "settings/Catalogue.h"
#include "settings/SettingOrders.h"
#include "ui/ControlBindings.h"

namespace kmx {
namespace {

std::set<int> ControlsOfRows(int firstRow, int lastRow) {
    std::set<int> ids;
    for (int row = firstRow; row <= lastRow; ++row) ids.insert(ControlOf(static_cast<SettingId>(row - 1)));
    return ids;
}

TEST(CatalogueTest, HoldsFiftySevenSettingsOfThreeKinds) {
    ASSERT_EQ(57u, kSettingCount);
    std::map<SettingKind, int> kinds;
    std::set<std::wstring> names;
    for (const SettingInfo& info : kCatalogue) {
        ++kinds[info.kind];
        EXPECT_TRUE(names.insert(info.name).second) << "duplicate name";
        EXPECT_EQ(info.kind == SettingKind::Limit, info.maxChars > 0);
        EXPECT_EQ(info.kind == SettingKind::Limit, info.spinUpper > 0);
    }
    EXPECT_EQ(52, kinds[SettingKind::Switch]);
    EXPECT_EQ(4, kinds[SettingKind::Limit]);
    EXPECT_EQ(1, kinds[SettingKind::FileName]);

    // The window's spin ranges are its own, not the field lengths.
    const struct {
        SettingId limit;
        int maxChars;
        int spinUpper;
    } limits[] = {
        {kMaxFileSizeMB, 3, 999}, {kMaxDirSizeMB, 4, 999}, {kMaxAgeDays, 3, 9999}, {kMaxCallDepth, 3, 999}};
    for (const auto& limit : limits) {
        EXPECT_EQ(limit.maxChars, Info(limit.limit).maxChars) << Info(limit.limit).name;
        EXPECT_EQ(1, Info(limit.limit).spinLower) << Info(limit.limit).name;
        EXPECT_EQ(limit.spinUpper, Info(limit.limit).spinUpper) << Info(limit.limit).name;
    }
    EXPECT_EQ(30, kMaxCallDepth) << "row 31";
    EXPECT_EQ(std::wstring(L"MaxCallDepth"), Info(kMaxCallDepth).name);
}

TEST(CatalogueTest, LooksUpByName) {
    EXPECT_EQ(kThreadLanes, FindSettingByName(L"ThreadLanes"));
    EXPECT_EQ(kDetailCmntSAX, FindSettingByName(L"detailcmntsax")) << "names compare as the registry does";
    EXPECT_EQ(std::nullopt, FindSettingByName(L"ShowAppDump"));
    EXPECT_EQ(std::nullopt, FindSettingByName(L"ThreadLanesX"));
}

TEST(CatalogueTest, LoadAndSaveOrdersNameEverySettingOnce) {
    for (const auto* order : {&kLoadOrder, &kSaveOrder}) {
        std::set<SettingId> seen(order->begin(), order->end());
        EXPECT_EQ(kSettingCount, seen.size());
    }
    EXPECT_EQ(kEnabled, kLoadOrder[0]);
    EXPECT_EQ(kFileName, kLoadOrder[1]);
    EXPECT_EQ(kEnableAppDump, kLoadOrder[56]);

    EXPECT_EQ(kEnabled, kSaveOrder[0]);
    EXPECT_EQ(kFileName, kSaveOrder[1]);
    EXPECT_EQ(kEnableAppDump, kSaveOrder[55]);
    EXPECT_EQ(kMaxCallDepth, kSaveOrder[56]);
}

// Where the two orders leave catalogue order, which is where a slip hides.
TEST(CatalogueTest, OrdersDepartFromTheCatalogueWhereTheyShould) {
    const auto in = [](const auto& order, SettingId id) {
        return std::find(order.begin(), order.end(), id) - order.begin();
    };
    EXPECT_LT(in(kLoadOrder, kAreaProg), in(kLoadOrder, kAreaConn));
    EXPECT_LT(in(kLoadOrder, kDetailCmntRestrictions), in(kLoadOrder, kDetailCmntHTTP));
    EXPECT_EQ(in(kLoadOrder, kPrettyPrint) + 1, in(kLoadOrder, kMaxCallDepth));
    EXPECT_EQ(in(kLoadOrder, kMaxFileSizeMB) + 1, in(kLoadOrder, kKeepLogging));

    EXPECT_LT(in(kSaveOrder, kAreaConn), in(kSaveOrder, kAreaProg));
    EXPECT_EQ(3, in(kSaveOrder, kMaxFileSizeMB));
    EXPECT_EQ(4, in(kSaveOrder, kMaxDirSizeMB));
    EXPECT_EQ(5, in(kSaveOrder, kMaxAgeDays));
    EXPECT_EQ(26, in(kSaveOrder, kDetailFnAPI));
    EXPECT_EQ(39, in(kSaveOrder, kDetailCmntParam));
    EXPECT_EQ(42, in(kSaveOrder, kAreaChanges));
    EXPECT_EQ(52, in(kSaveOrder, kKeepLogging));
}

TEST(CatalogueTest, ExchangeOrderCoversEveryControlAndKeepsTheGroupsTogether) {
    std::set<int> expected = ControlsOfRows(1, 57);
    expected.insert(IDC_LOG_PREFIX);
    std::vector<int> order;
    std::map<SettingId, int> bound;
    for (const ControlBinding& binding : kControlBindings) {
        order.push_back(binding.controlId);
        ++bound[binding.setting];
    }
    EXPECT_EQ(58u, order.size());
    EXPECT_EQ(expected, std::set<int>(order.begin(), order.end()));
    EXPECT_EQ(kSettingCount, bound.size());
    EXPECT_EQ(2, bound[kFileName]) << "directory and prefix";

    const auto at = [&](int id) { return std::find(order.begin(), order.end(), id) - order.begin(); };
    EXPECT_EQ(at(IDC_LOG_DIRECTORY) + 1, at(IDC_LOG_PREFIX));
    EXPECT_LT(at(IDC_MAX_CALL_DEPTH), at(IDC_ENABLE_CALENDAR_TRACKING))
        << "call depth is exchanged among the limits";
    EXPECT_EQ(11, at(IDC_ENABLE_CALENDAR_TRACKING));

    const auto slice = [&](int from, int to) {
        return std::set<int>(order.begin() + from, order.begin() + to);
    };
    EXPECT_EQ(ControlsOfRows(11, 26), slice(12, 28)) << "threads";
    EXPECT_EQ(ControlsOfRows(32, 41), slice(28, 38)) << "areas";
    EXPECT_EQ(ControlsOfRows(42, 57), slice(38, 54)) << "detail levels";
    EXPECT_EQ(ControlsOfRows(27, 30), slice(54, 58)) << "output options last";
}

}  // namespace
}  // namespace kmx
