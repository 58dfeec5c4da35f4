#include "richtext/tables/RNTableUndo.h"

#include "richtext/model/RNError.h"
#include "richtext/tables/RNTable.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/RNEditContext.h"

TRNUndoModifyItemProps* AddTableUndoInfo(TCustomRNData* mainRNData, TRNUndoPropsMaker recordClass,
                                         int itemNo, bool needsFormat, bool sizeMayChange) {
    IRNEditContext* context = TCustomRNFormattedData::EditContextOf(mainRNData);
    TRNUndoList* list = context ? context->GetUndoList() : nullptr;
    if (!list) {
        return nullptr;
    }
    std::unique_ptr<TRNUndoModifyItemProps> record =
        recordClass(itemNo, needsFormat, sizeMayChange);
    TRNUndoModifyItemProps* raw = record.get();
    list->AddInfo(std::move(record));
    return raw;
}

namespace {

// The table a record names, checked: a replay on anything else is an undo error.
TRNTableItemInfo& TableAt(IRNUndoTarget& target, int itemNo) {
    TCustomRNData& data = target.UndoData();
    auto* table = itemNo >= 0 && itemNo < data.ItemCount()
                      ? dynamic_cast<TRNTableItemInfo*>(&data.GetItem(itemNo))
                      : nullptr;
    if (!table) {
        throw ERichNoteError("Undo error");
    }
    return *table;
}

TRNTableCellData& CellAt(TRNTableItemInfo& table, int row, int col) {
    TRNTableCellData* cell = table.Rows.CellAt(row, col);
    if (!cell) {
        throw ERichNoteError("Undo error");
    }
    return *cell;
}

void RetargetCell(TRNTableCellData& cell, TCustomRNData* rnData, bool flag) {
    cell.Inserted(rnData, !flag);
    cell.DetachedParent = rnData;
    cell.List = nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Cell properties

void TRNUndoModifyCellIntProperty::Undo(IRNUndoTarget& target) {
    TRNTableItemInfo& table = TableAt(target, ItemNo);
    table.NeedsReformat = true;
    SubObject = &CellAt(table, Row, Col);
    TRNUndoModifyItemIntProperty::Undo(target);
}

TRNUndoPropsMaker TRNUndoModifyCellIntProperty::GetOppositeClass() const {
    return &MakeUndoProps<TRNUndoModifyCellIntProperty>;
}

void TRNUndoModifyCellIntProperty::SetOppositeUndoInfoProps(
    TRNUndoModifyItemProps& opposite) const {
    if (auto* cell = dynamic_cast<TRNUndoModifyCellIntProperty*>(&opposite)) {
        cell->Row = Row;
        cell->Col = Col;
    }
}

void TRNUndoModifyCellIntProperties::Undo(IRNUndoTarget& target) {
    TRNTableItemInfo& table = TableAt(target, ItemNo);
    table.NeedsReformat = true;
    SubObject = &CellAt(table, Row, Col);
    TRNUndoModifyItemIntProperties::Undo(target);
}

TRNUndoPropsMaker TRNUndoModifyCellIntProperties::GetOppositeClass() const {
    return &MakeUndoProps<TRNUndoModifyCellIntProperties>;
}

void TRNUndoModifyCellIntProperties::SetOppositeUndoInfoProps(
    TRNUndoModifyItemProps& opposite) const {
    if (auto* cell = dynamic_cast<TRNUndoModifyCellIntProperties*>(&opposite)) {
        cell->Row = Row;
        cell->Col = Col;
    }
}

// ---------------------------------------------------------------------------------------------
// Grid records

void TCustomRNUndoTableGrid::Undo(IRNUndoTarget& target) {
    TRNTableItemInfo& table = TableAt(target, ItemNo);
    auto* opposite = static_cast<TCustomRNUndoTableGrid*>(AddTableUndoInfo(
        &target.UndoData(), GetOppositeClass(), ItemNo, AffectsSize, AffectsWidth));
    if (opposite) {
        FillOpposite(*opposite);
    }
    Perform(table.Rows, opposite);
    table.NeedsReformat = true;
}

void TRNUndoInsertTableRows::CopyFlipped(const TRNUndoInsertTableRows& o) {
    Row = o.Row;
    Count = o.Count;
    Insert = !o.Insert;
}

void TRNUndoInsertTableRows::Replay(TRNTableRows& rows, TRNUndoInsertTableRows*) {
    if (Insert) {
        rows.Do_InsertRows(Row, Count);
    } else {
        rows.Do_UnInsertRows(Row, Count);
    }
}

void TRNUndoInsertTableCell::CopyFlipped(const TRNUndoInsertTableCell& o) {
    Row = o.Row;
    Col = o.Col;
    Insert = !o.Insert;
}

void TRNUndoInsertTableCell::Replay(TRNTableRows& rows, TRNUndoInsertTableCell*) {
    if (Insert) {
        rows.Get(Row)->InsertCell(Col);
    } else {
        rows.Get(Row)->Delete(Col);
    }
}

void TRNUndoSpreadOverEmptyCells::CopyFlipped(const TRNUndoSpreadOverEmptyCells& o) {
    Row = o.Row;
    Col = o.Col;
    ColSpan = o.ColSpan;
    Spread = !o.Spread;
}

void TRNUndoSpreadOverEmptyCells::Replay(TRNTableRows& rows, TRNUndoSpreadOverEmptyCells*) {
    if (Spread) {
        rows.Do_SpreadOverEmptyCells(Row, Col, ColSpan);
    } else {
        rows.Do_UnSpreadOverEmptyCells(Row, Col, ColSpan);
    }
}

void TRNUndoSpan::CopyFlipped(const TRNUndoSpan& o) {
    IsColSpan = o.IsColSpan;
    Row = o.Row;
    Col = o.Col;
}

void TRNUndoSpan::Replay(TRNTableRows& rows, TRNUndoSpan* opposite) {
    TRNTableCellData* cell = rows.Cell(Row, Col);
    int32_t& span = IsColSpan ? cell->ColSpan : cell->RowSpan;
    if (opposite) {
        opposite->OldValue = span;
    }
    span = OldValue;
}

void TRNUndoFreeEmptyCell::CopyFlipped(const TRNUndoFreeEmptyCell& o) {
    Free = !o.Free;
    Row = o.Row;
    Col = o.Col;
    ColCount = o.ColCount;
    RowCount = o.RowCount;
}

void TRNUndoFreeEmptyCell::Replay(TRNTableRows& rows, TRNUndoFreeEmptyCell*) {
    if (Free) {
        rows.Do_FreeEmptyCells(Row, Col, ColCount, RowCount);
    } else {
        rows.Do_UnFreeEmptyCells(Row, Col, ColCount, RowCount);
    }
}

void TRNUndoInsertEmptyCell::CopyFlipped(const TRNUndoInsertEmptyCell& o) {
    Insert = !o.Insert;
    Row = o.Row;
    Col = o.Col;
    ColCount = o.ColCount;
    RowCount = o.RowCount;
}

void TRNUndoInsertEmptyCell::Replay(TRNTableRows& rows, TRNUndoInsertEmptyCell*) {
    if (Insert) {
        rows.Do_InsertEmptyCells(Row, Col, ColCount, RowCount);
    } else {
        rows.Do_UnInsertEmptyCells(Row, Col, ColCount, RowCount);
    }
}

void TRNUndoCellSpitHorz::CopyFlipped(const TRNUndoCellSpitHorz& o) {
    Split = !o.Split;
    DecreaseHeight = o.DecreaseHeight;
    Row = o.Row;
    Col = o.Col;
    NewRow = o.NewRow;
    OldBestHeight = o.OldBestHeight;
}

void TRNUndoCellSpitHorz::Replay(TRNTableRows& rows, TRNUndoCellSpitHorz*) {
    if (Split) {
        rows.Do_SplitCellHorz(Row, Col, NewRow, DecreaseHeight);
    } else {
        rows.Do_UnSplitCellHorz(Row, Col, NewRow, OldBestHeight);
    }
}

void TRNUndoCellSpitVert::CopyFlipped(const TRNUndoCellSpitVert& o) {
    Split = !o.Split;
    DecreaseWidth = o.DecreaseWidth;
    Row = o.Row;
    Col = o.Col;
    NewCol = o.NewCol;
    OldBestWidth = o.OldBestWidth;
}

void TRNUndoCellSpitVert::Replay(TRNTableRows& rows, TRNUndoCellSpitVert*) {
    if (Split) {
        rows.Do_SplitCellVert(Row, Col, NewCol, DecreaseWidth);
    } else {
        rows.Do_UnSplitCellVert(Row, Col, NewCol, OldBestWidth);
    }
}

void TRNUndoDeleteRows::CopyFlipped(const TRNUndoDeleteRows& o) {
    Delete = !o.Delete;
    Row = o.Row;
    Count = o.Count;
}

void TRNUndoDeleteRows::Replay(TRNTableRows& rows, TRNUndoDeleteRows* opposite) {
    if (Delete) {
        rows.Do_DeleteRows(Row, Count, opposite ? &opposite->RowList : nullptr);
    } else {
        rows.Do_UnDeleteRows(Row, RowList);
    }
}

void TRNUndoDeleteRows::ChangeRNData(TCustomRNData* rnData, bool flag) {
    for (int i = 0; i < RowList.Count(); ++i) {
        TRNTableRow* row = RowList.Get(i);
        row->RNData = rnData;
        for (int c = 0; c < row->Count(); ++c) {
            if (TRNTableCellData* cell = row->Cell(c)) {
                RetargetCell(*cell, rnData, flag);
            }
        }
    }
}

void TCustomRNUndoWithCells::ChangeCellsRNData(TCustomRNData* rnData, bool flag) {
    for (int i = 0; i < CellList.Count(); ++i) {
        if (TRNTableCellData* cell = CellList.Get(i)) {
            RetargetCell(*cell, rnData, flag);
        }
    }
}

void TRNUndoDeleteCols::CopyFlipped(const TRNUndoDeleteCols& o) {
    Delete = !o.Delete;
    Col = o.Col;
    Count = o.Count;
}

void TRNUndoDeleteCols::Replay(TRNTableRows& rows, TRNUndoDeleteCols* opposite) {
    if (Delete) {
        rows.Do_DeleteCols(Col, Count, opposite ? &opposite->CellList : nullptr);
    } else {
        rows.Do_UnDeleteCols(Col, CellList);
    }
}

void TRNUndoCellsClear::CopyFlipped(const TRNUndoCellsClear& o) {
    Delete = !o.Delete;
    RowList = o.RowList;
    ColList = o.ColList;
}

void TRNUndoCellsClear::Replay(TRNTableRows& rows, TRNUndoCellsClear* opposite) {
    if (Delete) {
        rows.Do_ClearCells(opposite ? &opposite->CellList : nullptr, RowList, ColList);
    } else {
        rows.Do_UnClearCells(CellList, RowList, ColList);
    }
}

void TRNUndoMerge::CopyFlipped(const TRNUndoMerge& o) {
    Merge = !o.Merge;
    Row = o.Row;
    Col = o.Col;
    OldColSpan = o.OldColSpan;
    OldRowSpan = o.OldRowSpan;
    ColSpan = o.ColSpan;
    RowSpan = o.RowSpan;
    OldBestWidth = o.OldBestWidth;
}

void TRNUndoMerge::Replay(TRNTableRows& rows, TRNUndoMerge* opposite) {
    if (Merge) {
        rows.Do_MergeCells(Row, Col, ColSpan, RowSpan, opposite ? &opposite->MergeItems : nullptr);
    } else {
        rows.Do_UndoMergeCells(Row, Col, OldColSpan, OldRowSpan, OldBestWidth, MergeItems);
    }
}

void TRNUndoMerge::ChangeRNData(TCustomRNData* rnData, bool flag) {
    for (int i = 0; i < MergeItems.Count(); ++i) {
        if (TRNTableCellData* cell = MergeItems.Get(i)->Cell.get()) {
            RetargetCell(*cell, rnData, flag);
        }
    }
}

void TRNUndoUnmerge::CopyFlipped(const TRNUndoUnmerge& o) {
    Unmerge = !o.Unmerge;
    UnmergeCols = o.UnmergeCols;
    UnmergeRows = o.UnmergeRows;
    Row = o.Row;
    Col = o.Col;
    OldColSpan = o.OldColSpan;
    OldRowSpan = o.OldRowSpan;
    OldBestHeight = o.OldBestHeight;
    OldBestWidth = o.OldBestWidth;
}

void TRNUndoUnmerge::Replay(TRNTableRows& rows, TRNUndoUnmerge*) {
    if (Unmerge) {
        rows.Do_UnmergeCell(Row, Col, UnmergeRows, UnmergeCols);
    } else {
        rows.Do_UndoUnmergeCell(Row, Col, OldColSpan, OldRowSpan, OldBestWidth, OldBestHeight);
    }
}

// ---------------------------------------------------------------------------------------------
// The records made before each primitive

void TRNTableRows::Do_BeforeInsertRows(int index, int count) {
    if (auto* record = Do_BeforeUndo<TRNUndoInsertTableRows>(true)) {
        record->Row = index;
        record->Count = count;
    }
}

void TRNTableRows::Do_BeforeInsertCell(int row, int col) {
    if (auto* record = Do_BeforeUndo<TRNUndoInsertTableCell>(true)) {
        record->Row = row;
        record->Col = col;
    }
}

void TRNTableRows::Do_BeforeInsertEmptyCells(int row, int col, int colCount, int rowCount) {
    if (auto* record = Do_BeforeUndo<TRNUndoInsertEmptyCell>(true)) {
        record->Row = row;
        record->Col = col;
        record->ColCount = colCount;
        record->RowCount = rowCount;
    }
}

void TRNTableRows::Do_BeforeSpreadOverEmptyCells(int row, int col, int colSpan) {
    if (auto* record = Do_BeforeUndo<TRNUndoSpreadOverEmptyCells>(true)) {
        record->Row = row;
        record->Col = col;
        record->ColSpan = colSpan;
    }
}

void TRNTableRows::Do_BeforeFreeEmptyCells(int row, int col, int colCount, int rowCount) {
    if (auto* record = Do_BeforeUndo<TRNUndoFreeEmptyCell>(true)) {
        record->Row = row;
        record->Col = col;
        record->ColCount = colCount;
        record->RowCount = rowCount;
    }
}

void TRNTableRows::Do_BeforeSplitCellHorz(int row, int col, int newRow, bool decreaseHeight) {
    if (auto* record = Do_BeforeUndo<TRNUndoCellSpitHorz>(false)) {
        record->DecreaseHeight = decreaseHeight;
        record->Row = row;
        record->Col = col;
        record->NewRow = newRow;
        record->OldBestHeight = Cell(row, col)->BestHeight;
    }
}

void TRNTableRows::Do_BeforeSplitCellVert(int row, int col, int newCol, bool decreaseWidth) {
    if (auto* record = Do_BeforeUndo<TRNUndoCellSpitVert>(true)) {
        record->DecreaseWidth = decreaseWidth;
        record->Row = row;
        record->Col = col;
        record->NewCol = newCol;
        record->OldBestWidth = Cell(row, col)->BestWidth;
    }
}

TRNUndoDeleteRows* TRNTableRows::Do_BeforeDeleteRows(int index, int count) {
    auto* record = Do_BeforeUndo<TRNUndoDeleteRows>(true);
    if (record) {
        record->Row = index;
        record->Count = count;
    }
    return record;
}

TRNUndoDeleteCols* TRNTableRows::Do_BeforeDeleteCols(int index, int count) {
    auto* record = Do_BeforeUndo<TRNUndoDeleteCols>(true);
    if (record) {
        record->Col = index;
        record->Count = count;
    }
    return record;
}

TRNUndoCellsClear* TRNTableRows::Do_BeforeClearCells(const TRNIntegerList& rowList,
                                                     const TRNIntegerList& colList) {
    auto* record = Do_BeforeUndo<TRNUndoCellsClear>(true);
    if (record) {
        record->RowList = rowList;
        record->ColList = colList;
    }
    return record;
}

TRNUndoMerge* TRNTableRows::Do_BeforeMergeCells(int row, int col, int colSpan, int rowSpan) {
    auto* record = Do_BeforeUndo<TRNUndoMerge>(true);
    if (record) {
        const TRNTableCellData* cell = Cell(row, col);
        record->Row = row;
        record->Col = col;
        record->OldColSpan = cell->ColSpan;
        record->OldRowSpan = cell->RowSpan;
        record->ColSpan = colSpan;
        record->RowSpan = rowSpan;
        record->OldBestWidth = cell->BestWidth;
    }
    return record;
}

void TRNTableRows::Do_BeforeUnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols) {
    if (auto* record = Do_BeforeUndo<TRNUndoUnmerge>(true)) {
        const TRNTableCellData* cell = Cell(row, col);
        record->UnmergeRows = unmergeRows;
        record->UnmergeCols = unmergeCols;
        record->Row = row;
        record->Col = col;
        record->OldColSpan = cell->ColSpan;
        record->OldRowSpan = cell->RowSpan;
        record->OldBestHeight = cell->BestHeight;
        record->OldBestWidth = cell->BestWidth;
    }
}
