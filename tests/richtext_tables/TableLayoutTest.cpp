#include "tests/richtext_view/ViewFixture.h"

#include "TableFixture.h"
#include "richtext/tables/RNTablePrint.h"

#include <vector>

namespace {

// A table whose cells format on the fixed-metrics canvas: 8 px a character, 20 px a line.
struct LaidOut {
    Viewer V;
    std::unique_ptr<TRNTableItemInfo> T;
    LaidOut(int rows, int cols) : T(std::make_unique<TRNTableItemInfo>(rows, cols, &V.D())) {}
    std::vector<int> Widths() const {
        std::vector<int> w;
        for (int c = 0; c < T->FormattingInfo.ColWidths.Count(); ++c) {
            w.push_back(T->FormattingInfo.ColWidths[c]);
        }
        return w;
    }
    std::vector<int> Heights() const {
        std::vector<int> h;
        for (int r = 0; r < T->FormattingInfo.RowHeights.Count(); ++r) {
            h.push_back(T->FormattingInfo.RowHeights[r]);
        }
        return h;
    }
};

TEST(TableLayout, APercentTableSharesItsFreeWidthEquallyWithTheRestToTheLastColumn) {
    LaidOut l(1, 3);
    l.T->BestWidth = -50;
    l.T->OnDocWidthChange(600, nullptr, false);
    EXPECT_EQ(l.T->GetWidth(), 300);
    EXPECT_EQ(l.Widths(), (std::vector<int>{95, 95, 96}));
    EXPECT_EQ(l.T->Cells(0, 1)->Left, 2 + 1 + 95 + 1 + 2);
}

TEST(TableLayout, MinimalWidthsAboveTheRoomWidenTheTable) {
    LaidOut l(1, 12);
    l.T->OnDocWidthChange(200, nullptr, false);
    int mins = 0;
    for (int c = 0; c < 12; ++c) {
        mins += l.T->Cells(0, c)->GetMinWidth();
    }
    EXPECT_GT(mins, 200);
    EXPECT_EQ(l.T->GetWidth(), l.T->GetHorzExtra() + 24 + mins);
    EXPECT_EQ(l.T->GetMinWidth(), l.T->GetWidth());
}

TEST(TableLayout, AFixedTableKeepsItsWidthAtAnyDocumentWidth) {
    for (int docWidth : {300, 900}) {
        LaidOut l(2, 2);
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 2; ++c) {
                l.T->Cells(r, c)->BestWidth = 80;
            }
        }
        EXPECT_TRUE(l.T->IsFixedWidthTable());
        l.T->OnDocWidthChange(docWidth, nullptr, false);
        EXPECT_EQ(l.T->GetWidth(), 6 + 4 + 160) << docWidth;
    }
}

TEST(TableLayout, AMergedCellWidensItsColumnsInProportion) {
    LaidOut l(2, 2);
    l.T->CellPadding = 0;
    l.T->CellHSpacing = 0;
    l.T->Rows.MergeCells(0, 0, 2, 1, true);
    l.T->Cells(0, 0)->BestWidth = 190;
    l.T->Cells(1, 0)->BestWidth = 30;
    l.T->Cells(1, 1)->BestWidth = 60;
    l.T->OnDocWidthChange(500, nullptr, false);
    EXPECT_EQ(l.Widths(), (std::vector<int>{63, 127}));
}

TEST(TableLayout, ARowSpanningCellGrowsItsRowsInProportion) {
    LaidOut l(2, 2);
    l.T->Rows.MergeCells(0, 0, 1, 2, true);
    l.T->Cells(0, 0)->BestHeight = 200;
    l.T->Cells(0, 1)->BestHeight = 30;
    l.T->Cells(1, 1)->BestHeight = 60;
    l.T->OnDocWidthChange(300, nullptr, false);
    // Need 202, have 96: the 106 more go 35 : 71 over rows of 30 and 60.
    EXPECT_EQ(l.Heights(), (std::vector<int>{65, 131}));
    EXPECT_EQ(l.T->GetHeight(), 10 + 196);
    EXPECT_EQ(l.T->Cells(0, 0)->Height, 2 + 65 + 131 + 4);
}

TEST(TableLayout, PrintRowsAreAtLeastTenScreenPixelsHigh) {
    for (int ppi : {96, 192}) {
        LaidOut l(3, 2);
        l.T->Cells(1, 0)->BestHeight = 25;
        TRNScreenAndDevice sad;
        sad.ppixDevice = sad.ppiyDevice = ppi;
        auto item = l.T->CreatePrintingDrawItem(l.V.D(), sad);
        auto* print = dynamic_cast<TRNTablePrintInfo*>(item.get());
        ASSERT_NE(print, nullptr);
        l.T->OnDocWidthChange(600, print, true);
        const TRNIntegerList& heights = print->FormattingInfo.RowHeights;
        int scale = ppi / 96;
        EXPECT_EQ(std::make_tuple(heights[0], heights[1], heights[2]),
                  std::make_tuple(10 * scale, 25 * scale, 10 * scale));
        EXPECT_EQ(print->Height, print->FormattingInfo.Height);
        EXPECT_EQ(print->Width, 600);
        EXPECT_EQ(l.T->DeviceContext, nullptr);
        EXPECT_EQ(l.T->FormattingInfo.Width, 0); // the screen layout is left alone
    }
}

