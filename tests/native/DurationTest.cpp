// The time box's DURATION, and the UTC text of a point in time.
#include <gtest/gtest.h>

#include <string>

#include "cli/Duration.h"
#include "cli/UtcTime.h"

namespace kmx {
namespace {

TEST(DurationTest, WholeNumbersWithAUnitFromOneSecondToThirtyDays) {
    const struct {
        const wchar_t* text;
        std::uint64_t seconds;  // 0: refused
        const wchar_t* problem;
    } cases[] = {
        {L"1s", 1, L""},
        {L"3S", 3, L""},
        {L"90m", 5400, L""},
        {L"4h", 14400, L""},
        {L"30d", 2592000, L""},
        {L"720h", 2592000, L""},
        {L"2592000s", 2592000, L""},
        {L"007m", 420, L""},
        {L"", 0, L"--for needs a DURATION"},
        {L"4", 0, L"\"4\" is not a DURATION"},
        {L"h", 0, L"\"h\" is not a DURATION"},
        {L"4w", 0, L"\"4w\" is not a DURATION"},
        {L"-4h", 0, L"is not a DURATION"},
        {L"+4h", 0, L"is not a DURATION"},
        {L" 4h", 0, L"is not a DURATION"},
        {L"4 h", 0, L"is not a DURATION"},
        {L"1.5h", 0, L"is not a DURATION"},
        {L"4hh", 0, L"is not a DURATION"},
        {L"0s", 0, L"ends at once"},
        {L"000d", 0, L"ends at once"},
        {L"31d", 0, L"more than 30 days"},
        {L"721h", 0, L"more than 30 days"},
        {L"2592001s", 0, L"more than 30 days"},
        {L"99999999999999999999999999d", 0, L"more than 30 days"},
    };
    for (const auto& c : cases) {
        std::uint64_t seconds = 77;
        std::wstring problem;
        const bool accepted = ParseDuration(c.text, &seconds, &problem);
        const std::string line(c.text, c.text + std::wcslen(c.text));
        EXPECT_EQ(c.seconds != 0, accepted) << line;
        EXPECT_EQ(c.seconds != 0 ? c.seconds : 77, seconds) << line;
        if (!accepted) {
            EXPECT_NE(std::wstring::npos, problem.find(c.problem)) << line;
            EXPECT_NE(std::wstring::npos, problem.find(kDurationForm)) << line;
        }
    }
}

TEST(DurationTest, UtcTicksReadAsIso8601) {
    EXPECT_EQ(L"1601-01-01T00:00:00Z", IsoUtc(0));
    EXPECT_EQ(L"2000-02-29T23:59:59Z", IsoUtc(125963423990000000ull + 9999999));
    EXPECT_EQ(L"2025-12-12T08:00:00Z", IsoUtc(134100000000000000ull));
}

}  // namespace
}  // namespace kmx
