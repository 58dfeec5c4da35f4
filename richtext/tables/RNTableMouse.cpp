// The mouse over a table: presses forwarded to the cells, cell ranges selected by dragging,
// whole rows and columns selected at the table's edges, and rows and columns resized by
// dragging their borders, with a guide line while the button is down and one undo step at
// the end. Points are relative to the table's top-left corner.

#include "platform/base/CursorNumbers.h"
#include "platform/base/InputTypes.h"
#include "richtext/tables/RNTable.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/RNEditContext.h"

#include <algorithm>
#include <functional>

namespace {

constexpr int LeftButton = static_cast<int>(TMouseButton::mbLeft);
constexpr int RightButton = static_cast<int>(TMouseButton::mbRight);
constexpr uint32_t ShiftKey = 1u << static_cast<int>(TShiftStateItem::ssShift);
constexpr uint32_t CtrlKey = 1u << static_cast<int>(TShiftStateItem::ssCtrl);
constexpr uint32_t LeftDown = 1u << static_cast<int>(TShiftStateItem::ssLeft);

IRNEditContext* EditContext(const TRNTableItemInfo& table) {
    return TCustomRNFormattedData::EditContextOf(table.Rows.MainRNData);
}

bool InRect(int x, int y, int left, int top, int width, int height) {
    return x >= left && y >= top && x < left + width && y < top + height;
}

} // namespace

namespace {

// The cell under the point when the point lies in its content (inside the padding).
TRNTableCellData* ContentAt(TRNTableItemInfo& table, int x, int y) {
    int row = 0, col = 0;
    if (!table.GetCellAt(x, y, row, col)) {
        return nullptr;
    }
    TRNTableCellData* cell = table.Cells(row, col);
    const int pad = table.CellPadding;
    return InRect(x, y, cell->Left + pad, cell->Top + pad, cell->Width - 2 * pad,
                  cell->Height - 2 * pad)
               ? cell
               : nullptr;
}

} // namespace

bool TRNTableItemInfo::MouseDown(int button, uint32_t shift, int x, int y, int itemNo,
                                 TCustomRNData& rnData) {
    if (ExportLevel > 0) {
        return false;
    }
    auto* doc = TCustomRNFormattedData::Formatted(&rnData);
    int row = -1, col = -1;
    const bool inCell = GetCellAt(x, y, row, col);
    const bool canChange = CanChange();
    if (inCell && CellEditor && (button == LeftButton || button == RightButton) && canChange &&
        Options.Contains(TRNTableOption::rntoEditing)) {
        CellEditor->Open(row, col, (shift & CtrlKey) != 0);
        const TRNTableCellData* cell = Cells(row, col);
        CellEditor->MouseDown(button, shift, x - cell->Left, y - cell->Top);
        return false;
    }
    PaintLeft = PaintTop = 0;
    auto closeEditor = [&] {
        if (EditorOpen()) {
            CellEditor->Close();
        }
        if (doc) {
            doc->FocusControl();
        }
    };
    if (inCell) {
        closeEditor();
        if (doc) {
            int startNo = 0, startOffs = 0, endNo = 0, endOffs = 0;
            doc->GetSelectionBounds(startNo, startOffs, endNo, endOffs, true);
            if (startNo != itemNo || endNo != itemNo) {
                doc->SetSelectionBounds(itemNo, 1, itemNo, 1);
            }
        }
        if (TRNTableCellData* cell = ContentAt(*this, x, y)) {
            cell->MouseDown(button, shift, x, y);
        }
        if (button == LeftButton && StartSelecting(row, col) && doc) {
            doc->SetMouseCapture(this, ClientLeft, ClientTop);
            doc->Invalidate();
        }
        return false;
    }
    const bool colSizing = canChange && Options.Contains(TRNTableOption::rntoColSizing);
    const bool rowSizing = canChange && Options.Contains(TRNTableOption::rntoRowSizing);
    const bool rowSelect = Options.Contains(TRNTableOption::rntoRowSelect);
    const bool colSelect = Options.Contains(TRNTableOption::rntoColSelect);
    if (button != LeftButton || !doc || !(colSizing || rowSizing || rowSelect || colSelect)) {
        closeEditor();
        return false;
    }
    auto startDrag = [&](bool column, int middle, int pos) {
        // The editor is put aside first: when it refuses, no guide line or capture is left
        // behind for the next mouse-up to act on.
        if (CellEditor) {
            CellEditor->Save();
        }
        ResizeOffset = middle - pos;
        doc->AssignXorDrawing(&ResizeGuide);
        doc->SetMouseCapture(this, ClientLeft, ClientTop);
        ResizeLimit = -1;
        ResizeOnlyLeft = column && (shift & ShiftKey) != 0;
        ResizingColumn = column;
    };
    int middle = 0;
    const int v = colSizing || rowSelect ? GetVerticalRuleNo(x, ResizePrevStart, middle) : -1;
    if (v > 0 && colSizing) {
        ResizeIndex = v;
        startDrag(true, middle, x);
        return false;
    }
    int prevStart = 0;
    const int h = rowSizing || colSelect ? GetHorizontalRuleNo(y, prevStart, middle) : -1;
    if (h > 0 && rowSizing) {
        ResizePrevStart = prevStart;
        ResizeIndex = h;
        startDrag(false, middle, y);
        return false;
    }
    if (h == 0 && colSelect) {
        if (const int c = GetColNo(x); c >= 0) {
            SelectCols(c, 1);
            doc->SetMouseCapture(this, ClientLeft, ClientTop);
        }
        return false;
    }
    if (v == 0 && rowSelect) {
        if (const int r = GetRowNo(y); r >= 0) {
            SelectRows(r, 1);
            doc->SetMouseCapture(this, ClientLeft, ClientTop);
        }
    }
    return false;
}

