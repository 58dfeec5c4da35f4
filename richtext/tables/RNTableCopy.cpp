// Copying the selected cells: the selected rectangle as a table of its own, and as text with a
// tab between cells and a line break between rows.

#include "platform/base/Stream.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNUni.h"
#include "richtext/tables/RNTable.h"

#include <algorithm>

namespace {

// Grows the rectangle until every merged cell it touches lies wholly inside it.
void CoverWholeCells(const TRNTableRows& rows, int& top, int& left, int& bottom, int& right) {
    for (bool grown = true; grown;) {
        grown = false;
        for (int r = top; r <= bottom; ++r) {
            for (int c = left; c <= right; ++c) {
                int mr = 0, mc = 0;
                const TRNTableCellData* cell = rows.GetMainCell(r, c, mr, mc);
                const int lastRow = mr + cell->RowSpan - 1;
                const int lastCol = mc + cell->ColSpan - 1;
                if (mr < top || mc < left || lastRow > bottom || lastCol > right) {
                    top = std::min(top, mr);
                    left = std::min(left, mc);
                    bottom = std::max(bottom, lastRow);
                    right = std::max(right, lastCol);
                    grown = true;
                }
            }
        }
    }
}

} // namespace

std::unique_ptr<TCustomRNItemInfo> TRNTableItemInfo::CopyPartiallySelected(TCustomRNData& rnData) {
    int top = 0, left = 0, colSpan = 0, rowSpan = 0;
    if (!GetNormalizedSelectionBounds(false, top, left, colSpan, rowSpan)) {
        return nullptr;
    }
    // A merged cell the selection touches is cleared whole by Cut: it is copied whole too.
    int bottom = top + rowSpan - 1;
    int right = left + colSpan - 1;
    CoverWholeCells(Rows, top, left, bottom, right);
    // The whole table goes through its stored form, so that the copy is what a note keeps of
    // it, the cell being edited included; then the rows and columns around the rectangle go.
    TMemoryStream stream;
    SaveToStream(stream);
    stream.SetPosition(0);
    auto copy = std::make_unique<TRNTableItemInfo>(&rnData);
    copy->LoadFromStream(stream);
    copy->ParaNo = ParaNo;
    TRNTableRows& rows = copy->Rows;
    // Cells the rectangle took in only to hold a merged cell whole are not selected: they
    // come empty.
    TRNIntegerList emptyRows, emptyCols;
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            if (rows.Cell(r, c) && !IsCellSelected(r, c)) {
                emptyRows.Add(r);
                emptyCols.Add(c);
            }
        }
    }
    if (emptyRows.Count() > 0) {
        rows.Do_ClearCells(nullptr, emptyRows, emptyCols);
    }
    // Below and right first: the rows above and the columns to the left keep their numbers.
    if (bottom + 1 < rows.Count()) {
        rows.DeleteRows(bottom + 1, rows.Count() - bottom - 1, false);
    }
    if (top > 0) {
        rows.DeleteRows(0, top, false);
    }
    if (right + 1 < rows.ColCount()) {
        rows.DeleteCols(right + 1, rows.ColCount() - right - 1, false);
    }
    if (left > 0) {
        rows.DeleteCols(0, left, false);
    }
    return copy;
}

std::string TRNTableItemInfo::PartiallySelectedText(TCustomRNData& rnData, bool unicode) {
    const std::unique_ptr<TCustomRNItemInfo> item = CopyPartiallySelected(rnData);
    if (!item) {
        return {};
    }
    // The copy's own text with the separators a spreadsheet reads; it goes when this is done.
    auto& copy = static_cast<TRNTableItemInfo&>(*item);
    copy.TextColSeparator = "\t";
    copy.TextRowSeparator = "\r\n";
    std::string text = copy.AsText(80, rnData, "", "", true, unicode);
    // Rows are separated, not ended: the last row's separator goes.
    const std::string rowEnd =
        unicode ? RNU_AnsiToUnicode(rnData.GetDefaultCodePage(), copy.TextRowSeparator)
                : copy.TextRowSeparator;
    if (text.ends_with(rowEnd)) {
        text.resize(text.size() - rowEnd.size());
    }
    return text;
}
