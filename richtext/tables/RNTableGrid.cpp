// The structural edits of the grid. Each keeps the grid invariants: equal slot counts per row,
// main-cell areas tiling the grid, spans of at least 1.

#include "richtext/model/RNError.h"
#include "richtext/tables/RNTable.h"
#include "richtext/tables/RNTableUndo.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/RNEditContext.h"

#include <algorithm>
#include <exception>
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

// Moves every item of `cell` to the end of `main`; `arrived` counts those that got there, also
// when one fails to settle in, so that the merge can be taken back as a whole.
void DrainCell(TRNTableCellData& main, TRNTableCellData& cell, int32_t& arrived) {
    const int before = main.ItemCount();
    try {
        main.DrainFrom(&cell);
    } catch (...) {
        arrived = main.ItemCount() - before;
        throw;
    }
    arrived = main.ItemCount() - before;
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

void TRNTableRows::Reset(int rows, int cols, bool cellParagraphs) {
    Clear();
    Reserve(rows);
    for (int r = 0; r < rows; ++r) {
        Add(std::make_unique<TRNTableRow>(cols, this, MainRNData, cellParagraphs));
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
// Primitives and their inverses. What a primitive removes goes to `keep` when an undo record
// wants it, and is freed at once otherwise.

void TRNTableRows::Detach(TRNTableCellData& cell) {
    cell.List = nullptr;
    cell.DetachedParent = MainRNData;
    cell.Deselect(nullptr);
    cell.State.Exclude(TRNStateItem::rnstCompletelySelected);
}

void TRNTableRows::Do_InsertRows(int index, int count) {
    const int cols = ColCount();
    AllOrNone(
        count, [&](int i) { InsertRow(index + i, cols); }, [&](int i) { Delete(index + i); });
    MarkDone();
}

void TRNTableRows::Do_UnInsertRows(int index, int count) {
    for (int i = 0; i < count; ++i) {
        Delete(index);
    }
}

void TRNTableRows::Do_InsertEmptyCells(int row, int col, int colCount, int rowCount) {
    // Slot by slot, row after row.
    const auto rowOf = [&](int64_t at) { return Get(row + static_cast<int>(at / colCount)); };
    AllOrNone(
        int64_t{colCount} * rowCount, [&](int64_t at) { rowOf(at)->InsertEmpty(col); },
        [&](int64_t at) { rowOf(at)->Delete(col); });
    MarkDone();
}

void TRNTableRows::Do_UnInsertEmptyCells(int row, int col, int colCount, int rowCount) {
    for (int r = row; r < row + rowCount; ++r) {
        for (int i = 0; i < colCount; ++i) {
            Get(r)->Delete(col);
        }
    }
}

void TRNTableRows::Do_SpreadOverEmptyCells(int row, int col, int colSpan) {
    Cell(row, col)->ColSpan = colSpan;
    for (int c = col + 1; c < col + colSpan; ++c) {
        Get(row)->Take(c);
    }
    MarkDone();
}

void TRNTableRows::Do_UnSpreadOverEmptyCells(int row, int col, int colSpan) {
    Cell(row, col)->ColSpan = 1;
    Do_UnFreeEmptyCells(row, col + 1, colSpan - 1, 1);
}

void TRNTableRows::Do_FreeEmptyCells(int row, int col, int colCount, int rowCount) {
    for (int r = row; r < row + rowCount; ++r) {
        for (int c = col; c < col + colCount; ++c) {
            Get(r)->Take(c);
        }
    }
    MarkDone();
}

void TRNTableRows::Do_UnFreeEmptyCells(int row, int col, int colCount, int rowCount) {
    for (int r = row; r < row + rowCount; ++r) {
        for (int c = col; c < col + colCount; ++c) {
            Get(r)->Put(c, NewCell(r));
        }
    }
}

void TRNTableRows::Do_SetSpan(int row, int col, int value, bool isColSpan) {
    TRNTableCellData* cell = Cell(row, col);
    int32_t& span = isColSpan ? cell->ColSpan : cell->RowSpan;
    if (span == value) {
        return;
    }
    if (auto* record = Do_BeforeUndo<TRNUndoSpan>(isColSpan)) {
        record->IsColSpan = isColSpan;
        record->Row = row;
        record->Col = col;
        record->OldValue = span;
    }
    span = value;
    MarkDone();
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
    MarkDone();
}

void TRNTableRows::Do_UnSplitCellHorz(int row, int col, int newRow, int oldBestHeight) {
    TRNTableCellData* old = Cell(row, col);
    std::unique_ptr<TRNTableCellData> cut = Get(newRow)->Take(col);
    old->BestHeight = oldBestHeight;
    old->RowSpan += cut->RowSpan;
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
    MarkDone();
}

void TRNTableRows::Do_UnSplitCellVert(int row, int col, int newCol, int oldBestWidth) {
    TRNTableCellData* old = Cell(row, col);
    std::unique_ptr<TRNTableCellData> cut = Get(row)->Take(newCol);
    old->BestWidth = oldBestWidth;
    old->ColSpan += cut->ColSpan;
}

void TRNTableRows::Do_DeleteRows(int index, int count, TRNList<TRNTableRow>* keep) {
    if (keep) {
        keep->Reserve(keep->Count() + count);
        MovingToUndoList(index, 0, ColCount(), count);
    }
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<TRNTableRow> row = DeleteAsPointer(index);
        if (keep) {
            row->Rows = nullptr;
            keep->Add(std::move(row));
        }
    }
    MarkDone();
}

void TRNTableRows::Do_UnDeleteRows(int index, TRNList<TRNTableRow>& rowList) {
    const int count = rowList.Count();
    for (int i = count - 1; i >= 0; --i) {
        InsertPointer(index, rowList.DeleteAsPointer(i));
    }
    MovingFromUndoList(index, 0, ColCount(), count);
}

void TRNTableRows::Do_DeleteCols(int index, int count, TRNList<TRNTableCellData>* keep) {
    if (keep) {
        keep->Reserve(keep->Count() + count * Count());
        MovingToUndoList(0, index, count, Count());
    }
    for (int r = 0; r < Count(); ++r) {
        for (int c = index + count - 1; c >= index; --c) {
            std::unique_ptr<TRNTableCellData> cell(
                static_cast<TRNTableCellData*>(Get(r)->DeleteAsPointer(c).release()));
            if (keep) {
                if (cell) {
                    Detach(*cell);
                }
                keep->Add(std::move(cell));
            }
        }
    }
    MarkDone();
}

void TRNTableRows::Do_UnDeleteCols(int index, TRNList<TRNTableCellData>& cellList) {
    const int perRow = Count() == 0 ? 0 : cellList.Count() / Count();
    for (int r = 0; r < Count(); ++r) {
        for (int k = 0; k < perRow; ++k) {
            std::unique_ptr<TRNTableCellData> cell = cellList.DeleteAsPointer(0);
            if (cell) {
                cell->DetachedParent = nullptr;
            }
            Get(r)->InsertPointer(index, std::move(cell));
        }
    }
    cellList.Clear();
    MovingFromUndoList(0, index, perRow, Count());
}

void TRNTableRows::Do_ClearCells(TRNList<TRNTableCellData>* keep, const TRNIntegerList& rowList,
                                 const TRNIntegerList& colList) {
    const int count = rowList.Count();
    if (!keep) {
        for (int i = 0; i < count; ++i) {
            TRNTableCellData* old = Cell(rowList[i], colList[i]);
            old->Clear();
            old->AddNL("", 0, 0);
        }
        MarkDone();
        return;
    }
    // What may fail comes before the grid changes: the new cells and the room to keep the old.
    std::vector<std::unique_ptr<TRNTableCellData>> fresh;
    fresh.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const TRNTableCellData* old = Cell(rowList[i], colList[i]);
        auto cell = NewCell(rowList[i]);
        cell->AssignAttributesFrom(*old, true, 1, 1);
        cell->ColSpan = old->ColSpan;
        cell->RowSpan = old->RowSpan;
        fresh.push_back(std::move(cell));
    }
    keep->Reserve(keep->Count() + count);
    const int base = keep->Count();
    int done = 0;
    try {
        for (; done < count; ++done) {
            std::unique_ptr<TRNTableCellData> taken =
                Get(rowList[done])->Put(colList[done], std::move(fresh[static_cast<size_t>(done)]));
            TRNTableCellData& raw = *keep->Add(std::move(taken));
            Detach(raw);
            raw.MovingToUndoList();
        }
    } catch (...) {
        // The cells taken go back, newest first; the one that refused kept its items.
        for (int i = keep->Count() - base - 1; i >= 0; --i) {
            std::unique_ptr<TRNTableCellData> back = keep->DeleteAsPointer(base + i);
            TRNTableCellData* raw = back.get();
            Get(rowList[i])->Put(colList[i], std::move(back));
            raw->DetachedParent = nullptr;
            if (i < done) {
                try {
                    raw->MovingFromUndoList();
                } catch (...) {
                    // The cell is back in its slot with its items; the first failure counts.
                }
            }
        }
        throw;
    }
    MarkDone();
}

void TRNTableRows::Do_UnClearCells(TRNList<TRNTableCellData>& cellList,
                                   const TRNIntegerList& rowList, const TRNIntegerList& colList) {
    const int count = std::min(rowList.Count(), cellList.Count());
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<TRNTableCellData> back = cellList.DeleteAsPointer(0);
        TRNTableCellData* raw = back.get();
        Get(rowList[i])->Put(colList[i], std::move(back));
        raw->DetachedParent = nullptr;
        raw->MovingFromUndoList();
    }
    cellList.Clear();
}

