#include "TableFixture.h"

#include "richtext/model/RNError.h"

namespace {

std::string Texts(const TRNTableCellData& cell) {
    return std::get<3>(Snapshot(*cell.GetRow()->Rows)[0][0]);
}

TABLE_OPTIONS_SUITE(TableGrid);

TEST_P(TableGrid, InsertingRowsInsideASpanGrowsItAndAtTheEndDoesNot) {
    TableDoc d(GetParam());
    auto t = d.Make(4, 2);
    t->Rows.MergeCells(0, 0, 1, 3, true);
    t->Rows.InsertRows(1, 1, 0, false);
    EXPECT_TRUE(GridIsSound(t->Rows));
    EXPECT_EQ(t->Cells(0, 0)->RowSpan, 4);
    EXPECT_EQ(t->Cells(1, 0), nullptr);
    ASSERT_NE(t->Cells(1, 1), nullptr);
    EXPECT_TRUE(IsFreshCell(*t->Cells(1, 1)));

    t->Rows.InsertRows(t->Rows.Count(), 1, -1, false);
    EXPECT_TRUE(GridIsSound(t->Rows));
    EXPECT_EQ(t->Cells(0, 0)->RowSpan, 4);
    EXPECT_EQ(t->Rows.Count(), 6);
}

TEST_P(TableGrid, InsertedRowsCopyTheSourceRowsAttributesAndMerges) {
    TableDoc d(GetParam());
    auto t = d.Make(2, 3);
    t->Rows.MergeCells(0, 0, 2, 1, true);
    t->Cells(0, 0)->Color = clRed;
    t->Cells(0, 0)->BestHeight = 30;
    t->Rows.InsertRows(1, 2, 0, true);
    EXPECT_TRUE(GridIsSound(t->Rows));
    EXPECT_EQ(t->Cells(0, 0)->BestHeight, 10); // 30 shared over the source and two new rows
    for (int r : {1, 2}) {
        EXPECT_EQ(t->Cells(r, 0)->ColSpan, 2);
        EXPECT_EQ(t->Cells(r, 0)->Color, clRed);
        EXPECT_EQ(t->Cells(r, 1), nullptr);
    }
}

TEST_P(TableGrid, DeletingRowsShrinksSpansAndCutsCellsThatGoOnBelow) {
    TableDoc d(GetParam());
    auto t = d.Make(5, 2);
    t->Rows.MergeCells(0, 0, 1, 4, true);
    t->Rows.MergeCells(1, 1, 1, 3, true);
    TRNTableCellData* cut = t->Cells(1, 1);
    t->Rows.DeleteRows(1, 2, false);
    EXPECT_TRUE(GridIsSound(t->Rows));
    ASSERT_EQ(t->Rows.Count(), 3);
    EXPECT_EQ(t->Cells(0, 0)->RowSpan, 2);
    ASSERT_NE(t->Cells(1, 1), nullptr);
    EXPECT_NE(t->Cells(1, 1), cut);
    EXPECT_EQ(t->Cells(1, 1)->RowSpan, 1);

    auto five = d.Make(5, 1);
    TRNTableCellData* first = five->Cells(0, 0);
    TRNTableCellData* second = five->Cells(1, 0);
    five->Rows.DeleteRows(2, 10, false);
    ASSERT_EQ(five->Rows.Count(), 2);
    EXPECT_EQ(std::make_pair(five->Cells(0, 0), five->Cells(1, 0)), std::make_pair(first, second));
}

TEST_P(TableGrid, DeletingColumnsShrinksSpansAndCutsCellsThatGoOnRight) {
    TableDoc d(GetParam());
    auto t = d.Make(2, 5);
    t->Rows.MergeCells(0, 0, 4, 1, true);
    t->Rows.MergeCells(1, 1, 3, 1, true);
    t->Cells(1, 1)->BestWidth = 90;
    t->Rows.DeleteCols(1, 2, true);
    EXPECT_TRUE(GridIsSound(t->Rows));
    EXPECT_EQ(t->Cells(0, 0)->ColSpan, 2);
    ASSERT_NE(t->Cells(1, 1), nullptr);
    EXPECT_EQ(t->Cells(1, 1)->BestWidth, 30); // the third of 90 that stays
}

TEST_P(TableGrid, LargeSizesScaleWithoutWrapping) {
    TableDoc d(GetParam());
    auto t = d.Make(4, 4);
    t->Rows.MergeCells(0, 0, 1, 3, true);
    t->Rows.MergeCells(0, 1, 3, 1, true);
    t->Cells(0, 0)->BestHeight = 2000000000;
    t->Cells(0, 1)->BestWidth = 2000000000;
    t->Rows.DeleteRows(1, 1, true);
    t->Rows.DeleteCols(2, 1, true);
    EXPECT_EQ(t->Cells(0, 0)->BestHeight, 1333333333);
    EXPECT_EQ(t->Cells(0, 1)->BestWidth, 1333333333);
}

TEST_P(TableGrid, BadArgumentsRaiseBeforeAnyChange) {
    TableDoc d(GetParam());
    auto t = d.Make(3, 3);
    t->Rows.MergeCells(0, 0, 2, 2, true);
    auto before = Snapshot(t->Rows);
    const char* badIndex = "Invalid row or column index";
    const char* badMerge = "Parameters for cell merging are not correct";
    struct Case {
        const char* name;
        std::function<void(TRNTableRows&)> run;
        const char* message;
    } cases[] = {
        {"delete every row", [](TRNTableRows& r) { r.DeleteRows(0, 3, false); }, badIndex},
        {"delete past the end", [](TRNTableRows& r) { r.DeleteRows(3, 1, false); }, badIndex},
        {"delete no rows", [](TRNTableRows& r) { r.DeleteRows(1, 0, false); }, badIndex},
        {"delete every column", [](TRNTableRows& r) { r.DeleteCols(0, 5, false); }, badIndex},
        {"delete column -1", [](TRNTableRows& r) { r.DeleteCols(-1, 1, false); }, badIndex},
        {"insert row past end", [](TRNTableRows& r) { r.InsertRows(4, 1, -1, false); }, badIndex},
        {"copy row -2", [](TRNTableRows& r) { r.InsertRows(0, 1, -2, false); }, badIndex},
        {"copy column 3", [](TRNTableRows& r) { r.InsertCols(0, 1, 3, false); }, badIndex},
        {"merge 0 rows high", [](TRNTableRows& r) { r.MergeCells(0, 2, 0, 2, false); }, badMerge},
    };
    for (const Case& c : cases) {
        try {
            c.run(t->Rows);
            ADD_FAILURE() << c.name << " did not raise";
        } catch (const ERichNoteError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.name;
        }
        EXPECT_EQ(Snapshot(t->Rows), before) << c.name;
    }
}

TEST_P(TableGrid, MergingMovesItemsInRowMajorOrderAndRefusalsOnlyBeep) {
    TableDoc d(GetParam());
    auto t = d.Make(3, 3);
    const char* texts[2][2] = {{"a", "b"}, {"c", "d"}};
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) {
            SetTextOf(*t->Cells(r, c), texts[r][c]);
        }
    }
    t->Rows.MergeCells(0, 0, 2, 2, false);
    EXPECT_TRUE(GridIsSound(t->Rows));
    EXPECT_EQ(Texts(*t->Cells(0, 0)), "a|b|c|d|");
    EXPECT_EQ(d.Beeps, 0);

    auto cut = d.Make(3, 3);
    cut->Rows.MergeCells(1, 1, 2, 2, false);
    auto before = Snapshot(cut->Rows);
    cut->Rows.MergeCells(0, 0, 2, 2, false); // cuts through the merged area
    EXPECT_EQ(d.Beeps, 1);
    EXPECT_EQ(Snapshot(cut->Rows), before);
}

