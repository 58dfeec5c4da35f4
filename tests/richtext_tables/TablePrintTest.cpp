#include "TableFixture.h"

#include "richtext/model/RNError.h"
#include "richtext/tables/RNTablePrint.h"

namespace {

// Eight rows 18 high with 2 between, 5 pixels of border space above and below: Extra is 10.
struct Printed {
    TableDoc D;
    std::unique_ptr<TRNTableItemInfo> T = D.Make(8, 2);
    TRNTablePrintInfo Info{T.get()};
    Printed() {
        for (int r = 0; r < 8; ++r) {
            Info.FormattingInfo.RowStarts.Add(5 + 20 * r);
            Info.FormattingInfo.RowHeights.Add(18);
        }
        Info.FormattingInfo.Height = 5 + 20 * 7 + 18 + 5;
    }
    std::vector<std::pair<int, int>> Rows() const {
        std::vector<std::pair<int, int>> rows;
        for (const TRNTablePrintPart& p : Info.Parts) {
            rows.emplace_back(p.StartRow, p.RowCount);
        }
        return rows;
    }
};

TEST(TablePrint, WithoutRowSplittingTheTableIsOnePiece) {
    Printed p;
    p.T->PrintOptions.Exclude(TRNTablePrintOption::rntoRowsSplit);
    EXPECT_FALSE(p.Info.InitSplit());
    EXPECT_TRUE(p.Info.Parts.empty());
}

TEST(TablePrint, CutsMoveAboveRowSpanningCells) {
    Printed p;
    p.T->Rows.MergeCells(3, 1, 1, 3, true); // rows 3-5
    ASSERT_TRUE(p.Info.InitSplit());
    EXPECT_TRUE(p.Info.SplitAt(100)); // would cut below row 4
    EXPECT_EQ(p.Rows(), (std::vector<std::pair<int, int>>{{0, 3}, {3, 5}}));
    EXPECT_EQ(p.Info.Parts[0].Height, 45 + 18 + 5);
}

TEST(TablePrint, AFirstGroupTallerThanThePageIsOnePart) {
    Printed p;
    p.T->Rows.MergeCells(0, 0, 1, 4, true);
    ASSERT_TRUE(p.Info.InitSplit());
    EXPECT_FALSE(p.Info.CanSplitFirst(30));
    EXPECT_TRUE(p.Info.SplitAt(30));
    EXPECT_EQ(p.Rows()[0], std::make_pair(0, 4));
    EXPECT_GT(p.Info.Parts[0].Height, 30);
    EXPECT_EQ(p.Rows()[1].first, 4);
}

TEST(TablePrint, PartHeightsAddUpWithTheBorderSpaceOnEachPart) {
    for (int page : {50, 70, 100}) {
        Printed p;
        for (int r = 0; r < 8; ++r) { // no spacing between rows: a cut drops no gap
            p.Info.FormattingInfo.RowHeights.Put(r, 20);
        }
        p.Info.FormattingInfo.Height = 5 + 20 * 8 + 5;
        ASSERT_TRUE(p.Info.InitSplit());
        EXPECT_TRUE(p.Info.CanSplitFirst(page));
        while (p.Info.SplitAt(page)) {
        }
        int sum = 0;
        for (const TRNTablePrintPart& part : p.Info.Parts) {
            EXPECT_LE(part.Height, page);
            sum += part.Height;
        }
        int parts = static_cast<int>(p.Info.Parts.size());
        EXPECT_GT(parts, 1);
        EXPECT_EQ(sum, p.Info.FormattingInfo.Height + (parts - 1) * 10) << page;
        EXPECT_EQ(p.Info.PartsList.size(), p.Info.Parts.size());
    }
}

TEST(TablePrint, SplittingWithoutPartsIsAnError) {
    Printed p;
    try {
        p.Info.SplitAt(50);
        ADD_FAILURE() << "no error";
    } catch (const ERichNoteError& e) {
        EXPECT_STREQ(e.what(), "Internal printing error");
    }
}

} // namespace
