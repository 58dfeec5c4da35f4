// The rectangular cell selection, the way from one cell to the next, the focus among the items
// of the cells that take it, and the hypertext areas of the cells.

#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTable.h"
#include "richtext/view/CRNFData.h"

#include <algorithm>

namespace {

TCustomRNFormattedData* FormattedDoc(const TRNTableRows& rows) {
    return TCustomRNFormattedData::Formatted(rows.MainRNData);
}

} // namespace

// Position.

void TRNTableItemInfo::AdjustInserted(int x, int y, bool /*reformat*/) {
    if (EditorOpen()) {
        CellEditor->Place(x, y);
    }
    PaintLeft = x;
    PaintTop = y;
    Rows.ForEachCell([](TRNTableCellData& cell) { cell.AdjustChildrenCoords(); });
}

// Selection.

void TRNTableItemInfo::Select(int startRow, int startCol, int rowOffs, int colOffs) {
    if (EditorOpen()) {
        CellEditor->Close();
    }
    TCustomRNFormattedData* doc = FormattedDoc(Rows);
    if (!doc || !doc->GetOptions().Contains(TRNOption::rnoAllowSelection)) {
        return;
    }
    // The cells are set before the document hears of the change: whoever follows the
    // selection finds them selected.
    const bool alreadyPartial = doc->PartialSelectedItem == this;
    CellsSelected = true;
    SelStartRow = startRow;
    SelStartCol = startCol;
    SelRowOffs = rowOffs;
    SelColOffs = colOffs;
    UpdateCellSel();
    if (alreadyPartial) {
        doc->DoSelect();
    } else {
        doc->SetPartialSelectedItem(this);
    }
    doc->Invalidate();
}

void TRNTableItemInfo::SelectRows(int startRow, int count) {
    // The column offset comes from the first selected row itself: row startRow - 1 may not
    // exist.
    Select(startRow, 0, count - 1, Rows.Get(startRow)->Count() - 1);
}

void TRNTableItemInfo::SelectCols(int startCol, int count) {
    Select(0, startCol, Rows.Count() - 1, count - 1);
}

void TRNTableItemInfo::Deselect() {
    if (EditorOpen()) {
        CellEditor->ClearSelection();
        return;
    }
    CellsSelected = false;
    SelStartRow = SelStartCol = -1;
    SelRowOffs = SelColOffs = 0;
    UpdateCellSel();
    if (TCustomRNFormattedData* doc = FormattedDoc(Rows)) {
        doc->Invalidate();
    }
}

bool TRNTableItemInfo::GetSelectionBounds(int& startRow, int& startCol, int& rowOffs,
                                          int& colOffs) const {
    startRow = SelStartRow;
    startCol = SelStartCol;
    rowOffs = SelRowOffs;
    colOffs = SelColOffs;
    return CellsSelected;
}

bool TRNTableItemInfo::GetNormalizedSelectionBounds(bool includeEditedCell, int& topRow,
                                                    int& leftCol, int& colSpan,
                                                    int& rowSpan) const {
    if (CellsSelected && Rows.InGrid(SelStartRow, SelStartCol) &&
        Rows.InGrid(SelStartRow + SelRowOffs, SelStartCol + SelColOffs)) {
        int ar = 0, ac = 0, br = 0, bc = 0;
        const TRNTableCellData* a = Rows.GetMainCell(SelStartRow, SelStartCol, ar, ac);
        const TRNTableCellData* b =
            Rows.GetMainCell(SelStartRow + SelRowOffs, SelStartCol + SelColOffs, br, bc);
        topRow = std::min(ar, br);
        leftCol = std::min(ac, bc);
        const int bottom = std::max(ar + a->RowSpan, br + b->RowSpan) - 1;
        const int right = std::max(ac + a->ColSpan, bc + b->ColSpan) - 1;
        colSpan = right - leftCol + 1;
        rowSpan = bottom - topRow + 1;
        return true;
    }
    if (includeEditedCell && EditorOpen()) {
        const TRNTableCellData* cell = Cells(EditedCellRow, EditedCellCol);
        if (cell) {
            topRow = EditedCellRow;
            leftCol = EditedCellCol;
            colSpan = cell->ColSpan;
            rowSpan = cell->RowSpan;
            return true;
        }
    }
    return false;
}