TEST_P(TableGrid, MergeRulesForColumnsAndRowsLeftWithoutCells) {
    TableDoc d(GetParam());
    struct Case {
        int rows, cols, top, left, colSpan, rowSpan;
        bool allowRC, expected;
    } cases[] = {
        {2, 2, 0, 0, 2, 1, false, true},  // row 1 keeps a cell in column 1
        {1, 2, 0, 0, 2, 1, false, false}, // column 1 would have no cell of its own
        {1, 2, 0, 0, 2, 1, true, true},
        {2, 1, 0, 0, 1, 2, false, false}, // row 1 would have no cell of its own
        {2, 2, 0, 0, 1, 2, false, true},
        {2, 2, 1, 1, 1, 1, false, false}, // a single cell is nothing to merge
    };
    for (const Case& c : cases) {
        auto t = d.Make(c.rows, c.cols);
        EXPECT_EQ(t->Rows.CanMergeCells(c.top, c.left, c.colSpan, c.rowSpan, c.allowRC), c.expected)
            << c.rows << "x" << c.cols << " " << c.colSpan << "x" << c.rowSpan;
    }
}

TEST_P(TableGrid, UnmergingSharesTheWidthWithoutLosingIt) {
    TableDoc d(GetParam());
    const std::pair<int, int> shares[] = {{1, 1}, {-1, -1}, {90, 30}, {-60, -20}};
    for (auto [best, share] : shares) {
        auto t = d.Make(2, 3);
        t->Rows.MergeCells(0, 0, 3, 2, true);
        t->Cells(0, 0)->BestWidth = best;
        t->Cells(0, 0)->BestHeight = 40;
        t->Rows.UnmergeCell(0, 0, true, true);
        EXPECT_TRUE(GridIsSound(t->Rows));
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_NE(t->Cells(r, c), nullptr);
                EXPECT_EQ(t->Cells(r, c)->BestWidth, share) << best;
            }
            EXPECT_EQ(t->Cells(r, 0)->BestHeight, 20);
        }
    }
}

