// The table and the editor that holds it: undo grouping, item modification, change notices,
// and what the item does when it enters a document or moves to and from the undo list.

#include "richtext/tables/RNTable.h"
#include "richtext/tables/RNTableInplace.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/RNEditContext.h"

namespace {

IRNEditContext* EditContext(TCustomRNData* data) {
    return TCustomRNFormattedData::EditContextOf(data);
}

} // namespace

void TRNTableItemInfo::InitUndo() {
    if (IRNEditContext* context = EditContext(Rows.MainRNData);
        context && InsertedInData && InEditor) {
        context->BeginItemUndoGroup();
        ++undoGroupDepth_;
    }
}

void TRNTableItemInfo::DoneUndo() {
    if (IRNEditContext* context = EditContext(Rows.MainRNData); context && undoGroupDepth_ > 0) {
        --undoGroupDepth_;
        context->EndItemUndoGroup();
    }
}

int TRNTableItemInfo::BeginModify(int itemNo) {
    int data = 0;
    if (IRNEditContext* context = EditContext(Rows.MainRNData); context && InsertedInData) {
        context->BeginItemModify(itemNo, data);
    }
    return data;
}

void TRNTableItemInfo::EndModify(int itemNo, int data) {
    if (IRNEditContext* context = EditContext(Rows.MainRNData); context && InsertedInData) {
        context->EndItemModify(itemNo, data);
    }
}

void TRNTableItemInfo::ChangeEx(bool clearRedo) {
    if (IRNEditContext* context = EditContext(Rows.MainRNData)) {
        context->ChangeEx(clearRedo);
    }
}

bool TRNTableItemInfo::CanChange() const {
    return InEditor && Rows.MainRNData && EditContext(Rows.MainRNData->GetRootData());
}

bool TRNTableItemInfo::BeforeChange() {
    IRNEditContext* context = InEditor ? EditContext(Rows.MainRNData) : nullptr;
    return context && context->BeforeChange();
}

TColor TRNTableItemInfo::GetCellColor(const TRNTableCellData& cell) const {
    if (cell.Color != clNone) {
        return cell.Color;
    }
    if (Color != clNone) {
        return Color;
    }
    if (const TCustomRNFormattedData* doc = TCustomRNFormattedData::Formatted(Rows.MainRNData)) {
        return doc->GetColor();
    }
    return clNone;
}

void TRNTableItemInfo::Inserted(TCustomRNData* rnData, bool /*flag*/) {
    InsertedInData = rnData != nullptr;
    InEditor = rnData && EditContext(rnData->GetRootData());
    Rows.MainRNData = rnData;
    for (int r = 0; r < Rows.Count(); ++r) {
        TRNTableRow* row = Rows.Get(r);
        row->RNData = rnData;
        for (int c = 0; c < row->Count(); ++c) {
            if (TRNTableCellData* cell = row->Cell(c)) {
                cell->Inserted(rnData, false);
            }
        }
    }
    // A table that now lies on a viewer control edits its cells in place.
    PlugCellEditor();
}

void TRNTableItemInfo::MovingToUndoList(int /*itemNo*/, TCustomRNData& /*rnData*/) {
    // Leaving the document, the table takes the cell editor's text back into its cell, which
    // goes with it. The editor's own steps are dropped: folded into the document's history
    // they would come after the step that removes the table, and name a table not there.
    if (TRNTableInplaceEdit* editor = InplaceEditor) {
        editor->EditData().UndoList().Clear();
        editor->EditData().RedoList().Clear();
        DestroyInplace(false);
    }
    Rows.MovingToUndoList(0, 0, Rows.ColCount(), Rows.Count());
}

void TRNTableItemInfo::MovingFromUndoList(int /*itemNo*/, TCustomRNData& /*rnData*/) {
    Rows.MovingFromUndoList(0, 0, Rows.ColCount(), Rows.Count());
}
