// Splitting a cell into several: undo its merge in the split direction, then insert grid
// columns (rows) where it needs more and merge them back in every other row (column), or merge
// its parts where it needs fewer.

#include "richtext/tables/RNTable.h"

#include <algorithm>

namespace {

// The last column (row) of the area covering the slot.
int AreaRight(const TRNTableRows& rows, int row, int col) {
    int mr = 0, mc = 0;
    const TRNTableCellData* cell = rows.GetMainCell(row, col, mr, mc);
    return mc + cell->ColSpan - 1;
}

int AreaBottom(const TRNTableRows& rows, int row, int col) {
    int mr = 0, mc = 0;
    const TRNTableCellData* cell = rows.GetMainCell(row, col, mr, mc);
    return mr + cell->RowSpan - 1;
}

} // namespace

int TRNTableRows::SplitCellVertically(int row, int col, int colCount) {
    TRNTableCellData* cell = colCount < 2 ? nullptr : Cell(row, col);
    if (!cell) {
        return 0;
    }
    TRNTableModifyBracket bracket(*this);
    int n = cell->ColSpan;
    if (n > 1) {
        UnmergeCell(row, col, false, true);
    }
    int result = 0;
    if (n < colCount) {
        result = colCount - n;
        for (int c = col + n - 1; c >= col && colCount > 0 && n > 0; --c) {
            int k = colCount / n;
            InsertCols(c, k - 1, c, true);
            for (int r = Count() - 1; r >= 0;) {
                int mr = 0, mc = 0;
                const TRNTableCellData* main = GetMainCell(r, c, mr, mc);
                if (mr != row) {
                    MergeCells(mr, mc, AreaRight(*this, mr, c + k - 1) - mc + 1, main->RowSpan,
                               true);
                }
                r = mr - 1;
            }
            colCount -= k;
            --n;
        }
    } else if (n > colCount) {
        for (int c = col + n - 1; c >= col && colCount > 0 && n > 0;) {
            int k = n / colCount;
            MergeCells(row, c + 1 - k, k, Cell(row, c + 1 - k)->RowSpan, true);
            n -= k;
            --colCount;
            c -= k;
        }
    }
    return result;
}

int TRNTableRows::SplitCellHorizontally(int row, int col, int rowCount) {
    TRNTableCellData* cell = rowCount < 2 ? nullptr : Cell(row, col);
    if (!cell) {
        return 0;
    }
    TRNTableModifyBracket bracket(*this);
    int n = cell->RowSpan;
    if (n > 1) {
        UnmergeCell(row, col, true, false);
    }
    int result = 0;
    if (n < rowCount) {
        result = rowCount - n;
        for (int r = row + n - 1; r >= row && rowCount > 0 && n > 0; --r) {
            int k = rowCount / n;
            InsertRows(r, k - 1, r, true);
            for (int c = ColCount() - 1; c >= 0;) {
                int mr = 0, mc = 0;
                const TRNTableCellData* main = GetMainCell(r, c, mr, mc);
                if (mc != col) {
                    MergeCells(mr, mc, main->ColSpan, AreaBottom(*this, r + k - 1, mc) - mr + 1,
                               true);
                }
                c = mc - 1;
            }
            rowCount -= k;
            --n;
        }
    } else if (n > rowCount) {
        for (int r = row + n - 1; r >= row && rowCount > 0 && n > 0;) {
            int k = n / rowCount;
            MergeCells(r + 1 - k, col, Cell(r + 1 - k, col)->ColSpan, k, true);
            n -= k;
            --rowCount;
            r -= k;
        }
    }
    return result;
}

int TRNTableRows::SplitCellsVertically(int topRow, int leftCol, int colSpan, int rowSpan,
                                       int colCount) {
    colSpan = std::min(colSpan, ColCount() - leftCol);
    TRNTableModifyBracket bracket(*this);
    int total = 0;
    for (int c = leftCol + colSpan - 1; c >= leftCol; --c) {
        int inserted = 0;
        for (int r = topRow; r < topRow + rowSpan && r < Count(); ++r) {
            TRNTableCellData* cell = Cell(r, c);
            if (!cell) {
                continue;
            }
            if (inserted > 0) {
                bool cellsRight = false;
                for (int cc = c + 1; cc <= c + inserted && cc < ColCount(); ++cc) {
                    cellsRight = cellsRight || Cell(r, cc);
                }
                if (cellsRight) {
                    MergeCells(r, c, cell->ColSpan + inserted, cell->RowSpan, true);
                }
            }
            inserted += SplitCellVertically(r, c, colCount);
        }
        total += inserted;
    }
    return total;
}

int TRNTableRows::SplitCellsHorizontally(int topRow, int leftCol, int colSpan, int rowSpan,
                                         int rowCount) {
    rowSpan = std::min(rowSpan, Count() - topRow);
    TRNTableModifyBracket bracket(*this);
    int total = 0;
    for (int r = topRow + rowSpan - 1; r >= topRow; --r) {
        int inserted = 0;
        for (int c = leftCol; c < leftCol + colSpan && c < ColCount(); ++c) {
            TRNTableCellData* cell = Cell(r, c);
            if (!cell) {
                continue;
            }
            if (inserted > 0) {
                bool cellsBelow = false;
                for (int rr = r + 1; rr <= r + inserted && rr < Count(); ++rr) {
                    cellsBelow = cellsBelow || Cell(rr, c);
                }
                if (cellsBelow) {
                    MergeCells(r, c, cell->ColSpan, cell->RowSpan + inserted, true);
                }
            }
            inserted += SplitCellHorizontally(r, c, rowCount);
        }
        total += inserted;
    }
    return total;
}
