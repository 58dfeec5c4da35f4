#include "tests/richtext_view/PrintFixture.h"

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

// A table printed at 600 pixels per inch: 12-point text is 50 px a character, 125 a line.
struct PrintedTable {
    PrintedNote N;
    TRNTableItemInfo* T = nullptr;
    PrintedTable(int rows, int cols) {
        auto owned = std::make_unique<TRNTableItemInfo>(rows, cols, &N.Source.RNData());
        T = owned.get();
        N.Source.AddItem("", std::move(owned));
    }
    TRNTablePrintInfo& Info() { return dynamic_cast<TRNTablePrintInfo&>(*N.Data().DrawItems[0]); }
};

TEST(TablePrint, OnlyCellsWithContentOrSpansGetPrintableDocuments) {
    PrintedTable p(2, 2);
    SetTextOf(*p.T->Cells(1, 0), "x");
    ASSERT_EQ(p.N.Format(), 1);
    const TRNTableItemFormattingInfo& f = p.Info().FormattingInfo;
    ASSERT_EQ(f.PrintCells->Count(), 4);
    for (int i : {0, 1, 3}) {
        EXPECT_EQ(f.PrintCell(i), nullptr) << i;
    }
    EXPECT_NE(f.PrintCell(2), nullptr);
}

TEST(TablePrint, CellTextIsPrintedAndRowsGrowWithIt) {
    PrintedTable p(2, 2);
    SetTextOf(*p.T->Cells(0, 1), "one");
    p.T->Cells(0, 1)->AddNL("two", 0, 0);
    p.T->Cells(0, 1)->AddNL("three", 0, 0);
    SetTextOf(*p.T->Cells(1, 0), "low");
    ASSERT_EQ(p.N.Format(), 1);
    const TRNTableItemFormattingInfo& f = p.Info().FormattingInfo;
    EXPECT_EQ(f.RowHeights[0], 3 * 125);
    EXPECT_EQ(f.RowHeights[1], 125);
    auto* printed = dynamic_cast<TRectPtblRNData*>(f.PrintCell(1));
    ASSERT_NE(printed, nullptr);
    EXPECT_EQ(printed->Left, f.ColStarts[1] + 6); // padding 1 at 600 ppi
    EXPECT_EQ(printed->Top, f.RowStarts[0] + 6);

    // Each cell's text stands inside its padding box, wherever the table is put on the page.
    TFakeCanvas canvas(TSize{3000, 2000}, 600);
    p.T->Print(canvas, 100, 200, 3000, false, false, p.N.Data().Sad, p.N.Data(), &p.Info(), -1);
    std::vector<TPoint> at;
    for (const TCanvasCall& call : canvas.CallsOf("TextOut")) {
        at.push_back(call.Points.at(0));
    }
    ASSERT_EQ(at.size(), 4u);
    EXPECT_EQ(at[0].X, 100 + f.ColStarts[1] + 6);
    EXPECT_EQ(at[0].Y, 200 + f.RowStarts[0] + 6);
    EXPECT_EQ(at[3].X, 100 + f.ColStarts[0] + 6);
    EXPECT_EQ(at[3].Y, 200 + f.RowStarts[1] + 6);

    p.N.Print.Print("t", 1, false);
    ASSERT_EQ(p.N.Device->Sheets.size(), 1u);
    EXPECT_EQ(p.N.Device->Sheets[0], (std::vector<std::string>{"one", "two", "three", "low"}));
}

// Formatting for print again drops the printed cells of the pass before; the cells themselves
// stay as they are, and so does what prints.
TEST(TablePrint, FormattingTwiceKeepsEveryCell) {
    PrintedTable p(2, 2);
    UseTableOptions(TableOptions::NotesEditor, p.N.Source, p.N.Sheet);
    SetTextOf(*p.T->Cells(0, 0), "a");
    SetTextOf(*p.T->Cells(1, 1), "d");
    const auto cells = [&] {
        std::vector<std::string> out;
        for (int i = 0; i < 4; ++i) {
            const TRNTableCellData& cell = *p.T->Cells(i / 2, i % 2);
            out.push_back(std::to_string(cell.ItemCount()) + ":" +
                          (cell.ItemCount() > 0 ? cell.GetItemText(0) : ""));
        }
        return out;
    };
    const std::vector<std::string> typed{"1:a", "1:", "1:", "1:d"};
    ASSERT_EQ(cells(), typed);
    for (int pass = 1; pass <= 3; ++pass) {
        ASSERT_EQ(p.N.Format(), 1) << pass;
        EXPECT_EQ(cells(), typed) << pass;
    }
    p.N.Print.Print("t", 1, false);
    ASSERT_EQ(p.N.Device->Sheets.size(), 1u);
    EXPECT_EQ(p.N.Device->Sheets[0], (std::vector<std::string>{"a", "d"}));
}

} // namespace
