// The structural edits of the grid. Each keeps the grid invariants: equal slot counts per row,
// main-cell areas tiling the grid, spans of at least 1.

#include "richtext/model/RNError.h"
#include "richtext/tables/RNTable.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// a * b / c in 64 bits, clamped to 32, so large sizes times spans cannot wrap.
int32_t ScaleClamped(int64_t a, int64_t b, int64_t c) {
    int64_t v = c == 0 ? 0 : a * b / c;
    v = std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                            std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(v);
}

} // namespace

void TRNTableRows::CheckIndex(bool valid) const {
    if (!valid) {
        throw ERichNoteError("Invalid row or column index");
    }
}

std::unique_ptr<TRNTableCellData> TRNTableRows::NewCell(int row) {
    return std::make_unique<TRNTableCellData>(Get(row));
}

void TRNTableRows::Reset(int rows, int cols) {
    Clear();
    for (int r = 0; r < rows; ++r) {
        AddRow(cols);
    }
}

TRNTableRow* TRNTableRows::AddRow(int cols) {
    return Add(std::make_unique<TRNTableRow>(cols, this, MainRNData));
}

TRNTableRow* TRNTableRows::InsertRow(int index, int cols) {
    return Insert(index, std::make_unique<TRNTableRow>(cols, this, MainRNData));
}

void TRNTableRows::InsertPointer(int index, std::unique_ptr<TRNTableRow> row) {
    row->Rows = this;
    row->RNData = MainRNData;
    Insert(index, std::move(row));
}

TRNTableCellData* TRNTableRows::GetMainCell(int row, int col, int& mainRow, int& mainCol) const {
    if (TRNTableCellData* cell = Cell(row, col)) {
        mainRow = row;
        mainCol = col;
        return cell;
    }
    for (int r = row; r >= 0; --r) {
        int c = col;
        while (!Cell(r, c) && c >= 1) {
            --c;
        }
        TRNTableCellData* cell = Cell(r, c);
        if (cell && cell->ColSpan > col - c && cell->RowSpan > row - r) {
            mainRow = r;
            mainCol = c;
            return cell;
        }
    }
    throw ERichNoteError("Invalid row or column index");
}