void TRNTableRows::Do_MergeCells(int row, int col, int colSpan, int rowSpan,
                                 TRNList<TRNUndoMergeItem>* keep) {
    TRNTableCellData* main = Cell(row, col);
    const TRNHTMLLength bestWidth = GetBestWidth(row, col, colSpan, rowSpan);
    // Without an undo record the cells merged away go once the merge is done.
    TRNList<TRNUndoMergeItem> merged;
    TRNList<TRNUndoMergeItem>& taken = keep ? *keep : merged;
    // Room for every cell of the area first, so that no cell taken out of its slot can be lost.
    std::vector<std::unique_ptr<TRNUndoMergeItem>> entries;
    for (int r = row; r < row + rowSpan; ++r) {
        for (int c = col; c < col + colSpan; ++c) {
            if ((r != row || c != col) && Cell(r, c)) {
                auto entry = std::make_unique<TRNUndoMergeItem>();
                entry->Row = r;
                entry->Col = c;
                entries.push_back(std::move(entry));
            }
        }
    }
    taken.Reserve(taken.Count() + static_cast<int>(entries.size()));
    try {
        for (std::unique_ptr<TRNUndoMergeItem>& entry : entries) {
            TRNUndoMergeItem& item = *taken.Add(std::move(entry));
            item.Cell = Get(item.Row)->Take(item.Col);
            // Out of its row a cell still answers its document's options (item tags kept as
            // words or as numbers), which decide whether its items may join the main cell.
            Detach(*item.Cell);
            if (item.Cell->HasData()) {
                DrainCell(*main, *item.Cell, item.ItemCount);
            }
        }
    } catch (...) {
        // The spans are not set yet: the undo of a merge puts every cell taken back.
        Do_UndoMergeCells(row, col, main->ColSpan, main->RowSpan, main->BestWidth, taken);
        throw;
    }
    main->BestWidth = bestWidth;
    main->ColSpan = colSpan;
    main->RowSpan = rowSpan;
    MarkDone();
}

