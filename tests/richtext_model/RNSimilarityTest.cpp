#include "richtext/model/RNSimilarity.h"
#include "richtext/model/RNStyleFontInfo.h"
#include "richtext/model/RNStyleParaInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

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

namespace {

// One comparison as the scoring rule states it, worked out at long-double precision.
int64_t RuleScore(int32_t a, int32_t b, int32_t weight) {
    if (a == 0) {
        return (1 - std::llabs(static_cast<int64_t>(b))) * weight;
    }
    const long double ratio = std::fabs(static_cast<long double>(a) - b) / std::fabs(1.0L * a);
    return std::llrint((1 - ratio) * weight);
}

int32_t Clamped(int64_t score) {
    return static_cast<int32_t>(std::clamp<int64_t>(score, INT32_MIN, INT32_MAX));
}

// A numeric field of a style, its weight and how many times its comparison counts.
template <class Style> struct Field {
    const char* Name;
    std::function<int32_t&(Style&)> Of;
    int32_t Weight;
    int Times = 1;
};

// Two styles alike but for one field (a in the style compared with, b in the one asked) score
// what two equal ones score, less that field's full marks, plus its own comparison: exact,
// then clamped to 32 bits.
template <class Style>
void ExpectExactScores(const Style& base, const std::vector<Field<Style>>& fields) {
    for (const Field<Style>& f : fields) {
        // Just below the 32-bit range on its own, back inside it with the other fields' marks.
        const int32_t justBeyond = INT32_MAX / f.Weight + 2;
        const std::pair<int32_t, int32_t> pairs[] = {
            {0, INT32_MIN},         {0, INT32_MAX},         {1, INT32_MIN},  {-1, INT32_MAX},
            {INT32_MIN, INT32_MAX}, {INT32_MAX, INT32_MIN}, {0, justBeyond}, {7, 7}};
        for (auto [a, b] : pairs) {
            Style value = base, asked = base;
            f.Of(value) = a;
            const int64_t equal = value.SimilarityValue(value);
            f.Of(asked) = b;
            const int64_t expected = equal + f.Times * (RuleScore(a, b, f.Weight) - f.Weight);
            EXPECT_EQ(asked.SimilarityValue(value), Clamped(expected))
                << f.Name << " " << a << " " << b;
        }
    }
    // Every field at once far below: the 64-bit sum, clamped.
    Style value = base, asked = base;
    for (const Field<Style>& f : fields) {
        f.Of(value) = 0;
        f.Of(asked) = INT32_MIN;
    }
    EXPECT_EQ(asked.SimilarityValue(value), INT32_MIN);
}

} // namespace

TEST(RNSimilarity, StyleScoresAreExactSumsClampedOnceAtTheExtremesOfEveryField) {
    const TFontInfo font;
    // Two equal default text styles get every mark there is.
    EXPECT_EQ(font.SimilarityValue(font), RNSMW_FONTSIZE + RNSMW_VSHIFTRATIO + RNSMW_CHARSCALE +
                                              (3 * RNSMW_EACHRGBCOLOR + RNSMW_COLORSET) +
                                              (3 * RNSMW_EACHRGBBCOLOR + RNSMW_BCOLORSET) +
                                              RNSMW_FONTNAME + 4 * RNSMW_FONTEACHSTYLE +
                                              2 * RNSMW_OVERLINE + RNSMW_FONTSTYLESET +
                                              RNSMW_FONTCHARSET);
    ExpectExactScores<TFontInfo>(
        font,
        {{"Size", [](TFontInfo& s) -> int32_t& { return s.Size; }, RNSMW_FONTSIZE},
         {"VShift", [](TFontInfo& s) -> int32_t& { return s.VShift; }, RNSMW_VSHIFTRATIO},
         {"CharScale", [](TFontInfo& s) -> int32_t& { return s.CharScale; }, RNSMW_CHARSCALE}});

    // A border on all four sides: its widths count once per side.
    TParaInfo para;
    para.Border.Style = TRNBorderStyle::rnbSingle;
    using P = TParaInfo;
    std::vector<Field<P>> fields{
        {"FirstIndent", [](P& s) -> int32_t& { return s.FirstIndent; }, RNSMW_INDENT},
        {"LeftIndent", [](P& s) -> int32_t& { return s.LeftIndent; }, RNSMW_INDENT},
        {"RightIndent", [](P& s) -> int32_t& { return s.RightIndent; }, RNSMW_INDENT},
        {"LineSpacing", [](P& s) -> int32_t& { return s.LineSpacing; }, RNSMW_LINESPACING},
        {"Border.Width", [](P& s) -> int32_t& { return s.Border.Width; }, RNSMW_WIDTH, 4},
        {"Border.InternalWidth", [](P& s) -> int32_t& { return s.Border.InternalWidth; },
         RNSMW_WIDTH, 4}};
    for (int32_t TRNRect::*side :
         {&TRNRect::Left, &TRNRect::Top, &TRNRect::Right, &TRNRect::Bottom}) {
        fields.push_back({"Background offset",
                          [side](P& s) -> int32_t& { return s.Background.BorderOffsets.*side; },
                          RNSMW_PADDING});
        fields.push_back({"Border offset",
                          [side](P& s) -> int32_t& { return s.Border.BorderOffsets.*side; },
                          RNSMW_PADDING});
    }
    ExpectExactScores(para, fields);
}
