// The table and the editor that holds it: undo grouping, item modification, change notices,
// and what the item does when it enters a document or moves to and from the undo list.

#include "richtext/tables/RNTable.h"
#include "richtext/tables/RNTableInplace.h"
#include "richtext/view/RNERNData.h"
#include "richtext/view/RNEdit.h"

namespace {

TRNEditRNData* EditorOf(TCustomRNData* data) {
    return dynamic_cast<TRNEditRNData*>(data);
}

} // namespace

void TRNTableItemInfo::InitUndo() {
    if (TRNEditRNData* editor = EditorOf(Rows.MainRNData); editor && InsertedInData && InEditor) {
        editor->BeginUndoSequence(TRNUndoType::rnutModifyItem);
        editor->SetUndoGroupMode(true);
        ++undoGroupDepth_;
    }
}

void TRNTableItemInfo::DoneUndo() {
    if (TRNEditRNData* editor = EditorOf(Rows.MainRNData); editor && undoGroupDepth_ > 0) {
        editor->SetUndoGroupMode(false);
        --undoGroupDepth_;
        // A command that changed nothing leaves no empty step behind.
        editor->UndoList().PopIfEmpty();
    }
}

int TRNTableItemInfo::BeginModify(int itemNo) {
    int data = 0;
    if (TRNEditRNData* editor = EditorOf(Rows.MainRNData); editor && InsertedInData) {
        editor->BeginItemModify(itemNo, data);
    }
    return data;
}

void TRNTableItemInfo::EndModify(int itemNo, int data) {
    if (TRNEditRNData* editor = EditorOf(Rows.MainRNData); editor && InsertedInData) {
        editor->EndItemModify(itemNo, data);
    }
}

void TRNTableItemInfo::ChangeEx(bool clearRedo) {
    if (TRNEditRNData* editor = EditorOf(Rows.MainRNData)) {
        editor->ChangeEx(clearRedo);
    }
}

bool TRNTableItemInfo::CanChange() const {
    return InEditor && Rows.MainRNData && EditorOf(Rows.MainRNData->GetRootData());
}

bool TRNTableItemInfo::BeforeChange() {
    TRNEditRNData* editor = InEditor ? EditorOf(Rows.MainRNData) : nullptr;
    if (!editor) {
        return false;
    }
    if (auto* control = dynamic_cast<TRichNoteEdit*>(&editor->EditHost)) {
        return control->BeforeChange(true);
    }
    return true;
}

TColor TRNTableItemInfo::GetCellColor(const TRNTableCellData& cell) const {
    if (cell.Color != clNone) {
        return cell.Color;
    }
    if (Color != clNone) {
        return Color;
    }
    if (auto* doc = dynamic_cast<const TCustomRNFormattedData*>(Rows.MainRNData)) {
        return doc->GetColor();
    }
    return clNone;
}

void TRNTableItemInfo::Inserted(TCustomRNData* rnData, bool /*flag*/) {
    InsertedInData = rnData != nullptr;
    InEditor = rnData && EditorOf(rnData->GetRootData());
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