void TRNTableRows::Do_UndoMergeCells(int row, int col, int oldColSpan, int oldRowSpan,
                                     int oldBestWidth, TRNList<TRNUndoMergeItem>& mergeItems) {
    TRNTableCellData* main = Cell(row, col);
    main->BestWidth = oldBestWidth;
    // The items went to the end of the top-left cell in row-major order: they come off its end
    // the other way round.
    main->Deselect(nullptr);
    main->ClearTemporal();
    for (int i = mergeItems.Count() - 1; i >= 0; --i) {
        TRNUndoMergeItem& item = *mergeItems.Get(i);
        TRNItemList& from = main->Items();
        const size_t first = from.size() - static_cast<size_t>(item.ItemCount);
        for (size_t k = first; k < from.size(); ++k) {
            TRNItemSlot& slot = from[k];
            if (slot.Item->Checkpoint) {
                main->UnlinkCheckpoint(slot.Item->Checkpoint.get(), true);
            }
            main->ForgetItem(slot.Item.get());
            if (slot.Item->GetSameAsPrev()) {
                slot.Item->ParaNo = -1;
            }
            item.Cell->AddItem(std::move(slot.Text), std::move(slot.Item));
        }
        from.erase(from.begin() + static_cast<std::ptrdiff_t>(first), from.end());
        item.Cell->DetachedParent = nullptr;
        Get(item.Row)->Put(item.Col, std::move(item.Cell));
    }
    mergeItems.Clear();
    main->ColSpan = oldColSpan;
    main->RowSpan = oldRowSpan;
}