bool TRNTableItemInfo::MouseMove(uint32_t shift, int x, int y, int /*itemNo*/,
                                 TCustomRNData& rnData) {
    auto* doc = TCustomRNFormattedData::Formatted(&rnData);
    PaintLeft = PaintTop = 0;
    if (ExportLevel > 0 || !doc) {
        return true;
    }
    if (doc->UsingThisXorDrawing(&ResizeGuide)) {
        // Qt shows a new cursor at once, even while the button is held: keep the drag's.
        doc->SetCursor(ResizingColumn ? crHSplit : crVSplit);
        return true;
    }
    int row = -1, col = -1;
    if (GetCellAt(x, y, row, col)) {
        if (MouseSelecting && (shift & LeftDown)) {
            const int rowOffs = row - SelStartRow;
            const int colOffs = col - SelStartCol;
            const bool changed = rowOffs != SelRowOffs || colOffs != SelColOffs;
            SelRowOffs = rowOffs;
            SelColOffs = colOffs;
            CellsSelected = rowOffs != 0 || colOffs != 0;
            if (changed) {
                UpdateCellSel();
                doc->Invalidate();
                if (EditorOpen()) {
                    CellEditor->SelectCompletely(IsCellSelected(EditedCellRow, EditedCellCol));
                }
            }
        }
        TRNTableCellData* cell = MouseSelecting ? nullptr : ContentAt(*this, x, y);
        if (cell) {
            cell->MouseMove(shift, x, y);
        } else {
            doc->SetCursor(crArrow);
        }
        return true;
    }
    const bool canChange = CanChange();
    const bool selection = doc->GetOptions().Contains(TRNOption::rnoAllowSelection);
    int prevStart = 0, middle = 0;
    const int v = GetVerticalRuleNo(x, prevStart, middle);
    TCursor cursor = crArrow;
    if (v == 0 && Options.Contains(TRNTableOption::rntoRowSelect) && selection) {
        cursor = crRNSelectRow;
    } else if (v > 0 && canChange && Options.Contains(TRNTableOption::rntoColSizing)) {
        cursor = crHSplit;
    } else if (const int h = GetHorizontalRuleNo(y, prevStart, middle);
               h == 0 && Options.Contains(TRNTableOption::rntoColSelect) && selection) {
        cursor = crRNSelectCol;
    } else if (h > 0 && canChange && Options.Contains(TRNTableOption::rntoRowSizing)) {
        cursor = crVSplit;
    }
    doc->SetCursor(cursor);
    return true;
}

