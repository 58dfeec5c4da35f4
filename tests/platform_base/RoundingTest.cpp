#include "platform/base/Rounding.h"

#include <gtest/gtest.h>

#include <climits>

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(5, 3, 2), 8);
    EXPECT_EQ(MulDiv(-5, 3, 2), -8);
    EXPECT_EQ(MulDiv(5, -3, 2), -8);
    EXPECT_EQ(MulDiv(5, 3, -2), -8);
    EXPECT_EQ(MulDiv(-5, -3, -2), -8);
    EXPECT_EQ(MulDiv(7, 1, 3), 2); // 2.33
    EXPECT_EQ(MulDiv(8, 1, 3), 3); // 2.67
    EXPECT_EQ(MulDiv(-8, 1, 3), -3);
    EXPECT_EQ(MulDiv(0, 7, 9), 0);
}

TEST(MulDiv, KeepsTheFullProductAndReportsFailure) {
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0, 0, 0), -1);
    // 2^31 * 2^30 / 2^30 needs 62 bits in the middle.
    EXPECT_EQ(MulDiv(INT_MAX, 1 << 30, 1 << 30), INT_MAX);
    EXPECT_EQ(MulDiv(100000, 100000, 10), 1000000000);
    EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, 1, 1), -1);
}

TEST(DelphiRound, HalvesGoToEven) {
    EXPECT_EQ(DelphiRound(0.5), 0);
    EXPECT_EQ(DelphiRound(1.5), 2);
    EXPECT_EQ(DelphiRound(2.5), 2);
    EXPECT_EQ(DelphiRound(3.5), 4);
    EXPECT_EQ(DelphiRound(-0.5), 0);
    EXPECT_EQ(DelphiRound(-1.5), -2);
    EXPECT_EQ(DelphiRound(-2.5), -2);
    EXPECT_EQ(DelphiRound(2.4999), 2);
    EXPECT_EQ(DelphiRound(2.5001), 3);
    EXPECT_EQ(DelphiRound(1e12 + 0.5), 1000000000000LL);
}