void TRNTableRows::Do_UnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols) {
    TRNTableCellData* main = Cell(row, col);
    const int colSpan = main->ColSpan;
    const int rowSpan = main->RowSpan;
    TRNHTMLLength width = main->BestWidth;
    if (unmergeCols) {
        width = main->BestWidth / colSpan;
        if (width == 0 && main->BestWidth != 0) {
            width = main->BestWidth > 0 ? 1 : -1;
        }
    }
    const int32_t height = unmergeRows ? main->BestHeight / rowSpan : main->BestHeight;
    // Every new cell is made before the grid changes. With rows unmerged each row gets a cell
    // under the main one; with columns unmerged each of those rows is cut across as well.
    struct TPiece {
        int Row, Col;
        std::unique_ptr<TRNTableCellData> Cell;
    };
    std::vector<TPiece> pieces;
    auto make = [&](int r, int c, TRNHTMLLength bestWidth, int32_t bestHeight, int cellRowSpan,
                    int cellColSpan) {
        auto cell = NewCell(r);
        cell->Color = main->Color;
        cell->VisibleBorders = main->VisibleBorders;
        cell->BestWidth = bestWidth;
        cell->BestHeight = bestHeight;
        cell->RowSpan = cellRowSpan;
        cell->ColSpan = cellColSpan;
        pieces.push_back({r, c, std::move(cell)});
    };
    const int splitRows = unmergeRows ? rowSpan : 1;
    for (int r = row; r < row + splitRows; ++r) {
        if (r > row) {
            make(r, col, unmergeCols ? width : main->BestWidth, height, 1,
                 unmergeCols ? 1 : colSpan);
        }
        for (int c = col + 1; unmergeCols && c < col + colSpan; ++c) {
            make(r, c, width, 0, unmergeRows ? 1 : rowSpan, 1);
        }
    }
    for (TPiece& piece : pieces) {
        Get(piece.Row)->Put(piece.Col, std::move(piece.Cell));
    }
    if (unmergeRows) {
        main->RowSpan = 1;
        main->BestHeight = height;
    }
    if (unmergeCols) {
        main->ColSpan = 1;
        main->BestWidth = width;
    }
    MarkDone();
}

void TRNTableRows::Do_UndoUnmergeCell(int row, int col, int oldColSpan, int oldRowSpan,
                                      int oldBestWidth, int oldBestHeight) {
    // Every other slot of the old area held nothing before the unmerge: what is there now
    // was made by it.
    for (int r = row; r < row + oldRowSpan; ++r) {
        for (int c = col; c < col + oldColSpan; ++c) {
            if (r != row || c != col) {
                Get(r)->Take(c);
            }
        }
    }
    TRNTableCellData* main = Cell(row, col);
    main->ColSpan = oldColSpan;
    main->RowSpan = oldRowSpan;
    main->BestWidth = oldBestWidth;
    main->BestHeight = oldBestHeight;
}

void TRNTableRows::MovingToUndoList(int row, int col, int colCount, int rowCount) {
    // One cell that refuses leaves those before it as they were.
    const auto cellAt = [&](int64_t at) {
        return Cell(row + static_cast<int>(at / colCount), col + static_cast<int>(at % colCount));
    };
    AllOrNone(
        int64_t{colCount} * rowCount,
        [&](int64_t at) {
            if (TRNTableCellData* cell = cellAt(at)) {
                cell->MovingToUndoList();
            }
        },
        [&](int64_t at) {
            if (TRNTableCellData* cell = cellAt(at)) {
                cell->MovingFromUndoList();
            }
        });
}

