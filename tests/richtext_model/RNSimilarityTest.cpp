#include "richtext/model/RNSimilarity.h"

#include <gtest/gtest.h>

#include <climits>

TEST(RNSimilarity, CompareIntsScoresRelativeDistanceIn64Bits) {
    struct Case {
        int32_t a, b, weight, expected;
    };
    const Case cases[] = {
        {0, 0, 10000, 10000},
        {100, 50, 1000, 500},
        {0, 3, 1000, -2000},
        {100, 150, 1000, 500},
        // halves go to the even neighbour: 1.5 -> 2, 4.5 -> 4
        {4, 3, 2, 2},
        {4, 3, 6, 4},
        // the difference of the extremes overflows 32 bits
        {INT_MIN, INT_MAX, 10, -10},
        // far beyond the range: clamped, never wrapped
        {0, INT_MIN, 1000000, INT_MIN},
        {1, INT_MAX, INT_MAX, INT_MIN},
        {0, 0, INT_MAX, INT_MAX},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RN_CompareInts(c.a, c.b, c.weight), c.expected)
            << c.a << " " << c.b << " " << c.weight;
    }
}

TEST(RNSimilarity, CompareColorsGivesFullMarksOnlyToEqualColours) {
    const int32_t full = 3 * 3333 + 3000;
    EXPECT_EQ(RN_CompareColors(clNone, clNone, 3333, 3000), 12999);
    EXPECT_EQ(RN_CompareColors(clNone, clRed, 3333, 3000), 0);
    EXPECT_EQ(RN_CompareColors(clRed, clNone, 3333, 3000), 0);
    EXPECT_EQ(RN_CompareColors(clRed, clRed, 3333, 3000), full);
    // system colours are compared by what they show
    EXPECT_EQ(RN_CompareColors(clWindowText, clBlack, 3333, 3000), full);
    // black against white: no channel alike, one dark and one light
    EXPECT_EQ(RN_CompareColors(clBlack, clWhite, 3333, 3000), 0);
    // nearer colours score higher
    const int32_t near = RN_CompareColors(RGB(200, 0, 0), RGB(190, 0, 0), 3333, 3000);
    const int32_t far = RN_CompareColors(RGB(200, 0, 0), RGB(90, 0, 0), 3333, 3000);
    EXPECT_LT(near, full);
    EXPECT_GT(near, far);
    // the bonus for the same lightness: dark navy is nearer black than light grey is
    EXPECT_GT(RN_CompareColors(clBlack, RGB(0, 0, 60), 3333, 3000),
              RN_CompareColors(clBlack, RGB(70, 70, 70), 3333, 3000) + 2000);
}
