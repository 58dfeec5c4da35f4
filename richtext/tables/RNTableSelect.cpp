// The rectangular cell selection of a table: which cells it covers, and marking them.

#include "richtext/tables/RNTable.h"

#include <algorithm>

namespace {

TCustomRNFormattedData* SelectingDocument(TCustomRNData* data) {
    auto* doc = dynamic_cast<TCustomRNFormattedData*>(data);
    return doc && doc->GetOptions().Contains(TRNOption::rnoAllowSelection) ? doc : nullptr;
}

} // namespace

void TRNTableItemInfo::Select(int startRow, int startCol, int rowOffs, int colOffs) {
    TCustomRNFormattedData* doc = SelectingDocument(Rows.MainRNData);
    if (!doc) {
        return;
    }
    doc->SetPartialSelectedItem(this);
    CellsSelected = true;
    SelStartRow = startRow;
    SelStartCol = startCol;
    SelRowOffs = rowOffs;
    SelColOffs = colOffs;
    UpdateCellSel();
    doc->Invalidate();
}

void TRNTableItemInfo::SelectRows(int startRow, int count) {
    if (startRow >= 0 && startRow < Rows.Count()) {
        Select(startRow, 0, count - 1, Rows.Get(startRow)->Count() - 1);
    }
}

void TRNTableItemInfo::SelectCols(int startCol, int count) {
    Select(0, startCol, Rows.Count() - 1, count - 1);
}

void TRNTableItemInfo::Deselect() {
    CellsSelected = false;
    SelStartRow = SelStartCol = -1;
    SelRowOffs = SelColOffs = 0;
    UpdateCellSel();
    if (auto* doc = dynamic_cast<TCustomRNFormattedData*>(Rows.MainRNData)) {
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

bool TRNTableItemInfo::GetNormalizedSelectionBounds(bool /*includeEditedCell*/, int& topRow,
                                                    int& leftCol, int& colSpan,
                                                    int& rowSpan) const {
    // Without a cell editor there is no edited cell to fall back on.
    const int endRow = SelStartRow + SelRowOffs;
    const int endCol = SelStartCol + SelColOffs;
    auto inside = [this](int r, int c) {
        return r >= 0 && r < Rows.Count() && c >= 0 && c < Rows.Get(r)->Count();
    };
    if (!CellsSelected || !inside(SelStartRow, SelStartCol) || !inside(endRow, endCol)) {
        return false;
    }
    int ar = 0, ac = 0, br = 0, bc = 0;
    const TRNTableCellData* a = Rows.GetMainCell(SelStartRow, SelStartCol, ar, ac);
    const TRNTableCellData* b = Rows.GetMainCell(endRow, endCol, br, bc);
    topRow = std::min(ar, br);
    leftCol = std::min(ac, bc);
    const int bottom = std::max(ar + a->RowSpan - 1, br + b->RowSpan - 1);
    const int right = std::max(ac + a->ColSpan - 1, bc + b->ColSpan - 1);
    colSpan = right - leftCol + 1;
    rowSpan = bottom - topRow + 1;
    return true;
}

bool TRNTableItemInfo::IsCellSelected(int row, int col) const {
    int top = 0, left = 0, colSpan = 0, rowSpan = 0;
    if (!GetNormalizedSelectionBounds(false, top, left, colSpan, rowSpan)) {
        return false;
    }
    int mr = 0, mc = 0;
    const TRNTableCellData* cell = Rows.GetMainCell(row, col, mr, mc);
    return mc + cell->ColSpan > left && left + colSpan > mc && mr + cell->RowSpan > top &&
           top + rowSpan > mr;
}

void TRNTableItemInfo::UpdateCellSel() {
    for (int r = 0; r < Rows.Count(); ++r) {
        for (int c = 0; c < Rows.Get(r)->Count(); ++c) {
            TRNTableCellData* cell = Rows.Cell(r, c);
            if (!cell) {
                continue;
            }
            if (IsCellSelected(r, c)) {
                cell->State.Include(TRNStateItem::rnstCompletelySelected);
            } else {
                if (r != SelStartRow || c != SelStartCol) {
                    cell->Deselect(nullptr);
                }
                cell->State.Exclude(TRNStateItem::rnstCompletelySelected);
            }
        }
    }
}
