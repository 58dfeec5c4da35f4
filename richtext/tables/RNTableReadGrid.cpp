#include "richtext/tables/RNTableReadGrid.h"

#include "richtext/model/RNError.h"
#include "richtext/tables/RNTable.h"

#include <algorithm>
#include <memory>

TRNTableReadGrid::TRNTableReadGrid(TRNTableRows& rows, int rowCount, int colCount,
                                   int64_t cellBudget)
    : rows_(rows), rowCount_(rowCount), colCount_(colCount), cellBudget_(cellBudget),
      coverEnd_(static_cast<size_t>(colCount), 0), nextSettled_(static_cast<size_t>(colCount) + 1) {
    rows_.Clear();
}

bool TRNTableReadGrid::NextSlot() {
    while (row_ < rowCount_) {
        if (rows_.Count() == row_) {
            StartRow();
        }
        TRNTableRow& row = *rows_.Get(row_);
        while (row.Count() < colCount_) {
            const int col = row.Count();
            if (!Settled(row_, col)) {
                col_ = col;
                return true;
            }
            row.Add(nullptr); // covered by a merge
        }
        ++row_;
        col_ = 0;
    }
    return false;
}

void TRNTableReadGrid::StartRow() {
    auto added = std::make_unique<TRNTableRow>(0, &rows_, rows_.MainRNData, false);
    added->Reserve(colCount_);
    rows_.Add(std::move(added));
    // The slots of this row that merges from above cover stay so while the row is read: cells
    // of this row settle only slots to the right of the one being read, which the walk skips.
    const int row = rows_.Count() - 1;
    nextSettled_[static_cast<size_t>(colCount_)] = colCount_;
    for (int c = colCount_ - 1; c >= 0; --c) {
        nextSettled_[static_cast<size_t>(c)] =
            Settled(row, c) ? c : nextSettled_[static_cast<size_t>(c) + 1];
    }
}

TRNTableCellData* TRNTableReadGrid::AddCell(int colSpan, int rowSpan) {
    int cs = 1, rs = 1;
    if (colSpan > 1 || rowSpan > 1) {
        const int clippedRows = std::min(rowSpan, rowCount_ - row_);
        const int clippedCols = std::min(colSpan, colCount_ - col_);
        if (clippedRows >= 2 || clippedCols >= 2) {
            if (clippedRows < 1 || clippedCols < 1) {
                throw ERichNoteError("Parameters for cell merging are not correct");
            }
            // Only a merge from a row above can cover a slot of the area: one that does makes
            // the merge overlap it, and the cell stays single.
            if (nextSettled_[static_cast<size_t>(col_) + 1] >= col_ + clippedCols) {
                cs = clippedCols;
                rs = clippedRows;
            }
        }
    }
    TRNTableCellData* cell = rows_.Get(row_)->AddCell(false);
    cell->ColSpan = cs;
    cell->RowSpan = rs;
    std::fill_n(coverEnd_.begin() + col_, cs, row_ + rs);
    return cell;
}

int64_t TRNTableReadGrid::UnsettledInRow(int row) const {
    int64_t count = 0;
    for (int c = rows_.Get(row)->Count(); c < colCount_; ++c) {
        count += Settled(row, c) ? 0 : 1;
    }
    return count;
}

void TRNTableReadGrid::FillRow(int row) {
    TRNTableRow& line = *rows_.Get(row);
    for (int c = line.Count(); c < colCount_; ++c) {
        if (Settled(row, c)) {
            line.Add(nullptr);
        } else {
            line.AddCell(true);
        }
    }
}

void TRNTableReadGrid::Finish() {
    if (row_ >= rowCount_) {
        return;
    }
    if (rows_.Count() == row_) {
        StartRow();
    }
    const int64_t inRow = UnsettledInRow(row_);
    int64_t below = 0;
    for (int c = 0; c < colCount_; ++c) {
        below += rowCount_ - std::max(row_ + 1, coverEnd_[static_cast<size_t>(c)]);
    }
    // As many empty cells as the bytes could have held: the whole declared grid.
    if (inRow + below <= cellBudget_) {
        FillRow(row_);
        while (rows_.Count() < rowCount_) {
            StartRow();
            FillRow(rows_.Count() - 1);
        }
        return;
    }
    // Otherwise the rows read so far, with the row being read when there is room for it. The
    // first row too wide for the bytes keeps the cells read, and at least one. Merges across
    // what is not kept shrink to what is.
    if (inRow <= cellBudget_) {
        FillRow(row_);
    } else if (row_ > 0) {
        rows_.Delete(row_);
    }
    rows_.MakeSound();
}
