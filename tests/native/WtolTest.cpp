// The C runtime's _wtol, as Save and the proxy dialog use it.
#include <gtest/gtest.h>

#include <cstdint>

#include "settings/Wtol.h"

namespace kmx {
namespace {

TEST(WtolTest, ConvertsLikeTheCRuntime) {
    const std::pair<const wchar_t*, std::int32_t> cases[] = {{L"10", 10},
                                                             {L"010", 10},
                                                             {L"  42", 42},
                                                             {L"\t\n\v\f\r7", 7},
                                                             {L"+5", 5},
                                                             {L"-5", -5},
                                                             {L"12abc", 12},
                                                             {L"1 2", 1},
                                                             {L"", 0},
                                                             {L"abc", 0},
                                                             {L"-", 0},
                                                             {L"+-1", 0},
                                                             {L" - 1", 0},
                                                             {L"0x10", 0},
                                                             {L"\u3000"
                                                              L"5",
                                                              0},
                                                             {L"\xFF11", 0}};
    for (const auto& c : cases) EXPECT_EQ(c.second, Wtol(c.first)) << '"' << c.first << '"';
}

TEST(WtolTest, ClampsOutOfRangeNumbersToTheLongLimits) {
    const std::pair<const wchar_t*, std::int32_t> cases[] = {{L"2147483647", INT32_MAX},
                                                             {L"2147483648", INT32_MAX},
                                                             {L"99999999999999999999999", INT32_MAX},
                                                             {L"-2147483648", INT32_MIN},
                                                             {L"-2147483649", INT32_MIN},
                                                             {L"-99999999999999999999999", INT32_MIN},
                                                             {L"000000000000000000000012", 12}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.second, Wtol(c.first)) << c.first;
        EXPECT_EQ(c.second, Wtoi(c.first)) << c.first;
    }
}

}  // namespace
}  // namespace kmx
