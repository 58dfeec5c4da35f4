#pragma once

// The grid of a table being read from its stream, built one cell record at a time. A stored
// note is untrusted: the grid it declares may be far larger than its bytes, so a cell is made
// only when its record is read, and a slot that a merge covers costs only its empty pointer.
// When the read stops part way, the unread slots get empty cells as long as there are no more
// of them than the bytes could have described; beyond that the rows read so far are kept.

#include <cstddef>
#include <cstdint>
#include <vector>

class TRNTableRows;
class TRNTableCellData;

class TRNTableReadGrid {
public:
    // Starts an empty grid of `rowCount` x `colCount` slots in `rows`; at most `cellBudget`
    // empty cells may be made for unread slots.
    TRNTableReadGrid(TRNTableRows& rows, int rowCount, int colCount, int64_t cellBudget);

    // Moves to the next slot no cell covers, making its row when it is reached; false once
    // every slot is settled.
    bool NextSlot();
    int Row() const { return row_; }
    int Col() const { return col_; }

    // Makes the cell of the current slot, without items, and merges the spans as a merge of
    // fresh cells would: clipped to the grid, refused over a slot already covered, and
    // raising on a span below one beside one of two or more.
    TRNTableCellData* AddCell(int colSpan, int rowSpan);

    // The read stopped before the grid was settled: makes it whole again (equal slot counts,
    // every slot a cell or covered by one).
    void Finish();

private:
    bool Settled(int row, int col) const { return coverEnd_[static_cast<size_t>(col)] > row; }
    // Adds the next row, without slots, and notes which of its slots merges from above cover.
    void StartRow();
    // Appends the slots of `row` from its current count to the end, an empty cell for each
    // unsettled one.
    void FillRow(int row);
    // The unsettled slots of `row` from its current count on.
    int64_t UnsettledInRow(int row) const;

    TRNTableRows& rows_;
    const int rowCount_;
    const int colCount_;
    const int64_t cellBudget_;
    // For each column, the row below the last one a cell read so far covers.
    std::vector<int> coverEnd_;
    // For each column of the current row, the first column from it on that a merge from a row
    // above covers (the column count when none does).
    std::vector<int> nextSettled_;
    int row_ = 0;
    int col_ = 0;
};
