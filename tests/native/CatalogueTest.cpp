// The catalogue and the orders beside it: every order must name every setting
// exactly once, and the dialog's groups must sit where the layout puts them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "settings/Catalogue.h"
#include "settings/SettingOrders.h"

namespace kmx {
namespace {

std::set<int> ControlsOfRows(int firstRow, int lastRow) {
    std::set<int> ids;
    for (int row = firstRow; row <= lastRow; ++row) ids.insert(kCatalogue[row - 1].controlId);
    return ids;
}

TEST(CatalogueTest, HoldsFiftySevenSettingsOfThreeKinds) {
    ASSERT_EQ(57u, kSettingCount);
    std::map<SettingKind, int> kinds;
    std::set<std::wstring> names;
    std::set<int> controls;
    for (const SettingInfo& info : kCatalogue) {
        ++kinds[info.kind];
        EXPECT_TRUE(names.insert(info.name).second) << "duplicate name";
        EXPECT_TRUE(controls.insert(info.controlId).second) << "duplicate control " << info.controlId;
        EXPECT_EQ(info.kind == SettingKind::Limit, info.maxChars > 0) << info.controlId;
    }
    EXPECT_EQ(52, kinds[SettingKind::Switch]);
    EXPECT_EQ(4, kinds[SettingKind::Limit]);
    EXPECT_EQ(1, kinds[SettingKind::FileName]);
    EXPECT_EQ(0u, controls.count(kPrefixEditId));

    EXPECT_EQ(3, Info(kMaxFileSizeMB).maxChars);
    EXPECT_EQ(4, Info(kMaxDirSizeMB).maxChars);
    EXPECT_EQ(3, Info(kMaxAgeDays).maxChars);
    EXPECT_EQ(3, Info(kMaxCallDepth).maxChars);
    EXPECT_EQ(30, kMaxCallDepth) << "row 31";
    EXPECT_EQ(std::wstring(L"MaxCallDepth"), Info(kMaxCallDepth).name);
    EXPECT_EQ(1089, Info(kThreadLanes).controlId);
}

TEST(CatalogueTest, LooksUpByNameAndByControl) {
    EXPECT_EQ(kThreadLanes, FindSettingByName(L"ThreadLanes"));
    EXPECT_EQ(kDetailCmntSAX, FindSettingByName(L"detailcmntsax")) << "names compare as the registry does";
    EXPECT_EQ(std::nullopt, FindSettingByName(L"ShowAppDump"));
    EXPECT_EQ(std::nullopt, FindSettingByName(L"ThreadLanesX"));

    EXPECT_EQ(kFileName, FindSettingByControl(1002));
    EXPECT_EQ(kFileName, FindSettingByControl(kPrefixEditId));
    EXPECT_EQ(kMaxCallDepth, FindSettingByControl(1007));
    EXPECT_EQ(kEnableAppDump, FindSettingByControl(1023));
    EXPECT_EQ(std::nullopt, FindSettingByControl(1012));
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
TEST(CatalogueTest, OrdersDepartFromTheCatalogueWhereTheDesignSays) {
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
    expected.insert(kPrefixEditId);
    const std::set<int> seen(kExchangeOrder.begin(), kExchangeOrder.end());
    EXPECT_EQ(58u, kExchangeOrder.size());
    EXPECT_EQ(expected, seen);

    const auto at = [](int id) {
        return std::find(kExchangeOrder.begin(), kExchangeOrder.end(), id) - kExchangeOrder.begin();
    };
    EXPECT_EQ(at(1002) + 1, at(kPrefixEditId));
    EXPECT_LT(at(1007), at(1023)) << "call depth is exchanged among the limits";
    EXPECT_EQ(11, at(1023));

    const auto slice = [](int from, int to) {
        return std::set<int>(kExchangeOrder.begin() + from, kExchangeOrder.begin() + to);
    };
    EXPECT_EQ(ControlsOfRows(11, 26), slice(12, 28)) << "threads";
    EXPECT_EQ(ControlsOfRows(32, 41), slice(28, 38)) << "areas";
    EXPECT_EQ(ControlsOfRows(42, 57), slice(38, 54)) << "detail levels";
    EXPECT_EQ(ControlsOfRows(27, 30), slice(54, 58)) << "output options last";
}

}  // namespace
}  // namespace kmx