TEST_P(TableGrid, SplittingACellInsertsGridColumnsAndRemergesTheOtherRows) {
    TableDoc d(GetParam());
    auto t = d.Make(3, 2);
    EXPECT_EQ(t->Rows.SplitCellVertically(1, 0, 3), 2);
    EXPECT_TRUE(GridIsSound(t->Rows));
    EXPECT_EQ(t->Rows.ColCount(), 4);
    for (int r : {0, 2}) {
        EXPECT_EQ(t->Cells(r, 0)->ColSpan, 3);
    }
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(t->Cells(1, c)->ColSpan, 1);
    }

    // Fewer parts than the cell spans: its columns are merged in groups, nothing inserted.
    auto wide = d.Make(2, 4);
    wide->Rows.MergeCells(0, 0, 4, 1, true);
    EXPECT_EQ(wide->Rows.SplitCellVertically(0, 0, 2), 0);
    EXPECT_EQ(std::make_pair(wide->Cells(0, 0)->ColSpan, wide->Cells(0, 2)->ColSpan),
              std::make_pair(2, 2));

    auto tall = d.Make(2, 3);
    EXPECT_EQ(tall->Rows.SplitCellHorizontally(0, 1, 3), 2);
    EXPECT_TRUE(GridIsSound(tall->Rows));
    EXPECT_EQ(tall->Rows.Count(), 4);
    EXPECT_EQ(std::make_pair(tall->Cells(0, 0)->RowSpan, tall->Cells(0, 2)->RowSpan),
              std::make_pair(3, 3));
}