void TRNTableItemInfo::XorDrawing(TCustomRNFormattedData& sender, uint32_t /*shift*/, int x,
                                  int y) {
    TCanvas* canvas = sender.GetCanvas();
    if (!canvas) {
        return;
    }
    canvas->Pen().SetMode(TPenMode::pmNot);
    canvas->Pen().SetWidth(1);
    canvas->Pen().SetStyle(TPenStyle::psDashDotDot);
    canvas->Brush().SetStyle(TBrushStyle::bsClear);
    // The line never goes above (left of) the start of the row (column) being resized.
    auto limited = [this](int pos, int off) {
        pos = std::max(pos, ResizePrevStart + off);
        if (ResizeLimit != -1) {
            pos = std::max(pos, ResizeLimit + off);
        }
        return pos;
    };
    if (ResizingColumn) {
        x = limited(x, ClientLeft - sender.GetHOffs());
        canvas->MoveTo(x, 0);
        canvas->LineTo(x, sender.GetHeight());
    } else {
        y = limited(y, ClientTop - sender.GetVOffs());
        canvas->MoveTo(0, y);
        canvas->LineTo(sender.GetWidth(), y);
    }
    canvas->Pen().SetMode(TPenMode::pmCopy);
}

namespace {

// What a border drag gives a row or column: the value for its cells of span 1, and the
// value for a merged cell that ends at the border given its start there.
struct DragResult {
    int Plain;
    std::function<int(int cellStart)> Merged;
};

// Every main cell of row (column) `index`: those of span 1 get the plain value; those that
// come from before and end there get 0 when a cell of span 1 was set, else their own value.
void ApplyToRow(TRNTableItemInfo& table, int index, const DragResult& result) {
    TRNTableRows& rows = table.Rows;
    bool anySet = false;
    for (int c = 0; c < rows.Get(index)->Count(); ++c) {
        if (const TRNTableCellData* cell = rows.Cell(index, c); cell && cell->RowSpan == 1) {
            table.SetCellBestHeight(result.Plain, index, c);
            anySet = true;
        }
    }
    for (int r = 0; r < index; ++r) {
        for (int c = 0; c < rows.Get(r)->Count(); ++c) {
            const TRNTableCellData* cell = rows.Cell(r, c);
            if (cell && r + cell->RowSpan - 1 == index) {
                table.SetCellBestHeight(anySet ? 0 : result.Merged(cell->Top), r, c);
            }
        }
    }
}

void ApplyToColumn(TRNTableItemInfo& table, int index, const DragResult& result) {
    TRNTableRows& rows = table.Rows;
    bool anySet = false;
    for (int r = 0; r < rows.Count(); ++r) {
        if (const TRNTableCellData* cell = rows.Cell(r, index); cell && cell->ColSpan == 1) {
            table.SetCellBestWidth(result.Plain, r, index);
            anySet = true;
        }
    }
    for (int r = 0; r < rows.Count(); ++r) {
        for (int c = 0; c < index; ++c) {
            const TRNTableCellData* cell = rows.Cell(r, c);
            if (cell && c + cell->ColSpan - 1 == index) {
                table.SetCellBestWidth(anySet ? 0 : result.Merged(cell->Left), r, c);
            }
        }
    }
}

} // namespace

