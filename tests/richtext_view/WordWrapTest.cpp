#include "ViewFixture.h"

#include <gtest/gtest.h>

namespace {

struct Piece {
    int Left, Top, Width, Offs, Length;
    bool FromNewLine;
    int JustifyExtra = 0;
    bool operator==(const Piece&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Piece& p) {
    return os << "{" << p.Left << "," << p.Top << "," << p.Width << "," << p.Offs << "," << p.Length
              << "," << p.FromNewLine << "," << p.JustifyExtra << "}";
}

std::vector<Piece> Pieces(const TCustomRNFormattedData& data) {
    std::vector<Piece> out;
    for (int i = 0; i < data.DrawItems.Count(); ++i) {
        const TRNDrawLineInfo& d = *data.DrawItems[i];
        out.push_back({d.Left, d.Top, d.Width, d.Offs, d.Length, d.FromNewLine, d.JustifyExtra});
    }
    return out;
}

struct WrapCase {
    const char* Name;
    const char* Text; // empty: a 52 x 52 picture instead
    int Width;
    bool Trim;
    TRNAlignment Alignment;
    std::vector<Piece> Expected;
    bool ClientTextWidth = false;
};

constexpr auto L = TRNAlignment::rnaLeft;
constexpr auto R = TRNAlignment::rnaRight;
constexpr auto C = TRNAlignment::rnaCenter;
constexpr auto J = TRNAlignment::rnaJustify;

TEST(WordWrap, DocumentsAtAWidthGiveTheirDrawItems) {
    // Characters are 8 px wide and lines 20 px high.
    const WrapCase cases[] = {
        {"a long word is cut one piece per line",
         "abcdefghij",
         28,
         true,
         L,
         {{0, 0, 24, 1, 3, true},
          {0, 20, 24, 4, 3, true},
          {0, 40, 24, 7, 3, true},
          {0, 60, 8, 10, 1, true}}},
        {"trim drops the break space and a second one on later lines",
         "aaa bbb  ccc",
         28,
         true,
         L,
         {{0, 0, 24, 1, 3, true}, {0, 20, 24, 5, 3, true}, {0, 40, 24, 10, 3, true}}},
        {"trim keeps a second space after a paragraph's first line",
         "aaa  bbb",
         36,
         true,
         L,
         {{0, 0, 24, 1, 3, true}, {0, 20, 32, 5, 4, true}}},
        {"a word that ends exactly at the width stays",
         "aaa bbb ccc",
         56,
         true,
         L,
         {{0, 0, 56, 1, 7, true}, {0, 20, 24, 9, 3, true}}},
        {"without trim the space ends the piece",
         "aaa bbb ccc",
         36,
         false,
         L,
         {{0, 0, 32, 1, 4, true}, {0, 20, 32, 5, 4, true}, {0, 40, 24, 9, 3, true}}},
        {"left", "aa bb cc", 44, true, L, {{0, 0, 40, 1, 5, true}, {0, 20, 16, 7, 2, true}}},
        {"right", "aa bb cc", 44, true, R, {{4, 0, 40, 1, 5, true}, {28, 20, 16, 7, 2, true}}},
        {"centre", "aa bb cc", 44, true, C, {{2, 0, 40, 1, 5, true}, {14, 20, 16, 7, 2, true}}},
        {"justify widens the gaps, not the last line",
         "aa bb cc",
         44,
         true,
         J,
         {{0, 0, 16, 1, 2, true}, {16, 0, 28, 3, 3, false, 4}, {0, 20, 16, 7, 2, true}}},
        {"a justified line of one word stays",
         "aaaaa bb",
         48,
         true,
         J,
         {{0, 0, 40, 1, 5, true}, {0, 20, 16, 7, 2, true}}},
        {"an overflowing right line shifts left",
         "",
         30,
         true,
         R,
         {{-22, 0, 52, 0, 0, true}},
         true},
        {"an overflowing centred line stays", "", 30, true, C, {{0, 0, 52, 0, 0, true}}, true},
    };
    for (const WrapCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Viewer v(c.Width);
        v.Host.Flags = c.Trim ? TRNFlags{TRNFlag::rnflTrim} : TRNFlags{};
        if (c.ClientTextWidth) {
            v.Host.Options.Include(TRNOption::rnoClientTextWidth);
        }
        v.Para(0).Alignment = c.Alignment;
        if (*c.Text) {
            v.D().AddNL(c.Text, 0, 0);
        } else {
            v.AddPicture(50, 0, TRNVAlign::rnvaBaseline);
        }
        v.Format();
        EXPECT_EQ(Pieces(v.D()), c.Expected);
    }
}

TEST(WordWrap, LineSpacingMarginsAndParagraphSpacingMakeTheHeight) {
    struct Case {
        TRNLineSpacingType Type;
        int Spacing;
        int SecondTop, Extra, Height;
    } cases[] = {
        // 150 % of a 20 px line is 10 px more; 100 % adds nothing.
        {TRNLineSpacingType::rnlsPercent, 150, 45, 10, 86},
        {TRNLineSpacingType::rnlsPercent, 100, 35, 0, 66},
        {TRNLineSpacingType::rnlsSpaceBetween, 6, 41, 6, 78},
    };
    for (const Case& c : cases) {
        Viewer v;
        v.Host.TopMargin = 5;
        v.Host.BottomMargin = 7;
        v.Para(0).SpaceBefore = 3;
        v.Para(0).SpaceAfter = 4;
        v.Para(0).LineSpacingType = c.Type;
        v.Para(0).LineSpacing = c.Spacing;
        v.D().AddNL("aa", 0, 0);
        v.D().AddNL("bb", 0, 0);
        v.Format();
        ASSERT_EQ(v.D().DrawItems.Count(), 2);
        EXPECT_EQ(v.DI(0).Top, 8);
        EXPECT_EQ(v.DI(1).Top, c.SecondTop);
        EXPECT_EQ(v.DI(0).LineExtra, c.Extra);
        EXPECT_EQ(v.D().DocumentHeight, c.Height);
    }
}

TEST(WordWrap, ABreakAddsTheSpaceBeforeOfParagraphStyleZero) {
    Viewer v;
    v.Para(0).SpaceBefore = 6;
    v.D().AddNL("aa", 0, 0);
    v.D().AddBreak();
    v.Format();
    ASSERT_EQ(v.D().DrawItems.Count(), 2);
    // Line: 6 + ascent 16 = baseline 22, descent 4; then its own 6 and style 0's 6 again.
    EXPECT_EQ(Pieces(v.D())[1], (Piece{0, 38, 200, 0, 0, true}));
    EXPECT_EQ(v.DI(1).Height, 11);
}

TEST(WordWrap, TallerPiecesLowerTheLineToOneBaseline) {
    struct Case {
        const char* Name;
        bool Superscript;
        TRNVAlign Align;
        int FirstTop, SecondTop;
    } cases[] = {
        // Raised by half the 20 px font height: ascent 26 against 16.
        {"superscript", true, TRNVAlign::rnvaBaseline, 10, 0},
        // A 22 px picture stands on the baseline (descent 1) or centres on it.
        {"picture on the baseline", false, TRNVAlign::rnvaBaseline, 5, 0},
        {"picture in the middle", false, TRNVAlign::rnvaMiddle, 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Viewer v;
        v.D().AddNL("aa", 0, 0);
        if (c.Superscript) {
            v.Style.TextStyles()[1].VShift = 50;
            v.D().AddNL("bb", 1, -1);
        } else {
            v.AddPicture(20, -1, c.Align);
        }
        v.Format();
        ASSERT_EQ(v.D().DrawItems.Count(), 2);
        EXPECT_EQ(v.DI(0).Top, c.FirstTop);
        EXPECT_EQ(v.DI(1).Top, c.SecondTop);
        EXPECT_EQ(v.DI(1).Left, 16);
        EXPECT_FALSE(v.DI(1).FromNewLine);
    }
}

} // namespace