void TRNTableRows::MovingFromUndoList(int row, int col, int colCount, int rowCount) {
    for (int r = row; r < row + rowCount; ++r) {
        for (int c = col; c < col + colCount; ++c) {
            if (TRNTableCellData* cell = Cell(r, c)) {
                cell->List = Get(r);
                cell->DetachedParent = nullptr;
                cell->MovingFromUndoList();
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// High-level operations

TRNTableModifyBracket::TRNTableModifyBracket(TRNTableRows& rows)
    : edit_(rows), data_(TCustomRNFormattedData::EditContextOf(rows.MainRNData)),
      itemNo_(rows.Table ? rows.Table->GetEditorItemNo() : -1) {
    if (!data_) {
        itemNo_ = -1;
    }
    if (itemNo_ >= 0) {
        data_->UndoTarget().Do_ItemModifyTerminator(itemNo_, true);
    }
}

TRNTableModifyBracket::~TRNTableModifyBracket() {
    if (itemNo_ < 0) {
        return;
    }
    try {
        data_->UndoTarget().Do_ItemModifyTerminator(itemNo_, false);
    } catch (const std::exception&) {
        // Only a list that vanished under the edit refuses the closing record; the edit
        // itself stands.
    }
}

void TRNTableRows::InsertRows(int index, int count, int copyIndex, bool divideHeights) {
    CheckIndex(index >= 0 && index <= Count() && copyIndex >= -1 && copyIndex < Count());
    TRNTableModifyBracket bracket(*this);
    const int itemNo = bracket.ItemNo();
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
    Do_BeforeInsertRows(index, count);
    Do_InsertRows(index, count);
    for (int c = 0; c < cols;) {
        if (spread[static_cast<size_t>(c)]) {
            Do_BeforeFreeEmptyCells(index, c, 1, count);
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
            Table->SetCellProperty(
                itemNo, "BestHeight",
                ScaleClamped(source->BestHeight, source->RowSpan, source->RowSpan + count),
                copyIndex, c, true, false);
        }
        for (int k = 0; k < count; ++k) {
            Table->AssignCellAttributes(itemNo, index + k, c, *source, true, 1, source->RowSpan);
            Do_BeforeSpreadOverEmptyCells(index + k, c, source->ColSpan);
            Do_SpreadOverEmptyCells(index + k, c, source->ColSpan);
        }
        c += source->ColSpan;
    }
}

void TRNTableRows::InsertCols(int index, int count, int copyIndex, bool divideWidths) {
    int cols = ColCount();
    CheckIndex(index >= 0 && index <= cols && copyIndex >= -1 && copyIndex < cols);
    TRNTableModifyBracket bracket(*this);
    const int itemNo = bracket.ItemNo();
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
            Do_BeforeInsertEmptyCells(r, index, count, 1);
            Do_InsertEmptyCells(r, index, count, 1);
            ++r;
            continue;
        }
        TRNTableCellData* source = copyIndex >= 0 ? Cell(r, copyIndex) : nullptr;
        if (!source) {
            for (int k = 0; k < count; ++k) {
                Do_BeforeInsertCell(r, index);
                Get(r)->InsertCell(index);
                MarkDone();
            }
            ++r;
            continue;
        }
        if (divideWidths) {
            Table->SetCellProperty(
                itemNo, "BestWidth",
                ScaleClamped(source->BestWidth, source->ColSpan, source->ColSpan + count), r,
                copyIndex, true, true);
        }
        // The source moves right with every cell inserted before it.
        const int span = source->RowSpan;
        for (int k = 0; k < count; ++k) {
            Do_BeforeInsertCell(r, index);
            Get(r)->InsertCell(index);
            MarkDone();
            Table->AssignCellAttributes(itemNo, r, index, *source, true, source->ColSpan, 1);
            Do_SetSpan(r, index, span, false);
        }
        if (span > 1) {
            Do_BeforeInsertEmptyCells(r + 1, index, count, span - 1);
            Do_InsertEmptyCells(r + 1, index, count, span - 1);
        }
        r += span;
    }
}

void TRNTableRows::DeleteRows(int index, int count, bool decreaseHeight) {
    CheckIndex(index >= 0 && index < Count() && count >= 1 && !(index == 0 && count >= Count()));
    TRNTableModifyBracket bracket(*this);
    const int itemNo = bracket.ItemNo();
    count = std::min(count, Count() - index);
    int last = index + count - 1;
    int after = index + count;
    for (int c = ColCount() - 1; c >= 0;) {
        int mr = 0, mc = 0;
        TRNTableCellData* cell = GetMainCell(last, c, mr, mc);
        if (mr + cell->RowSpan - 1 > last && mr >= index) {
            Do_BeforeSplitCellHorz(mr, mc, after, decreaseHeight);
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
                Table->SetCellProperty(itemNo, "BestHeight",
                                       ScaleClamped(cell->BestHeight, span, cell->RowSpan), mr, mc,
                                       true, false);
            }
            Do_SetSpan(mr, mc, span, false);
        }
        c = mc - 1;
    }
    TRNUndoDeleteRows* record = Do_BeforeDeleteRows(index, count);
    Do_DeleteRows(index, count, record ? &record->RowList : nullptr);
}

void TRNTableRows::DeleteCols(int index, int count, bool decreaseWidth) {
    int cols = ColCount();
    CheckIndex(index >= 0 && index < cols && count > 0 && !(index == 0 && count >= cols));
    TRNTableModifyBracket bracket(*this);
    const int itemNo = bracket.ItemNo();
    count = std::min(count, cols - index);
    int last = index + count - 1;
    int after = index + count;
    for (int r = Count() - 1; r >= 0;) {
        int mr = 0, mc = 0;
        TRNTableCellData* cell = GetMainCell(r, last, mr, mc);
        if (mc + cell->ColSpan - 1 > last && mc >= index) {
            Do_BeforeSplitCellVert(mr, mc, after, decreaseWidth);
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
                Table->SetCellProperty(itemNo, "BestWidth",
                                       ScaleClamped(cell->BestWidth, span, cell->ColSpan), mr, mc,
                                       true, true);
            }
            Do_SetSpan(mr, mc, span, true);
        }
        r = mr - 1;
    }
    TRNUndoDeleteCols* record = Do_BeforeDeleteCols(index, count);
    Do_DeleteCols(index, count, record ? &record->CellList : nullptr);
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

void TRNTableRows::MakeSound() {
    int cols = 1;
    for (int r = 0; r < Count(); ++r) {
        cols = std::max(cols, Get(r)->Count());
    }
    for (int r = 0; r < Count(); ++r) {
        TRNTableRow& row = *Get(r);
        row.Reserve(cols);
        while (row.Count() < cols) {
            row.InsertEmpty(row.Count());
        }
    }
    // Row by row, each cell takes what its spans ask of the slots that are still free: none
    // that another cell holds or an area already covers.
    std::vector<bool> covered(static_cast<size_t>(Count()) * static_cast<size_t>(cols), false);
    auto slot = [cols](int r, int c) {
        return static_cast<size_t>(r) * static_cast<size_t>(cols) + static_cast<size_t>(c);
    };
    auto free = [&](int r, int c) { return !covered[slot(r, c)] && !Cell(r, c); };
    for (int r = 0; r < Count(); ++r) {
        for (int c = 0; c < cols; ++c) {
            if (covered[slot(r, c)]) {
                continue;
            }
            if (!Cell(r, c)) {
                Get(r)->Put(c, NewCell(r));
            }
            TRNTableCellData* cell = Cell(r, c);
            int width = 1;
            while (width < cell->ColSpan && c + width < cols && free(r, c + width)) {
                ++width;
            }
            int height = 1;
            for (bool more = true; more && height < cell->RowSpan && r + height < Count();) {
                for (int cc = c; cc < c + width && more; ++cc) {
                    more = free(r + height, cc);
                }
                height += more ? 1 : 0;
            }
            cell->ColSpan = width;
            cell->RowSpan = height;
            for (int rr = r; rr < r + height; ++rr) {
                for (int cc = c; cc < c + width; ++cc) {
                    covered[slot(rr, cc)] = true;
                }
            }
        }
    }
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
    TRNTableModifyBracket bracket(*this);
    TRNUndoMerge* record = Do_BeforeMergeCells(topRow, leftCol, cs, rs);
    Do_MergeCells(topRow, leftCol, cs, rs, record ? &record->MergeItems : nullptr);
}

void TRNTableRows::UnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols) {
    CheckIndex(row >= 0 && row < Count() && col >= 0 && col < ColCount());
    const TRNTableCellData* cell = Cell(row, col);
    if (!cell || !((unmergeRows && cell->RowSpan > 1) || (unmergeCols && cell->ColSpan > 1))) {
        return;
    }
    TRNTableModifyBracket bracket(*this);
    Do_BeforeUnmergeCell(row, col, unmergeRows, unmergeCols);
    Do_UnmergeCell(row, col, unmergeRows, unmergeCols);
}

void TRNTableRows::UnmergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool unmergeRows,
                                bool unmergeCols) {
    TRNTableModifyBracket bracket(*this);
    for (int r = topRow + rowSpan - 1; r >= topRow; --r) {
        for (int c = leftCol + colSpan - 1; c >= leftCol; --c) {
            UnmergeCell(r, c, unmergeRows, unmergeCols);
        }
    }
}
