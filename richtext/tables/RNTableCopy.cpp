// Copying the selected cells: the selected rectangle as a table of its own, its columns as wide
// as they were, and as text with a tab between cells and a line break between rows, as a
// spreadsheet reads them.

#include "platform/base/Rounding.h"
#include "platform/base/Stream.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNUni.h"
#include "richtext/tables/RNTable.h"

#include <algorithm>
#include <cstdint>
#include <limits>

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

// A table as wide as so many pixels, copied in part: as wide as its columns from `left` to
// `right` were on the screen, with the frame, padding and spacing of the copy's columns. Without
// a screen layout, the share of its width those columns have by number.
int CopiedPixelWidth(const TRNTableItemInfo& source, int left, int right,
                     const TRNTableItemInfo& copy) {
    const TRNTableItemFormattingInfo& layout = source.FormattingInfo;
    const int cols = right - left + 1;
    if (layout.ColWidths.Count() != source.Rows.ColCount()) {
        return MulDiv(source.BestWidth, cols, source.Rows.ColCount());
    }
    int64_t width = copy.GetHorzExtra() + 2 * static_cast<int64_t>(copy.CellPadding) * cols;
    for (int c = left; c <= right; ++c) {
        width += layout.ColWidths[c];
    }
    return static_cast<int>(std::min<int64_t>(width, std::numeric_limits<int>::max()));
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
    // A width in percent stays a share of the page.
    if (copy->BestWidth > 0) {
        copy->BestWidth = CopiedPixelWidth(*this, left, right, *copy);
    }
    return copy;
}

std::string TRNTableItemInfo::PartiallySelectedText(TCustomRNData& rnData, bool unicode) {
    const std::unique_ptr<TCustomRNItemInfo> item = CopyPartiallySelected(rnData);
    if (!item) {
        return {};
    }
    // The copy's own text with the separators a spreadsheet reads, a cell of several lines or
    // with a tab as one field; it goes when this is done. The note's text output keeps AsText.
    auto& copy = static_cast<TRNTableItemInfo&>(*item);
    copy.TextColSeparator = "\t";
    copy.TextRowSeparator = "\r\n";
    std::string text = copy.AsSpreadsheetText(80, rnData, "", true, unicode);
    // Rows are separated, not ended: the last row's separator goes.
    const std::string rowEnd =
        unicode ? RNU_AnsiToUnicode(rnData.GetDefaultCodePage(), copy.TextRowSeparator)
                : copy.TextRowSeparator;
    if (text.ends_with(rowEnd)) {
        text.resize(text.size() - rowEnd.size());
    }
    return text;
}
