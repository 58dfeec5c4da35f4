#include "ViewFixture.h"

#include <gtest/gtest.h>

namespace {

TEST(FormattedData, ItemAndDrawItemPositionsMapBothWays) {
    for (bool trim : {true, false}) {
        SCOPED_TRACE(trim ? "trim" : "no trim");
        Viewer v(36);
        v.Host.Flags = trim ? TRNFlags{TRNFlag::rnflTrim} : TRNFlags{};
        v.D().AddNL("aaa bbb ccc", 0, 0);
        v.Format();
        ASSERT_EQ(v.D().DrawItems.Count(), 3);
        for (int d = 0; d < 3; ++d) {
            const TRNDrawLineInfo& piece = v.DI(d);
            for (int offs = 1; offs <= piece.Length + 1; ++offs) {
                int itemNo, itemOffs, d2, offs2;
                v.D().DrawItem2Item(d, offs, itemNo, itemOffs);
                v.D().Item2DrawItem(itemNo, itemOffs, d2, offs2);
                EXPECT_EQ(itemNo, 0);
                // The end of a piece that is also the start of the next is the next one's.
                const bool atBreak =
                    d < 2 && offs == piece.Length + 1 && itemOffs == v.DI(d + 1).Offs;
                EXPECT_EQ(d2, atBreak ? d + 1 : d) << "piece " << d << " offset " << offs;
                EXPECT_EQ(offs2, atBreak ? 1 : offs) << "piece " << d << " offset " << offs;
            }
        }
    }
}

TEST(FormattedData, PositionsOfItemsWithoutPiecesOrOfNoItem) {
    Viewer v;
    v.D().AddNL("abc", 0, 0);
    v.D().AddNL("", 0, -1); // an empty item continuing the paragraph gets no draw item
    v.D().AddNL("de", 0, 0);
    v.Format();
    ASSERT_EQ(v.D().DrawItems.Count(), 2);
    int d, offs;
    v.D().Item2DrawItem(1, 1, d, offs);
    EXPECT_EQ(d, 0);
    EXPECT_EQ(offs, 4);
    v.D().Item2DrawItem(-1, 0, d, offs);
    EXPECT_EQ(d, -1);
    // An offset past the piece is held at its end.
    v.D().Item2DrawItem(2, 9, d, offs);
    EXPECT_EQ(offs, 3);
}

TEST(FormattedData, TheSelectionSurvivesFormattingAtAnotherWidth) {
    Viewer v(28);
    v.D().AddNL("aaa bbb ccc", 0, 0);
    v.Format();
    // From inside "aaa" to the start of "ccc", which begins the third line.
    v.D().RestoreSelBounds(0, 0, 2, 9);
    EXPECT_EQ(v.D().SelEndNo, 2);
    EXPECT_EQ(v.D().SelEndOffs, 1);
    for (int width : {200, 44, 28}) {
        v.Host.ClientWidth = width;
        v.Format();
        int s, e, so, eo;
        v.D().StoreSelBounds(s, e, so, eo, false);
        EXPECT_EQ((std::vector<int>{s, e, so, eo}), (std::vector<int>{0, 0, 2, 9})) << width;
    }
    // Backwards inside one draw item, normalised.
    v.D().SelStartNo = v.D().SelEndNo = 0;
    v.D().SelStartOffs = 3;
    v.D().SelEndOffs = 1;
    int s, e, so, eo;
    v.D().GetSelBounds(s, e, so, eo, true);
    EXPECT_EQ(so, 1);
    EXPECT_EQ(eo, 3);
    // An item beyond the list deselects.
    v.D().RestoreSelBounds(0, 5, 1, 1);
    EXPECT_EQ(v.D().SelStartNo, -1);
    EXPECT_EQ(v.D().SelEndNo, -1);
}

TEST(FormattedData, SelectAllNeedsDrawItems) {
    Viewer v;
    int selections = 0;
    v.Host.Handlers.OnSelect = [&](IRichNoteHost&) { ++selections; };
    v.D().SelectAll(); // no items
    v.D().AddNL("abc", 0, 0);
    v.D().SelectAll(); // not formatted yet
    EXPECT_EQ(selections, 0);
    EXPECT_EQ(v.D().SelStartNo, -1);
    v.Format();
    v.D().SelectAll();
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(v.D().SelEndOffs, 4);
}

TEST(FormattedData, DrawItemsByVerticalPosition) {
    Viewer v(28);
    v.D().AddNL("aaa bbb ccc", 0, 0); // three lines, tops 0, 20, 40
    v.Format();
    EXPECT_EQ(v.D().GetDrawItemNo(45, 1), 0); // within the third line: the first line's last
    EXPECT_EQ(v.D().GetDrawItemNo(25, 3), 2);
    EXPECT_EQ(v.D().GetDrawItemNo(500, 3), 2);
    EXPECT_EQ(v.D().GetDrawItemNo(-5, 1), 0);
    Viewer empty;
    EXPECT_EQ(empty.D().GetDrawItemNo(10, 1), 0);
    EXPECT_EQ(empty.D().FindDrawItemAtPos(1, 1), -1);
    EXPECT_EQ(empty.D().GetFirstItemVisible(), -1);
}

TEST(FormattedData, PointsFindThePieceUnderThem) {
    Viewer v(44);
    v.Para(1).Alignment = TRNAlignment::rnaJustify;
    v.D().AddNL("aa bb cc", 0, 1); // "aa", " bb" widened by 4 to 28 at 16, then "cc"
    v.D().AddNL("x", 0, 0);
    v.AddPicture(30, -1, TRNVAlign::rnvaBaseline); // 32 px high beside "x"
    v.Format();
    ASSERT_EQ(v.D().DrawItems.Count(), 5);
    const TRNDrawLineInfo& picture = v.DI(4);
    struct Case {
        int X, Y, Expected;
    } cases[] = {
        {5, 5, 0},
        {17, 5, 1},  // in the justification gap of " bb"
        {43, 5, 1},  // its widened end
        {44, 5, -1}, // right of the line
        {5, 25, 2},
        {picture.Left + 5, picture.Top + 2, 4}, // above the text beside it
        {5, picture.Top + 2, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(v.D().FindDrawItemAtPos(c.X, c.Y), c.Expected) << c.X << "," << c.Y;
    }
}

TEST(FormattedData, SelectionPointsAroundAndInsideTheText) {
    Viewer v;
    v.D().AddNL("abcd", 0, 0);   // line 0: 0..32 wide
    v.D().AddNL("efghij", 0, 0); // line 1
    v.Format();
    struct Case {
        const char* Name;
        int X, Y;
        int DrawItem, Offs;
    } cases[] = {
        {"above", 10, -30, 0, 1},          {"left", -5, 25, 1, 1},
        {"below", 10, 500, 1, 7},          {"right", 300, 5, 0, 5},
        {"nearest boundary", 13, 5, 0, 3}, {"a tie keeps the earlier", 12, 5, 0, 2},
    };
    for (const Case& c : cases) {
        int d, offs;
        v.D().FindDrawItemForSel(c.X, c.Y, d, offs);
        EXPECT_EQ(d, c.DrawItem) << c.Name;
        EXPECT_EQ(offs, c.Offs) << c.Name;
    }
    int d, offs;
    v.D().FindDrawItemForSel(300, 5, d, offs, true);
    EXPECT_EQ(d, -1);
}

} // namespace