bool TRNTableItemInfo::IsCellSelected(int row, int col) const {
    int top = 0, left = 0, colSpan = 0, rowSpan = 0;
    if (!CellsSelected || !GetNormalizedSelectionBounds(false, top, left, colSpan, rowSpan)) {
        return false;
    }
    int mr = 0, mc = 0;
    const TRNTableCellData* m = Rows.GetMainCell(row, col, mr, mc);
    return mc + m->ColSpan > left && left + colSpan > mc && mr + m->RowSpan > top &&
           top + rowSpan > mr;
}

void TRNTableItemInfo::UpdateCellSel() {
    for (int r = 0; r < Rows.Count(); ++r) {
        for (int c = 0; c < Rows.Get(r)->Count(); ++c) {
            TRNTableCellData* cell = Cells(r, c);
            if (!cell) {
                continue;
            }
            if (IsCellSelected(r, c)) {
                cell->State.Include(TRNStateItem::rnstCompletelySelected);
            } else if (r != SelStartRow || c != SelStartCol) {
                cell->Deselect(nullptr);
                cell->State.Exclude(TRNStateItem::rnstCompletelySelected);
            } else {
                cell->State.Exclude(TRNStateItem::rnstCompletelySelected);
            }
        }
    }
}

bool TRNTableItemInfo::StartSelecting(int row, int col) {
    auto* doc = FormattedDoc(Rows);
    if (!doc || !doc->GetOptions().Contains(TRNOption::rnoAllowSelection)) {
        return false;
    }
    SelStartRow = row;
    SelStartCol = col;
    SelRowOffs = SelColOffs = 0;
    CellsSelected = false;
    doc->SetPartialSelectedItem(this);
    doc->SetMouseCapture(this, ClientLeft, ClientTop);
    UpdateCellSel();
    MouseSelecting = true;
    return true;
}

// From cell to cell.

bool TRNTableItemInfo::GetCellTo(int row, int col, TRNCellDirection direction, int& newRow,
                                 int& newCol, bool quiet) {
    const TRNTableCellData* cell = Cells(row, col);
    bool found = false;
    auto mainOf = [&](int r, int c) {
        Rows.GetMainCell(r, c, newRow, newCol);
        found = true;
    };
    switch (direction) {
    case TRNCellDirection::rncdLeft:
        if (col >= 1) {
            mainOf(row, col - 1);
        }
        break;
    case TRNCellDirection::rncdUp:
        if (row >= 1) {
            mainOf(row - 1, col);
        }
        break;
    case TRNCellDirection::rncdRight:
        if (cell && col + cell->ColSpan < Rows.Get(row)->Count()) {
            mainOf(row, col + cell->ColSpan);
        }
        break;
    case TRNCellDirection::rncdDown:
        if (cell && row + cell->RowSpan < Rows.Count()) {
            mainOf(row + cell->RowSpan, col);
        }
        break;
    case TRNCellDirection::rncdNext:
    case TRNCellDirection::rncdPrev: {
        const int step = direction == TRNCellDirection::rncdNext ? 1 : -1;
        const int cols = Rows.ColCount();
        for (int i = row * cols + col + step; i >= 0 && i < Rows.Count() * cols; i += step) {
            if (Cells(i / cols, i % cols)) {
                newRow = i / cols;
                newCol = i % cols;
                found = true;
                break;
            }
        }
        break;
    }
    }
    if (!found && !quiet) {
        if (TCustomRNData* doc = Rows.MainRNData) {
            doc->Beep();
        }
    }
    return found;
}

// Focus among the items of the cells.

void TRNTableItemInfo::ValidateFocused() {
    if (FocusedRow < 0 || FocusedRow >= Rows.Count() || FocusedCol < 0 ||
        FocusedCol >= Rows.ColCount() || !Cells(FocusedRow, FocusedCol)) {
        FocusedRow = FocusedCol = -1;
    }
}

bool TRNTableItemInfo::MoveFocus(bool goForward, TCustomRNData*& topData, int& topItemNo) {
    ValidateFocused();
    if (FocusedRow < 0) {
        if (goForward) {
            FocusedRow = FocusedCol = 0;
        } else {
            Rows.GetMainCell(Rows.Count() - 1, Rows.ColCount() - 1, FocusedRow, FocusedCol);
        }
        Cells(FocusedRow, FocusedCol)->FocusedItemNo = -1;
    }
    for (;;) {
        TRNTableCellData* cell = Cells(FocusedRow, FocusedCol);
        const int next =
            cell->GetNextFocusedItem(cell->FocusedItemNo, goForward, topData, topItemNo);
        if (next >= 0) {
            cell->FocusedItemNo = next;
            return true;
        }
        cell->FocusedItemNo = -1;
        int r = 0, c = 0;
        const auto direction = goForward ? TRNCellDirection::rncdNext : TRNCellDirection::rncdPrev;
        if (!GetCellTo(FocusedRow, FocusedCol, direction, r, c, true)) {
            FocusedRow = FocusedCol = -1;
            return false;
        }
        FocusedRow = r;
        FocusedCol = c;
        Cells(r, c)->FocusedItemNo = -1;
    }
}

