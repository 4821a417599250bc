#include <gtest/gtest.h>

#include "ui/MainDialogLayout.h"

namespace kmx {
namespace {

TEST(MainDialogLayoutTest, MinimisedIconIsCentredRoundingTowardZero) {
    const IconOrigin usual = CentredIconOrigin(100, 60, 32, 32);
    EXPECT_EQ(34, usual.x);
    EXPECT_EQ(14, usual.y);
    // Odd remainders round up; a client area smaller than the icon gives a
    // negative origin that rounds toward zero, not down.
    const IconOrigin odd = CentredIconOrigin(101, 61, 32, 32);
    EXPECT_EQ(35, odd.x);
    EXPECT_EQ(15, odd.y);
    const IconOrigin tiny = CentredIconOrigin(0, 0, 32, 32);
    EXPECT_EQ(-15, tiny.x);
    EXPECT_EQ(-15, tiny.y);
}

}  // namespace
}  // namespace kmx
