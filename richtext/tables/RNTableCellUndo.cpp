#include "richtext/tables/RNTableCellUndo.h"

#include "richtext/tables/RNTable.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/RNERNData.h"
#include "richtext/view/RNEditContext.h"

namespace {

TRNTableItemInfo* TableAt(IRNUndoTarget& target, int itemNo) {
    TCustomRNData& doc = target.UndoData();
    if (itemNo < 0 || itemNo >= doc.ItemCount()) {
        return nullptr;
    }
    return dynamic_cast<TRNTableItemInfo*>(&doc.GetItem(itemNo));
}

// Moves the first `count` groups of `from` to the end of `to`, in order.
void MoveGroups(TRNUndoList& from, TRNUndoList& to, int count) {
    for (int i = 0; i < count && from.Count() > 0; ++i) {
        to.Groups.Add(from.Groups.DeleteAsPointer(0));
    }
}

} // namespace

void TRNUndoCellModify::Undo(IRNUndoTarget& target) {
    TRNTableItemInfo* table = TableAt(target, ItemNo);
    if (!table) {
        return;
    }
    int row = -1, col = -1;
    table->GetEditedCell(row, col);
    if (row != Row || col != Col) {
        table->CreateInplace(ItemNo, Row, Col, false, false);
    }
    TRNEditRNData* editor = table->InplaceEditorData();
    if (!editor) {
        return;
    }
    TRNEditRNData& cell = *editor;
    TRNUndoList& list = IsRedo ? cell.RedoList() : cell.UndoList();
    UndoList.ChangeRNData(&cell, true);
    MoveGroups(UndoList, list, UndoList.Count());
    cell.SetCaretAtItem(CaretItemNo, CaretOffs);
    // The editor replays the step once this replay is over.
    table->InplaceSeam->PostReplay(IsRedo);
}

bool TRNUndoMultiCellsModify::RequiresFullReformat1(IRNUndoTarget& target) {
    MinWidthBefore = target.MinItemWidth(ItemNo);
    return MinWidthBefore >= target.RecordedDocMinWidth();
}

bool TRNUndoMultiCellsModify::RequiresFullReformat2(IRNUndoTarget& target) {
    const int width = target.MinItemWidth(ItemNo);
    return width != MinWidthBefore && width > target.RecordedDocMinWidth();
}

void TRNUndoMultiCellsModify::Undo(IRNUndoTarget& target) {
    TRNTableItemInfo* table = TableAt(target, ItemNo);
    if (!table) {
        return;
    }
    TCustomRNData& doc = target.UndoData();
    TRNUndoMultiCellsModify* opposite = nullptr;
    IRNEditContext* context = TCustomRNFormattedData::EditContextOf(&doc);
    if (TRNUndoList* filling = context ? context->GetUndoList() : nullptr;
        filling && filling->Count()) {
        auto record = std::make_unique<TRNUndoMultiCellsModify>(ItemNo);
        record->IsRedo = !IsRedo;
        opposite = record.get();
        filling->AddInfo(std::move(record));
    }
    std::unique_ptr<IRNTableScratchEditor> editor = table->CreateTemporalEditor();
    while (editor && RowList.Count() > 0 && UndoList.Count() > 0) {
        TRNTableCellData* cell = table->Cells(RowList[0], ColList[0]);
        TRNEditRNData& temp = editor->EditData();
        if (cell) {
            temp.Clear();
            temp.DrainFrom(cell);
            temp.Inserted(&temp, false);
            temp.Format();
            temp.SelectAll();
            // A redo step replays through the redo list, so that what it records goes to
            // the undo list and becomes the opposite step.
            TRNUndoList& replayed = IsRedo ? temp.RedoList() : temp.UndoList();
            TRNUndoList& recorded = IsRedo ? temp.UndoList() : temp.RedoList();
            MoveGroups(UndoList, replayed, CountList[0]);
            replayed.ChangeRNData(&temp, true);
            while (replayed.Count() > 0) {
                if (IsRedo) {
                    replayed.Redo(temp);
                } else {
                    replayed.Undo(temp);
                }
            }
            if (opposite) {
                opposite->RowList.Add(RowList[0]);
                opposite->ColList.Add(ColList[0]);
                opposite->CountList.Add(recorded.Count());
                MoveGroups(recorded, opposite->UndoList, recorded.Count());
            }
            recorded.Clear();
            cell->DrainFrom(&temp);
            cell->Inserted(cell, false);
        } else {
            // A cell that is no longer there takes its groups with it.
            TRNUndoList dropped;
            MoveGroups(UndoList, dropped, CountList[0]);
        }
        RowList.Delete(0);
        ColList.Delete(0);
        CountList.Delete(0);
    }
    if (opposite) {
        opposite->UndoList.ChangeRNData(&doc, true);
    }
    table->NeedsReformat = true;
}
