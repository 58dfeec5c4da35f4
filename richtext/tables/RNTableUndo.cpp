#include "richtext/tables/RNTableUndo.h"

#include "richtext/tables/RNTable.h"

void TRNUndoModifyCellIntProperty::Undo(IRNUndoTarget& target) {
    TCustomRNData& data = target.UndoData();
    auto* table = ItemNo >= 0 && ItemNo < data.ItemCount()
                      ? dynamic_cast<TRNTableItemInfo*>(&data.GetItem(ItemNo))
                      : nullptr;
    if (!table || Row < 0 || Row >= table->Rows.Count() || Col < 0 ||
        Col >= table->Rows.Get(Row)->Count() || !table->Cells(Row, Col)) {
        return;
    }
    table->NeedsReformat = true;
    SubObject = table->Cells(Row, Col);
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
