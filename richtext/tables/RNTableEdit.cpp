// The table's editing commands: rows and columns inserted and deleted around the selection,
// cells split, merged and unmerged. Each runs the grid operation inside one undo group.

#include "richtext/model/RNError.h"
#include "richtext/tables/RNTable.h"

#include <algorithm>

namespace {

struct Selection {
    int Top = 0, Left = 0, ColSpan = 0, RowSpan = 0;
};

void CheckIndex(bool valid) {
    if (!valid) {
        throw ERichNoteError("Invalid row or column index");
    }
}

// The selection the commands work on; a beep through the document when there is none.
bool SelectionOf(TRNTableItemInfo& table, Selection& s) {
    if (table.GetNormalizedSelectionBounds(true, s.Top, s.Left, s.ColSpan, s.RowSpan)) {
        return true;
    }
    if (table.Rows.MainRNData) {
        table.Rows.MainRNData->Beep();
    }
    return false;
}

} // namespace

void TRNTableItemInfo::CloseCellEditor() {
    if (EditorOpen()) {
        CellEditor->Close();
    }
}

void TRNTableItemInfo::ReopenCellEditor(int row, int col) {
    if (!CellEditor || !CanChange() || !Options.Contains(TRNTableOption::rntoEditing)) {
        return;
    }
    int mr = 0, mc = 0;
    Rows.GetMainCell(std::clamp(row, 0, Rows.Count() - 1), std::clamp(col, 0, Rows.ColCount() - 1),
                     mr, mc);
    CellEditor->Open(mr, mc, false);
}

void TRNTableItemInfo::InsertRows(int index, int count, int copyIndex) {
    CheckIndex(index >= 0 && index <= Rows.Count() && copyIndex >= -1 && copyIndex < Rows.Count());
    CloseCellEditor();
    {
        TRNTableUndoGroup group(*this);
        Rows.InsertRows(index, count, copyIndex, false);
    }
    SelectRows(index, count);
    NeedsReformat = true;
}

void TRNTableItemInfo::InsertCols(int index, int count, int copyIndex) {
    const int cols = Rows.ColCount();
    CheckIndex(index >= 0 && index <= cols && copyIndex >= -1 && copyIndex < cols);
    CloseCellEditor();
    {
        TRNTableUndoGroup group(*this);
        Rows.InsertCols(index, count, copyIndex, false);
    }
    SelectCols(index, count);
    NeedsReformat = true;
}

void TRNTableItemInfo::InsertRowsAbove(int count) {
    if (Selection s; SelectionOf(*this, s)) {
        InsertRows(s.Top, count, s.Top);
    }
}

void TRNTableItemInfo::InsertRowsBelow(int count) {
    if (Selection s; SelectionOf(*this, s)) {
        InsertRows(s.Top + s.RowSpan, count, s.Top + s.RowSpan - 1);
    }
}

void TRNTableItemInfo::InsertColsLeft(int count) {
    if (Selection s; SelectionOf(*this, s)) {
        InsertCols(s.Left, count, s.Left);
    }
}

void TRNTableItemInfo::InsertColsRight(int count) {
    if (Selection s; SelectionOf(*this, s)) {
        InsertCols(s.Left + s.ColSpan, count, s.Left + s.ColSpan - 1);
    }
}

void TRNTableItemInfo::DeleteRows(int index, int count, bool decreaseHeight) {
    CheckIndex(index >= 0 && index < Rows.Count() && count > 0 &&
               !(index == 0 && count >= Rows.Count()));
    // The edited cell keeps its place among the rows that stay; without one the editor opens
    // where the rows went.
    int row = index, col = 0;
    if (EditorOpen()) {
        row = EditedCellRow;
        col = EditedCellCol;
        if (index + count <= row) {
            row -= count;
        }
    }
    CloseCellEditor();
    Deselect();
    {
        TRNTableUndoGroup group(*this);
        Rows.DeleteRows(index, count, decreaseHeight);
    }
    ReopenCellEditor(row, col);
    NeedsReformat = true;
}

void TRNTableItemInfo::DeleteCols(int index, int count, bool decreaseWidth) {
    const int cols = Rows.ColCount();
    CheckIndex(index >= 0 && index < cols && count > 0 && !(index == 0 && count >= cols));
    int row = 0, col = index;
    if (EditorOpen()) {
        row = EditedCellRow;
        col = EditedCellCol;
        if (index + count <= col) {
            col -= count;
        }
    }
    CloseCellEditor();
    Deselect();
    {
        TRNTableUndoGroup group(*this);
        Rows.DeleteCols(index, count, decreaseWidth);
    }
    ReopenCellEditor(row, col);
    NeedsReformat = true;
}