bool TRNTableItemInfo::MouseUp(int button, uint32_t shift, int x, int y, int itemNo,
                               TCustomRNData& rnData) {
    PaintLeft = PaintTop = 0;
    if (ExportLevel > 0) {
        return false;
    }
    auto* doc = TCustomRNFormattedData::Formatted(&rnData);
    if (button != LeftButton) {
        if (TRNTableCellData* cell = EditorOpen() ? nullptr : ContentAt(*this, x, y)) {
            cell->MouseUp(button, shift, x, y);
        }
        return false;
    }
    if (doc && doc->UsingThisXorDrawing(&ResizeGuide)) {
        doc->UnAssignXorDrawing(&ResizeGuide);
        if (BeforeChange()) {
            if (ResizingColumn) {
                ResizeColumn(x, itemNo);
            } else {
                ResizeRow(y, itemNo);
            }
        }
        // Whatever became of the change, an editor put aside for the drag comes back.
        if (CellEditor) {
            CellEditor->Restore();
        }
        doc->ReleaseMouseCapture(this);
        return false;
    }
    TRNTableCellData* cell = nullptr;
    if (!EditorOpen()) {
        cell = MouseSelecting && SelStartRow >= 0 ? Cells(SelStartRow, SelStartCol)
                                                  : ContentAt(*this, x, y);
    }
    if (cell) {
        cell->MouseUp(button, shift, x, y);
    }
    if (doc) {
        doc->ReleaseMouseCapture(this);
    }
    MouseSelecting = false;
    return false;
}

void TRNTableItemInfo::ResizeColumn(int x, int itemNo) {
    IRNEditContext* context = InsertedInData ? EditContext(*this) : nullptr;
    int modifyData = 0;
    if (context) {
        context->BeginItemModify(itemNo, modifyData);
    }
    {
        TRNTableUndoGroup step(*this);
        const TRNIntegerList& starts = FormattingInfo.ColStarts;
        const int c = ResizeIndex - 1;
        const int last = Rows.ColCount() - 1;
        const int outer = BorderWidth + BorderHSpacing + CellBorderWidth;
        int pos = x + ResizeOffset;
        int dist = pos - ResizePrevStart;
        if (Rows.IsPercentWidthColumn(c)) {
            const int extra = c == last ? outer / 2 : CellBorderWidth + CellHSpacing / 2;
            const int divisor = GetWidth() - GetHorzExtra();
            // A table no wider than its borders and gaps leaves nothing to take a share of.
            auto percent = [divisor](int value) {
                const int p = divisor == 0 ? -1 : -(value * 100) / divisor;
                return p >= 0 ? -1 : p;
            };
            const int posInner = pos - extra;
            ApplyToColumn(*this, c, {percent(dist - extra), [&](int start) {
                                         return percent(posInner - start);
                                     }});
        } else {
            auto pixels = [&](int col, int d, int p) {
                const int extra =
                    col == last ? (outer + 1) / 2 : CellBorderWidth + CellHSpacing / 2;
                const int inner = p - 2 * CellPadding - extra;
                ApplyToColumn(*this, col,
                              {std::max(d - 2 * CellPadding - extra, 1),
                               [inner](int start) { return std::max(inner - start, 1); }});
            };
            pixels(c, dist, pos);
            if (!ResizeOnlyLeft && c + 1 <= last && !Rows.IsPercentWidthColumn(c + 1)) {
                const int rightEdge =
                    c + 1 < last ? starts[c + 2] - (CellBorderWidth + (CellHSpacing + 1) / 2)
                                 : GetWidth() - (outer + 1) / 2;
                pos = starts[c + 1] - starts[c] - (CellHSpacing + 1) / 2 + rightEdge - dist -
                      CellBorderWidth;
                dist = pos - starts[c + 1];
                pixels(c + 1, dist, pos);
            }
        }
        FormattingInfo.Width = 0;
    }
    if (context) {
        context->EndItemModify(itemNo, modifyData);
        context->ChangeEx(true);
    }
}

void TRNTableItemInfo::ResizeRow(int y, int itemNo) {
    {
        TRNTableUndoGroup step(*this);
        const int i = ResizeIndex - 1;
        const int pos = y + ResizeOffset;
        const int extra = i == Rows.Count() - 1
                              ? (BorderWidth + BorderVSpacing + CellBorderWidth + 1) / 2
                              : CellVSpacing / 2 + CellBorderWidth;
        const int inner = pos - 2 * CellPadding - extra;
        ApplyToRow(*this, i,
                   {std::max(pos - ResizePrevStart - 2 * CellPadding - extra, 0),
                    [inner](int start) { return std::max(inner - start, 0); }});
    }
    FormattingInfo.Width = 0;
    if (IRNEditContext* context = EditContext(*this)) {
        context->ItemResized(itemNo);
    }
}