// A failure half-way through an edit: the merge after it has moved an item into the main
// cell, the row deletion after it has cut one cell and shrunk another.
TEST_P(TableGrid, AFailureInsideAnEditLeavesTheGridAsItWas) {
    TableDoc d(GetParam());
    auto t = d.Make(2, 2);
    SetTextOf(*t->Cells(0, 0), "x");
    TRNTableCellData& right = *t->Cells(0, 1);
    right.Clear();
    TRefusingText& y = AddRefusingText(right, "y");
    AddRefusingText(right, "z");
    auto before = Snapshot(t->Rows);
    y.Armed = true;
    EXPECT_THROW(t->Rows.MergeCells(0, 0, 2, 1, true), ERichNoteError);
    EXPECT_EQ(Snapshot(t->Rows), before);
    EXPECT_EQ(&right.GetItem(0), &y);
    EXPECT_EQ(right.GetRow(), t->Rows.Get(0));
    t->Rows.MergeCells(0, 0, 2, 1, true);
    EXPECT_EQ(Texts(*t->Cells(0, 0)), "x|y|z|");

    auto tall = d.Make(4, 2);
    tall->Rows.MergeCells(1, 1, 1, 3, true);
    tall->Rows.MergeCells(0, 0, 1, 2, true);
    TRNTableCellData& cut = *tall->Cells(1, 1);
    cut.Clear();
    AddRefusingText(cut, "deleted").Armed = true;
    before = Snapshot(tall->Rows);
    EXPECT_THROW(tall->Rows.DeleteRows(1, 1, true), ERichNoteError);
    EXPECT_EQ(Snapshot(tall->Rows), before);
    EXPECT_EQ(std::make_pair(tall->Cells(0, 0)->RowSpan, cut.RowSpan), std::make_pair(2, 3));
    tall->Rows.DeleteRows(1, 1, true);
    EXPECT_TRUE(GridIsSound(tall->Rows));
    EXPECT_EQ(tall->Rows.Count(), 3);
}

TEST_P(TableGrid, AnyGridIsMadeSoundWithoutLosingACell) {
    TableDoc d(GetParam());
    auto t = d.Make(3, 3);
    TRNTableRows& g = t->Rows;
    TRNTableCellData* wide = g.Cell(0, 0);
    wide->ColSpan = 5; // beyond the grid, and over the cell at (0, 2)
    g.Get(0)->Take(1);
    TRNTableCellData* keptInArea = g.Cell(0, 2);
    TRNTableCellData* deep = g.Cell(1, 1);
    deep->RowSpan = 9; // beyond the grid
    g.Get(2)->Take(1);
    g.Get(2)->Take(0);   // under no cell
    g.Get(2)->Delete(2); // a short row
    std::vector<const TRNTableCellData*> cells;
    g.ForEachCell([&](TRNTableCellData& cell) { cells.push_back(&cell); });
    g.MakeSound();
    EXPECT_TRUE(GridIsSound(g));
    std::vector<const TRNTableCellData*> after;
    g.ForEachCell([&](TRNTableCellData& cell) { after.push_back(&cell); });
    for (const TRNTableCellData* cell : cells) {
        EXPECT_NE(std::find(after.begin(), after.end(), cell), after.end());
    }
    EXPECT_EQ(std::make_pair(wide->ColSpan, keptInArea->ColSpan), std::make_pair(2, 1));
    EXPECT_EQ(deep->RowSpan, 2);
    EXPECT_TRUE(IsFreshCell(*g.Cell(2, 0)));
    EXPECT_TRUE(IsFreshCell(*g.Cell(2, 2)));
}

// A read that stopped before the first cell leaves a row without slots: it gets one cell.
TEST_P(TableGrid, ARowWithoutSlotsIsMadeOneCell) {
    TableDoc d(GetParam());
    auto t = d.Make(1, 2);
    TRNTableRows& g = t->Rows;
    g.Get(0)->Clear();
    ASSERT_EQ(g.ColCount(), 0);
    g.MakeSound();
    EXPECT_TRUE(GridIsSound(g));
    EXPECT_EQ(std::make_pair(g.Count(), g.ColCount()), std::make_pair(1, 1));
    EXPECT_TRUE(IsFreshCell(*g.Cell(0, 0)));
}

TEST_P(TableGrid, RandomEditsKeepTheGridSound) {
    TableDoc d(GetParam());
    auto t = d.Make(3, 3);
    std::mt19937 rng(20261206);
    int texts = 0;
    for (int step = 0; step < 10000; ++step) {
        // Cells hold text, so that merges move items from cell to cell.
        t->Rows.ForEachCell([&](TRNTableCellData& cell) {
            if (IsFreshCell(cell)) {
                SetTextOf(cell, std::to_string(texts++));
            }
        });
        int op = -1;
        try {
            op = RandomGridEdit(t->Rows, rng);
        } catch (const ERichNoteError& e) {
            ADD_FAILURE() << "step " << step << ": " << e.what();
        }
        ASSERT_TRUE(GridIsSound(t->Rows)) << "step " << step << " op " << op;
    }
}

} // namespace
