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

// A cell editor that only keeps where it is open.
struct FakeCellEditor : IRNTableCellEditor {
    TRNTableItemInfo* Table = nullptr;
    bool Opened = false;
    bool IsOpen() const override { return Opened; }
    void Open(int row, int col, bool) override {
        Opened = true;
        Table->EditedCellRow = row;
        Table->EditedCellCol = col;
    }
    void Close() override { Opened = false; }
    void Save() override {}
    void Restore() override {}
    void MouseDown(int, uint32_t, int, int) override {}
    void ClearSelection() override {}
    void SelectCompletely(bool) override {}
    void Place(int, int) override {}
    bool Owns(const void*) const override { return false; }
    int BuildJumps(int) override { return 0; }
};

TEST(TableEdit, DeletingRowsAndColumnsMovesTheEditedCell) {
    TableEditor te(5, 3);
    FakeCellEditor editor;
    editor.Table = te.T;
    te.T->CellEditor = &editor;
    EXPECT_THROW(te.T->DeleteRows(0, 5, false), ERichNoteError);
    EXPECT_THROW(te.T->DeleteCols(3, 1, false), ERichNoteError);
    auto edited = [&] { return std::make_pair(te.T->EditedCellRow, te.T->EditedCellCol); };
    editor.Open(3, 2, false);
    te.T->DeleteRows(0, 1, false); // before the edited cell: it moves up
    EXPECT_EQ(edited(), std::make_pair(2, 2));
    te.T->DeleteRows(1, 9, false); // the count is clipped; the edited row is gone
    ASSERT_EQ(te.T->Rows.Count(), 1);
    EXPECT_EQ(edited(), std::make_pair(0, 2));
    te.T->DeleteCols(0, 1, false);
    EXPECT_EQ(edited(), std::make_pair(0, 1));
    editor.Close();
    te.T->Rows.MergeCells(0, 0, 2, 1, true);
    te.T->InsertRows(1, 1, -1);
    te.T->DeleteRows(1, 1, false); // no edited cell: it opens where the rows went
    EXPECT_TRUE(editor.Opened);
    EXPECT_EQ(edited(), std::make_pair(0, 0)); // the main cell of the merged area
    te.T->CellEditor = nullptr;
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
