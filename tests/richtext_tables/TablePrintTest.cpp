#include "tests/richtext_view/PrintFixture.h"

#include "TableFixture.h"

#include "platform/base/CodePage.h"
#include "platform/graphics/Metafile.h"
#include "richtext/model/RNError.h"
#include "richtext/tables/RNTablePrint.h"
#include "tests/support/TempDir.h"

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

// The note shown in a wide window keeps a long cell on one line there; the page is narrower
// and wraps it. The text after the table starts below the printed rows, not where the table
// ends on screen.
TEST(TablePrint, TextAfterATableStartsBelowItsPrintedRows) {
    PrintedTable p(1, 1);
    SetTextOf(*p.T->Cells(0, 0), std::string(60, 'x'));
    p.N.Source.AddNL("after", 0, 0);
    p.N.Source.resize(900, 300);
    p.N.Source.Format();
    ASSERT_EQ(p.N.Format(), 1);
    const TPrintableRNData& d = p.N.Data();
    ASSERT_GT(p.Info().FormattingInfo.RowHeights[0], 125); // wrapped on paper
    EXPECT_EQ(d.DrawItems[0]->Height, p.Info().FormattingInfo.Height);
    EXPECT_EQ(d.DrawItems[1]->Top, d.DrawItems[0]->Top + p.Info().FormattingInfo.Height);
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

// The notes editor's note: "before", a 2 x 2 table as wide as the page with a drawing after the
// text of its last cell, "after". The page is short enough that the second row goes over.
TEST(TablePrint, ARowOnTheNextPagePrintsThereOnly) {
    PrintedNote n;
    UseTableOptions(TableOptions::NotesEditor, n.Source, n.Sheet);
    n.Device->Page = n.Device->Physical = {3000, 2600};
    n.Source.AddNL("before", 0, 0);
    auto owned = std::make_unique<TRNTableItemInfo>(2, 2, &n.Source.RNData());
    TRNTableItemInfo& t = *owned;
    t.SetBestWidth(-100);
    const char* const cells[] = {"café 1", "naïve 2", "“three”", "four…"};
    for (int i = 0; i < 4; ++i) {
        t.SetCellBestWidth(-50, i / 2, i % 2);
        t.Cells(i / 2, i % 2)->AddNLWTag(Utf8ToUtf16(cells[i]), 11, 0, {});
    }
    auto drawing = std::make_unique<TMetafile>();
    drawing->LoadFromBytes(ReadFileBytes(FixturePath("graphics/shapes-and-text.wmf")));
    t.Cells(1, 1)->AddPictureEx("", std::move(drawing), -1, TRNVAlign::rnvaBaseline);
    n.Source.AddItem("", std::move(owned));
    n.Source.AddNL("after", 0, 0);

    // The notes commands format the pages once, then preview or print them.
    ASSERT_EQ(n.Format(), 2);
    ASSERT_EQ(n.Data().Pages[1].FirstDrawItemNo, 1); // the table goes on over the page
    // A text may reach the page in several pieces: each page's are read as one text.
    const std::vector<std::string> pages{"beforecafé 1naïve 2", "“three”four…after"};
    const auto joined = [](const std::vector<std::string>& pieces) {
        std::string text;
        for (const std::string& piece : pieces) {
            text += piece;
        }
        return text;
    };
    for (int page = 1; page <= 2; ++page) {
        TFakeCanvas preview(TSize{600, 520}, 96);
        n.Print.DrawPreview(page, preview, Rect(0, 0, 600, 520));
        std::vector<std::string> pieces;
        for (const TCanvasCall& call : preview.CallsOf("TextOut")) {
            pieces.push_back(call.Text);
        }
        EXPECT_EQ(joined(pieces), pages[static_cast<size_t>(page - 1)]) << page;
    }
    n.Print.Print("Tarnwick File", 1, false);
    ASSERT_EQ(n.Device->Sheets.size(), 2u);
    EXPECT_EQ(joined(n.Device->Sheets[0]), pages[0]);
    EXPECT_EQ(joined(n.Device->Sheets[1]), pages[1]);

    // A part the table was never cut into is refused, not printed as the whole table.
    TFakeCanvas canvas(TSize{3000, 2600}, 600);
    auto& info = dynamic_cast<TRNTablePrintInfo&>(*n.Data().DrawItems[1]);
    ASSERT_EQ(info.Parts.size(), 2u);
    EXPECT_THROW(t.Print(canvas, 0, 0, 3000, false, false, n.Data().Sad, n.Data(), &info, 2),
                 ERichNoteError);
    EXPECT_TRUE(canvas.CallsOf("TextOut").empty());
}

} // namespace
