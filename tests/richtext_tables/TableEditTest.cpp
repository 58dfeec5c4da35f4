#include "TableEditorFixture.h"
#include "richtext/model/RNError.h"

namespace {

using Bounds = std::tuple<int, int, int, int>; // top row, left column, columns, rows

Bounds SelectionOf(const TRNTableItemInfo& t) {
    Bounds b{-1, -1, 0, 0};
    auto& [top, left, cols, rows] = b;
    t.GetNormalizedSelectionBounds(true, top, left, cols, rows);
    return b;
}

TEST(TableEdit, TheSelectionGrowsOnlyByItsCornerCells) {
    TableEditor te(3, 4);
    te.T->Rows.MergeCells(1, 2, 2, 2, true); // rows 1-2, columns 2-3
    te.T->Rows.MergeCells(0, 0, 1, 3, true); // rows 0-2, column 0
    struct Case {
        int row, col, rowOffs, colOffs;
        Bounds expected;
    } cases[] = {
        {0, 1, 1, 1, {0, 1, 3, 3}}, // the corner (1, 2) brings its whole area
        {0, 1, 0, 2, {0, 1, 3, 1}}, // the area below the edge does not widen it
        {2, 1, 0, 0, {2, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        te.T->Select(c.row, c.col, c.rowOffs, c.colOffs);
        EXPECT_EQ(SelectionOf(*te.T), c.expected) << c.row << "," << c.col;
    }
    EXPECT_TRUE(te.T->IsCellSelected(2, 1));
    EXPECT_FALSE(te.T->IsCellSelected(1, 0)); // inside the area of (0, 0)
    te.T->Deselect();
    EXPECT_FALSE(te.T->CellsSelected);
    EXPECT_EQ(SelectionOf(*te.T), (Bounds{-1, -1, 0, 0}));
}

TEST(TableEdit, InsertingBelowTheSelectionCopiesItsRowAndSelectsTheNewOnes) {
    TableEditor te(5, 2);
    te.T->Cells(3, 0)->Color = clRed;
    te.T->Select(3, 0, 0, 0);
    te.T->InsertRowsBelow(2);
    ASSERT_EQ(te.T->Rows.Count(), 7);
    EXPECT_TRUE(GridIsSound(te.T->Rows));
    for (int r : {4, 5}) {
        EXPECT_EQ(te.T->Cells(r, 0)->Color, clRed) << r;
        EXPECT_TRUE(IsFreshCell(*te.T->Cells(r, 0))) << r;
    }
    EXPECT_EQ(SelectionOf(*te.T), (Bounds{4, 0, 2, 2}));
    EXPECT_EQ(te.E.D().UndoList().Count(), 1);
    te.E.Undo();
    EXPECT_EQ(te.T->Rows.Count(), 5);
}

TEST(TableEdit, CommandsWithoutASelectionBeep) {
    TableEditor te(2, 2);
    const auto before = Snapshot(te.T->Rows);
    te.T->InsertRowsAbove(1);
    te.T->InsertColsRight(1);
    te.T->DeleteSelectedRows();
    te.T->SplitSelectedCellsVertically(2);
    EXPECT_EQ(te.E.Beeps, 4);
    EXPECT_EQ(Snapshot(te.T->Rows), before);
    EXPECT_FALSE(te.T->CanMergeSelectedCells(true));
}

TEST(TableEdit, DeletingRowsAndColumnsChecksAndClips) {
    TableEditor te(5, 3);
    EXPECT_THROW(te.T->DeleteRows(0, 5, false), ERichNoteError);
    EXPECT_THROW(te.T->DeleteCols(3, 1, false), ERichNoteError);
    te.T->EditedCellRow = 4;
    te.T->EditedCellCol = 2;
    te.T->DeleteRows(0, 1, false); // before the edited cell: it moves up
    EXPECT_EQ(std::make_pair(te.T->EditedCellRow, te.T->EditedCellCol), std::make_pair(3, 2));
    te.T->DeleteRows(1, 9, false); // the count is clipped; the edited row is gone
    EXPECT_EQ(te.T->Rows.Count(), 1);
    EXPECT_EQ(te.T->EditedCellRow, 0);
    te.T->DeleteCols(1, 1, false);
    EXPECT_EQ(te.T->EditedCellCol, 1);
}

TEST(TableEdit, MergeSplitAndEmptyRowCleanupAreUndoneStepByStep) {
    TableEditor te(3, 3);
    const auto start = Snapshot(te.T->Rows);
    te.T->Select(0, 0, 1, 1);
    ASSERT_TRUE(te.T->CanMergeSelectedCells(true));
    te.T->MergeSelectedCells(true);
    EXPECT_EQ(te.T->Cells(0, 0)->ColSpan, 2);
    te.T->Select(0, 2, 1, 0);
    te.T->MergeSelectedCells(true); // now row 1 has no cell of its own
    te.T->DeleteEmptyRows();
    EXPECT_EQ(te.T->Rows.Count(), 2);
    EXPECT_TRUE(GridIsSound(te.T->Rows));
    te.T->Select(1, 0, 0, 0);
    te.T->SplitSelectedCellsVertically(2);
    EXPECT_EQ(SelectionOf(*te.T), (Bounds{1, 0, 2, 1})); // widened by the column added
    te.T->UnmergeCells(0, 0, 3, 2, true, true);
    EXPECT_TRUE(GridIsSound(te.T->Rows));
    EXPECT_EQ(te.E.D().UndoList().Count(), 5);
    while (te.E.D().UndoList().Count() > 0) {
        te.E.Undo();
    }
    EXPECT_EQ(Snapshot(te.T->Rows), start);
}

} // namespace