TRNHTMLLength TRNTableRows::GetBestWidth(int topRow, int leftCol, int colCount,
                                         int rowCount) const {
    TRNHTMLLength result = 0;
    for (int r = topRow; r < topRow + rowCount; ++r) {
        int64_t sum = 0;
        for (int c = leftCol; c < leftCol + colCount; ++c) {
            const TRNTableCellData* cell = Cell(r, c);
            if (!cell) {
                continue;
            }
            if (cell->BestWidth > 0 && sum >= 0) {
                sum += cell->BestWidth;
            } else if (cell->BestWidth < 0) {
                sum = std::min<int64_t>(sum, 0) + cell->BestWidth;
            }
        }
        int32_t rowSum = ScaleClamped(sum, 1, 1);
        if ((rowSum < 0 && (result >= 0 || rowSum < result)) || (result >= 0 && rowSum > result)) {
            result = rowSum;
        }
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Primitives

void TRNTableRows::Do_InsertRows(int index, int count) {
    int cols = ColCount();
    for (int i = 0; i < count; ++i) {
        InsertRow(index + i, cols);
    }
}

void TRNTableRows::Do_InsertEmptyCells(int row, int col, int colCount, int rowCount) {
    for (int r = row; r < row + rowCount; ++r) {
        for (int i = 0; i < colCount; ++i) {
            Get(r)->InsertEmpty(col);
        }
    }
}

void TRNTableRows::Do_SpreadOverEmptyCells(int row, int col, int colSpan) {
    Cell(row, col)->ColSpan = colSpan;
    for (int c = col + 1; c < col + colSpan; ++c) {
        Get(row)->Take(c);
    }
}

void TRNTableRows::Do_FreeEmptyCells(int row, int col, int colCount, int rowCount) {
    for (int r = row; r < row + rowCount; ++r) {
        for (int c = col; c < col + colCount; ++c) {
            Get(r)->Take(c);
        }
    }
}

void TRNTableRows::Do_SetSpan(int row, int col, int value, bool isColSpan) {
    TRNTableCellData* cell = Cell(row, col);
    (isColSpan ? cell->ColSpan : cell->RowSpan) = value;
}

void TRNTableRows::Do_SplitCellHorz(int row, int col, int newRow, bool decreaseHeight) {
    TRNTableCellData* old = Cell(row, col);
    auto cell = NewCell(newRow);
    cell->AssignAttributesFrom(*old, true, 1, 1);
    cell->ColSpan = old->ColSpan;
    cell->RowSpan = row + old->RowSpan - newRow;
    cell->BestHeight = ScaleClamped(old->BestHeight, cell->RowSpan, old->RowSpan);
    if (decreaseHeight) {
        old->BestHeight = ScaleClamped(old->RowSpan - cell->RowSpan, old->BestHeight, old->RowSpan);
    }
    old->RowSpan -= cell->RowSpan;
    Get(newRow)->Put(col, std::move(cell));
}

void TRNTableRows::Do_SplitCellVert(int row, int col, int newCol, bool decreaseWidth) {
    TRNTableCellData* old = Cell(row, col);
    auto cell = NewCell(row);
    cell->AssignAttributesFrom(*old, true, 1, 1);
    cell->RowSpan = old->RowSpan;
    cell->ColSpan = col + old->ColSpan - newCol;
    cell->BestWidth = ScaleClamped(old->BestWidth, cell->ColSpan, old->ColSpan);
    if (decreaseWidth) {
        old->BestWidth = ScaleClamped(old->ColSpan - cell->ColSpan, old->BestWidth, old->ColSpan);
    }
    old->ColSpan -= cell->ColSpan;
    Get(row)->Put(newCol, std::move(cell));
}

void TRNTableRows::Do_DeleteRows(int index, int count) {
    for (int i = 0; i < count; ++i) {
        Delete(index);
    }
}

void TRNTableRows::Do_DeleteCols(int index, int count) {
    for (int r = 0; r < Count(); ++r) {
        for (int i = 0; i < count; ++i) {
            Get(r)->Delete(index);
        }
    }
}

void TRNTableRows::Do_MergeCells(int row, int col, int colSpan, int rowSpan) {
    TRNTableCellData* main = Cell(row, col);
    main->BestWidth = GetBestWidth(row, col, colSpan, rowSpan);
    for (int r = row; r < row + rowSpan; ++r) {
        for (int c = col; c < col + colSpan; ++c) {
            if (r == row && c == col) {
                continue;
            }
            std::unique_ptr<TRNTableCellData> cell = Get(r)->Take(c);
            if (cell && cell->HasData()) {
                main->DrainFrom(cell.get());
            }
        }
    }
    main->ColSpan = colSpan;
    main->RowSpan = rowSpan;
}

void TRNTableRows::SplitRowAcross(int row, int col, int colSpan, int rowSpan, TRNHTMLLength width) {
    TRNTableCellData* source = Cell(row, col);
    for (int c = col + 1; c < col + colSpan; ++c) {
        auto cell = NewCell(row);
        cell->BestWidth = width;
        cell->RowSpan = rowSpan;
        cell->Color = source->Color;
        cell->VisibleBorders = source->VisibleBorders;
        Get(row)->Put(c, std::move(cell));
    }
    source->ColSpan = 1;
    source->BestWidth = width;
}

void TRNTableRows::Do_UnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols) {
    TRNTableCellData* main = Cell(row, col);
    TRNHTMLLength width = main->BestWidth;
    if (unmergeCols) {
        width = main->BestWidth / main->ColSpan;
        if (width == 0 && main->BestWidth != 0) {
            width = main->BestWidth > 0 ? 1 : -1;
        }
    }
    int colSpan = main->ColSpan;
    if (unmergeRows) {
        int rowSpan = main->RowSpan;
        int32_t height = main->BestHeight / rowSpan;
        for (int r = row + 1; r < row + rowSpan; ++r) {
            auto cell = NewCell(r);
            cell->Color = main->Color;
            cell->VisibleBorders = main->VisibleBorders;
            cell->BestWidth = main->BestWidth;
            cell->BestHeight = height;
            cell->ColSpan = colSpan;
            Get(r)->Put(col, std::move(cell));
        }
        main->RowSpan = 1;
        main->BestHeight = height;
        if (unmergeCols) {
            for (int r = row; r < row + rowSpan; ++r) {
                SplitRowAcross(r, col, colSpan, 1, width);
            }
        }
    } else if (unmergeCols) {
        SplitRowAcross(row, col, colSpan, main->RowSpan, width);
    }
}

// ---------------------------------------------------------------------------------------------
// High-level operations

void TRNTableRows::InsertRows(int index, int count, int copyIndex, bool divideHeights) {
    CheckIndex(index >= 0 && index <= Count() && copyIndex >= -1 && copyIndex < Count());
    int cols = ColCount();
    std::vector<bool> spread(static_cast<size_t>(cols), false);
    if (index != Count()) {
        for (int c = cols - 1; c >= 0;) {
            int mr = 0, mc = 0;
            TRNTableCellData* cell = GetMainCell(index, c, mr, mc);
            if (mr < index && index <= mr + cell->RowSpan - 1) {
                std::fill_n(spread.begin() + mc, cell->ColSpan, true);
                Do_SetSpan(mr, mc, cell->RowSpan + count, false);
            }
            c = mc - 1;
        }
    }
    if (index <= copyIndex) {
        copyIndex += count;
    }
    Do_InsertRows(index, count);
    for (int c = 0; c < cols;) {
        if (spread[static_cast<size_t>(c)]) {
            Do_FreeEmptyCells(index, c, 1, count);
            ++c;
            continue;
        }
        TRNTableCellData* source = copyIndex >= 0 ? Cell(copyIndex, c) : nullptr;
        if (!source) {
            ++c;
            continue;
        }
        if (divideHeights) {
            source->BestHeight =
                ScaleClamped(source->BestHeight, source->RowSpan, source->RowSpan + count);
        }
        for (int k = 0; k < count; ++k) {
            Cell(index + k, c)->AssignAttributesFrom(*source, true, 1, source->RowSpan);
            Do_SpreadOverEmptyCells(index + k, c, source->ColSpan);
        }
        c += source->ColSpan;
    }
}

void TRNTableRows::InsertCols(int index, int count, int copyIndex, bool divideWidths) {
    int cols = ColCount();
    CheckIndex(index >= 0 && index <= cols && copyIndex >= -1 && copyIndex < cols);
    std::vector<bool> spread(static_cast<size_t>(Count()), false);
    if (index != cols) {
        for (int r = Count() - 1; r >= 0;) {
            int mr = 0, mc = 0;
            TRNTableCellData* cell = GetMainCell(r, index, mr, mc);
            if (mc < index && index <= mc + cell->ColSpan - 1) {
                std::fill_n(spread.begin() + mr, cell->RowSpan, true);
                Do_SetSpan(mr, mc, cell->ColSpan + count, true);
            }
            r = mr - 1;
        }
    }
    for (int r = 0; r < Count();) {
        if (spread[static_cast<size_t>(r)]) {
            Do_InsertEmptyCells(r, index, count, 1);
            ++r;
            continue;
        }
        TRNTableCellData* source = copyIndex >= 0 ? Cell(r, copyIndex) : nullptr;
        if (!source) {
            for (int k = 0; k < count; ++k) {
                Get(r)->InsertCell(index);
            }
            ++r;
            continue;
        }
        if (divideWidths) {
            source->BestWidth =
                ScaleClamped(source->BestWidth, source->ColSpan, source->ColSpan + count);
        }
        for (int k = 0; k < count; ++k) {
            TRNTableCellData* cell = Get(r)->InsertCell(index);
            cell->AssignAttributesFrom(*source, true, source->ColSpan, 1);
            cell->RowSpan = source->RowSpan;
        }
        Do_InsertEmptyCells(r + 1, index, count, source->RowSpan - 1);
        r += source->RowSpan;
    }
}

void TRNTableRows::DeleteRows(int index, int count, bool decreaseHeight) {
    CheckIndex(index >= 0 && index < Count() && count >= 1 && !(index == 0 && count >= Count()));
    count = std::min(count, Count() - index);
    int last = index + count - 1;
    int after = index + count;
    for (int c = ColCount() - 1; c >= 0;) {
        int mr = 0, mc = 0;
        TRNTableCellData* cell = GetMainCell(last, c, mr, mc);
        if (mr + cell->RowSpan - 1 > last && mr >= index) {
            Do_SplitCellHorz(mr, mc, after, decreaseHeight);
        }
        c = mc - 1;
    }
    for (int c = ColCount() - 1; c >= 0;) {
        int mr = 0, mc = 0;
        TRNTableCellData* cell = GetMainCell(index, c, mr, mc);
        if (mr < index) {
            int span = mr + cell->RowSpan - 1 > last ? cell->RowSpan - count : index - mr;
            if (decreaseHeight) {
                cell->BestHeight = ScaleClamped(cell->BestHeight, span, cell->RowSpan);
            }
            Do_SetSpan(mr, mc, span, false);
        }
        c = mc - 1;
    }
    Do_DeleteRows(index, count);
}

void TRNTableRows::DeleteCols(int index, int count, bool decreaseWidth) {
    int cols = ColCount();
    CheckIndex(index >= 0 && index < cols && count > 0 && !(index == 0 && count >= cols));
    count = std::min(count, cols - index);
    int last = index + count - 1;
    int after = index + count;
    for (int r = Count() - 1; r >= 0;) {
        int mr = 0, mc = 0;
        TRNTableCellData* cell = GetMainCell(r, last, mr, mc);
        if (mc + cell->ColSpan - 1 > last && mc >= index) {
            Do_SplitCellVert(mr, mc, after, decreaseWidth);
        }
        r = mr - 1;
    }
    for (int r = Count() - 1; r >= 0;) {
        int mr = 0, mc = 0;
        TRNTableCellData* cell = GetMainCell(r, index, mr, mc);
        if (mc < index) {
            int span = mc + cell->ColSpan - 1 > last ? cell->ColSpan - count : index - mc;
            if (decreaseWidth) {
                cell->BestWidth = ScaleClamped(cell->BestWidth, span, cell->ColSpan);
            }
            Do_SetSpan(mr, mc, span, true);
        }
        r = mr - 1;
    }
    Do_DeleteCols(index, count);
}

bool TRNTableRows::IsEmptyCols(int row, int col1, int count1, int rowCount, int col2,
                               int count2) const {
    for (int r = row; r < row + rowCount; ++r) {
        bool found = false;
        for (int c = col1; c < col1 + count1 && !found; ++c) {
            found = Cell(r, c) != nullptr;
        }
        for (int c = col2; c < col2 + count2 && !found; ++c) {
            found = Cell(r, c) != nullptr;
        }
        if (!found) {
            return true;
        }
    }
    return false;
}

bool TRNTableRows::IsEmptyRows(int row1, int col, int colCount, int count1, int row2,
                               int count2) const {
    for (int c = col; c < col + colCount; ++c) {
        bool found = false;
        for (int r = row1; r < row1 + count1 && !found; ++r) {
            found = Cell(r, c) != nullptr;
        }
        for (int r = row2; r < row2 + count2 && !found; ++r) {
            found = Cell(r, c) != nullptr;
        }
        if (!found) {
            return true;
        }
    }
    return false;
}

bool TRNTableRows::StartMergeCells(int topRow, int leftCol, int& colSpan, int& rowSpan) const {
    CheckIndex(topRow >= 0 && topRow < Count() && leftCol >= 0 && leftCol < ColCount());
    rowSpan = std::min(rowSpan, Count() - topRow);
    colSpan = std::min(colSpan, Get(topRow)->Count() - leftCol);
    if (rowSpan < 2 && colSpan < 2) {
        return false;
    }
    if (rowSpan < 1 || colSpan < 1) {
        throw ERichNoteError("Parameters for cell merging are not correct");
    }
    const TRNTableCellData* cell = Cell(topRow, leftCol);
    if (!cell) {
        return false;
    }
    return rowSpan > cell->RowSpan || colSpan > cell->ColSpan;
}

bool TRNTableRows::CanMergeCells(int topRow, int leftCol, int colSpan, int rowSpan,
                                 bool allowMergeRC) const {
    if (!StartMergeCells(topRow, leftCol, colSpan, rowSpan)) {
        return false;
    }
    int mr = 0, mc = 0;
    const TRNTableCellData* main = GetMainCell(topRow, leftCol, mr, mc);
    bool other = false;
    for (int r = topRow; r < topRow + rowSpan; ++r) {
        for (int c = leftCol; c < leftCol + colSpan; ++c) {
            int cr = 0, cc = 0;
            const TRNTableCellData* cell = GetMainCell(r, c, cr, cc);
            if (cr < topRow || cc < leftCol || cr + cell->RowSpan > topRow + rowSpan ||
                cc + cell->ColSpan > leftCol + colSpan) {
                return false;
            }
            other = other || cell != main;
        }
    }
    if (allowMergeRC) {
        return other;
    }
    if (colSpan > 1 && IsEmptyRows(0, leftCol + 1, colSpan - 1, topRow, topRow + rowSpan,
                                   Count() - topRow - rowSpan)) {
        return false;
    }
    if (rowSpan > 1) {
        return !IsEmptyCols(topRow + 1, 0, leftCol, rowSpan - 1, leftCol + colSpan,
                            ColCount() - leftCol - colSpan);
    }
    return true;
}

void TRNTableRows::MergeCells(int topRow, int leftCol, int colSpan, int rowSpan,
                              bool allowMergeRC) {
    int cs = colSpan, rs = rowSpan;
    if (!StartMergeCells(topRow, leftCol, cs, rs)) {
        return;
    }
    if (!CanMergeCells(topRow, leftCol, colSpan, rowSpan, allowMergeRC)) {
        if (MainRNData) {
            MainRNData->Beep();
        }
        return;
    }
    Do_MergeCells(topRow, leftCol, cs, rs);
}

void TRNTableRows::UnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols) {
    CheckIndex(row >= 0 && row < Count() && col >= 0 && col < ColCount());
    const TRNTableCellData* cell = Cell(row, col);
    if (!cell || !((unmergeRows && cell->RowSpan > 1) || (unmergeCols && cell->ColSpan > 1))) {
        return;
    }
    Do_UnmergeCell(row, col, unmergeRows, unmergeCols);
}

void TRNTableRows::UnmergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool unmergeRows,
                                bool unmergeCols) {
    for (int r = topRow + rowSpan - 1; r >= topRow; --r) {
        for (int c = leftCol + colSpan - 1; c >= leftCol; --c) {
            UnmergeCell(r, c, unmergeRows, unmergeCols);
        }
    }
}