void TRNTableItemInfo::DeleteSelectedRows() {
    if (Selection s; SelectionOf(*this, s)) {
        DeleteRows(s.Top, s.RowSpan, true);
    }
}

void TRNTableItemInfo::DeleteSelectedCols() {
    if (Selection s; SelectionOf(*this, s)) {
        DeleteCols(s.Left, s.ColSpan, true);
    }
}

void TRNTableItemInfo::DeleteEmptyRows() {
    TRNTableUndoGroup group(*this);
    for (int r = Rows.Count() - 1; r >= 0; --r) {
        bool empty = true;
        for (int c = 0; c < Rows.Get(r)->Count() && empty; ++c) {
            empty = Rows.Cell(r, c) == nullptr;
        }
        if (empty) {
            DeleteRows(r, 1, false);
        }
    }
}

void TRNTableItemInfo::DeleteEmptyCols() {
    TRNTableUndoGroup group(*this);
    for (int c = Rows.ColCount() - 1; c >= 0; --c) {
        bool empty = true;
        for (int r = 0; r < Rows.Count() && empty; ++r) {
            empty = Rows.Cell(r, c) == nullptr;
        }
        if (empty) {
            DeleteCols(c, 1, false);
        }
    }
}

void TRNTableItemInfo::SplitSelectedCellsVertically(int colCount) {
    Selection s;
    if (!SelectionOf(*this, s)) {
        return;
    }
    CloseCellEditor();
    TRNTableUndoGroup group(*this);
    const int added = Rows.SplitCellsVertically(s.Top, s.Left, s.ColSpan, s.RowSpan, colCount);
    Select(s.Top, s.Left, s.RowSpan - 1, s.ColSpan + added - 1);
    NeedsReformat = true;
}

void TRNTableItemInfo::SplitSelectedCellsHorizontally(int rowCount) {
    Selection s;
    if (!SelectionOf(*this, s)) {
        return;
    }
    CloseCellEditor();
    TRNTableUndoGroup group(*this);
    const int added = Rows.SplitCellsHorizontally(s.Top, s.Left, s.ColSpan, s.RowSpan, rowCount);
    Select(s.Top, s.Left, s.RowSpan + added - 1, s.ColSpan - 1);
    NeedsReformat = true;
}

bool TRNTableItemInfo::CanMergeCells(int topRow, int leftCol, int colSpan, int rowSpan,
                                     bool allowMergeRC) const {
    return Rows.CanMergeCells(topRow, leftCol, colSpan, rowSpan, allowMergeRC);
}

bool TRNTableItemInfo::CanMergeSelectedCells(bool allowMergeRC) const {
    Selection s;
    return CellsSelected &&
           GetNormalizedSelectionBounds(false, s.Top, s.Left, s.ColSpan, s.RowSpan) &&
           CanMergeCells(s.Top, s.Left, s.ColSpan, s.RowSpan, allowMergeRC);
}

void TRNTableItemInfo::MergeCells(int topRow, int leftCol, int colSpan, int rowSpan,
                                  bool allowMergeRC) {
    CloseCellEditor();
    {
        TRNTableUndoGroup group(*this);
        Rows.MergeCells(topRow, leftCol, colSpan, rowSpan, allowMergeRC);
    }
    NeedsReformat = true;
}

void TRNTableItemInfo::MergeSelectedCells(bool allowMergeRC) {
    Selection s;
    if (CellsSelected && GetNormalizedSelectionBounds(false, s.Top, s.Left, s.ColSpan, s.RowSpan)) {
        MergeCells(s.Top, s.Left, s.ColSpan, s.RowSpan, allowMergeRC);
    }
}

void TRNTableItemInfo::UnmergeCells(int topRow, int leftCol, int colSpan, int rowSpan,
                                    bool unmergeRows, bool unmergeCols) {
    // The editor comes back on its cell, or not at all when that cell is gone.
    if (CellEditor) {
        CellEditor->Save();
    }
    {
        TRNTableUndoGroup group(*this);
        Rows.UnmergeCells(topRow, leftCol, colSpan, rowSpan, unmergeRows, unmergeCols);
    }
    if (CellEditor) {
        CellEditor->Restore();
    }
    NeedsReformat = true;
}

void TRNTableItemInfo::UnmergeSelectedCells(bool unmergeRows, bool unmergeCols) {
    if (Selection s; GetNormalizedSelectionBounds(true, s.Top, s.Left, s.ColSpan, s.RowSpan)) {
        UnmergeCells(s.Top, s.Left, s.ColSpan, s.RowSpan, unmergeRows, unmergeCols);
    }
}