TEST(TableLayout, TheSameWidthSkipsThePassUnlessAReformatIsAsked) {
    LaidOut l(1, 2);
    l.T->OnDocWidthChange(300, nullptr, false);
    std::vector<int> before = l.Widths();
    l.T->Cells(0, 0)->BestWidth = 200;
    l.T->OnDocWidthChange(300, nullptr, false);
    EXPECT_EQ(l.Widths(), before);
    l.T->NeedsReformat = true;
    l.T->OnDocWidthChange(300, nullptr, false);
    EXPECT_FALSE(l.T->NeedsReformat);
    EXPECT_EQ(l.Widths()[0], 200);
}

TEST(TableLayout, ColumnsWithoutWeightShareTheGrowthEqually) {
    LaidOut l(1, 2);
    l.T->CellPadding = 0;
    l.T->CellHSpacing = 0;
    l.T->Rows.MergeCells(0, 0, 2, 1, true); // neither column keeps a cell of its own
    EXPECT_EQ(l.T->GetMinWidth(), 4 + l.T->Cells(0, 0)->GetMinWidth());
    l.T->OnDocWidthChange(100, nullptr, false);
    for (int w : l.Widths()) {
        EXPECT_GE(w, 0);
    }
    EXPECT_EQ(l.T->GetWidth(), 100);
}

TEST(TableLayout, PositionLookUps) {
    TRNIntegerList starts;
    for (int s : {0, 10, 20, 30}) {
        starts.Add(s);
    }
    const std::pair<int, int> crossed[] = {{-5, 0}, {0, 0},  {9, 0},  {10, 0},
                                           {11, 1}, {25, 2}, {30, 3}, {99, 3}};
    for (auto [y, row] : crossed) {
        EXPECT_EQ(TRNTableItemInfo::GetCrossed(y, starts), row) << y;
    }
    EXPECT_EQ(TRNTableItemInfo::GetCrossed(50, TRNIntegerList(1, 0)), 0);

    LaidOut l(2, 2);
    l.T->Rows.MergeCells(0, 0, 1, 2, true);
    l.T->OnDocWidthChange(200, nullptr, false);
    const TRNTableCellData& merged = *l.T->Cells(0, 0);
    const TRNTableCellData& lower = *l.T->Cells(1, 1);
    struct Hit {
        int x, y;
        bool found;
        int row, col;
    } hits[] = {
        {merged.Left, merged.Top + merged.Height - 1, true, 0, 0},
        {lower.Left + 1, lower.Top + 1, true, 1, 1},
        {lower.Left - 1, lower.Top + 1, false, 0, 0}, // in the gap between cells
        {0, 0, false, 0, 0},
    };
    for (const Hit& h : hits) {
        int row = -1, col = -1;
        EXPECT_EQ(l.T->GetCellAt(h.x, h.y, row, col), h.found) << h.x << "," << h.y;
        if (h.found) {
            EXPECT_EQ(std::make_pair(row, col), std::make_pair(h.row, h.col));
        }
    }
    EXPECT_EQ(std::make_pair(l.T->LastHitRow, l.T->LastHitCol), std::make_pair(1, 1));
    int prev = 0, pos = 0;
    EXPECT_EQ(l.T->GetVerticalRuleNo(lower.Left - 2, prev, pos), 1);
    EXPECT_EQ(prev, merged.Left);
}

// Lines added far above a table carry its cells along: a cell's origin after the partial
// reformat is the one a full pass gives.
TEST(TableLayout, ACellOriginFollowsLinesAddedAboveTheTable) {
    Viewer v(150);
    for (int i = 0; i < 700; ++i) {
        v.D().AddNL("line " + std::to_string(i), 0, 0);
    }
    auto owned = std::make_unique<TRNTableItemInfo>(1, 2, &v.D());
    TRNTableCellData* cell = owned->Cells(0, 1);
    v.D().AddItem("", std::move(owned));
    v.Format();
    int x0 = 0, y0 = 0;
    cell->GetOrigin(x0, y0);
    v.D().Items()[0].Text += " now runs on over a few more lines";
    v.D().FormatParas(0, 0, 0);
    int x1 = 0, y1 = 0;
    cell->GetOrigin(x1, y1);
    v.Format();
    int x2 = 0, y2 = 0;
    cell->GetOrigin(x2, y2);
    EXPECT_GT(y1, y0);
    EXPECT_EQ(std::make_pair(x1, y1), std::make_pair(x2, y2));
}

} // namespace