void TRNTableItemInfo::ClearFocus() {
    ValidateFocused();
    if (FocusedRow >= 0) {
        TRNTableCellData* cell = Cells(FocusedRow, FocusedCol);
        cell->ClearFocus();
        cell->FocusedItemNo = -1;
    }
    FocusedRow = FocusedCol = -1;
}

void TRNTableItemInfo::AdjustFocus(int row, int col, TCustomRNData* topData, int topItemNo) {
    FocusedRow = row;
    FocusedCol = col;
    if (TCustomRNFormattedData* doc = FormattedDoc(Rows)) {
        doc->AdjustFocus(GetMyItemNo(), topData, topItemNo);
    }
}

bool TRNTableItemInfo::AdjustFocusToControl(IEmbeddedControl* control, TCustomRNData*& topData,
                                            int& topItemNo) {
    int row = -1, col = -1, itemNo = -1;
    if (!GetCellWhichOwnsControl(control, row, col, itemNo)) {
        return false;
    }
    FocusedRow = row;
    FocusedCol = col;
    TRNTableCellData* cell = Cells(row, col);
    cell->FocusedItemNo = itemNo;
    TCustomRNItemInfo& item = cell->GetItem(itemNo);
    item.AdjustFocusToControl(control, topData, topItemNo);
    if (item.GetBoolValue(TRNItemBoolProperty::rnbpImmediateControlOwner)) {
        topData = cell;
        topItemNo = itemNo;
    }
    return true;
}

void TRNTableItemInfo::GetCellPositon(const TRNTableCellData* cell, int& row, int& col) const {
    for (int r = 0; r < Rows.Count(); ++r) {
        for (int c = 0; c < Rows.Get(r)->Count(); ++c) {
            if (Cells(r, c) == cell) {
                row = r;
                col = c;
                return;
            }
        }
    }
    row = col = -1;
}

bool TRNTableItemInfo::GetCellWhichOwnsControl(const IEmbeddedControl* control, int& row, int& col,
                                               int& itemNo) const {
    for (int r = 0; r < Rows.Count(); ++r) {
        for (int c = 0; c < Rows.Get(r)->Count(); ++c) {
            if (const TRNTableCellData* cell = Cells(r, c)) {
                if (const int i = cell->FindControlItemNo(control); i >= 0) {
                    row = r;
                    col = c;
                    itemNo = i;
                    return true;
                }
            }
        }
    }
    return false;
}

bool TRNTableItemInfo::OwnsControl(const IEmbeddedControl* control) const {
    int row = 0, col = 0, itemNo = 0;
    return GetCellWhichOwnsControl(control, row, col, itemNo);
}

bool TRNTableItemInfo::OwnsInplaceEditor(const void* editor) const {
    return editor && EditorOpen() && CellEditor->Owns(editor);
}

// Hypertext areas, in the coordinates of the document that holds the table.

void TRNTableItemInfo::BuildJumps(int left, int top, int& startJumpNo,
                                  TRNList<TRNJumpInfo>& jumps) {
    TCustomRNData* doc = Rows.MainRNData;
    const int firstJumpNo = doc ? doc->GetFirstJumpNo() : 0;
    for (int r = 0; r < Rows.Count(); ++r) {
        for (int c = 0; c < Rows.Get(r)->Count(); ++c) {
            TRNTableCellData* cell = Cells(r, c);
            if (!cell) {
                continue;
            }
            if (EditorOpen() && r == EditedCellRow && c == EditedCellCol) {
                startJumpNo += CellEditor->BuildJumps(startJumpNo + firstJumpNo);
                continue;
            }
            const int before = jumps.Count();
            cell->BuildJumpsCoords(startJumpNo, &jumps);
            for (int i = before; i < jumps.Count(); ++i) {
                jumps[i]->Left += cell->Left + left + CellPadding;
                jumps[i]->Top += cell->Top + top + CellPadding;
            }
        }
    }
}
