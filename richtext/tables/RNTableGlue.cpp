// The table and the editor that holds it: undo grouping, item modification, change notices,
// and what the item does when it enters a document or moves to and from the undo list.

#include "richtext/tables/RNTable.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/RNERNData.h"
#include "richtext/view/RNEditContext.h"
#include "richtext/view/RNWindow.h"

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
    if (TRNEditRNData* editor = InplaceEditorData()) {
        editor->UndoList().Clear();
        editor->RedoList().Clear();
        DestroyInplace(false);
    }
    Rows.MovingToUndoList(0, 0, Rows.ColCount(), Rows.Count());
}

void TRNTableItemInfo::MovingFromUndoList(int /*itemNo*/, TCustomRNData& /*rnData*/) {
    Rows.MovingFromUndoList(0, 0, Rows.ColCount(), Rows.Count());
}

// The cell editor, as far as the table itself goes.

TRNTableItemInfo::TInplaceFactory TRNTableItemInfo::InplaceFactory = nullptr;

void TRNTableItemInfo::PlugCellEditor() {
    // A cell is edited in place only on a document shown in a window.
    TCustomRNData* root = Rows.MainRNData ? Rows.MainRNData->GetRootData() : nullptr;
    TCustomRNFormattedData* formatted = TCustomRNFormattedData::Formatted(root);
    TRichNoteRNData* data = formatted ? formatted->AsRichNoteData() : nullptr;
    if (InplaceSeam && data && data->RichNote.Window()) {
        CellEditor = InplaceSeam.get();
    }
}

void TRNTableItemInfo::CreateInplace(int itemNo, int row, int col, bool caretAtEnd,
                                     bool buildJumps) {
    if (InplaceSeam) {
        InplaceSeam->Create(itemNo, row, col, caretAtEnd, buildJumps);
    }
}

void TRNTableItemInfo::DestroyInplace(bool keepState) {
    if (InplaceSeam) {
        InplaceSeam->Destroy(keepState);
    }
}

void TRNTableItemInfo::SaveInplace() {
    if (InplaceSeam) {
        InplaceSeam->Save();
    }
}

void TRNTableItemInfo::RestoreInplace() {
    if (InplaceSeam) {
        InplaceSeam->Restore();
    }
}

IRNInplaceEditor* TRNTableItemInfo::GetEditedCell(int& row, int& col) const {
    row = InplaceEditor ? EditedCellRow : -1;
    col = InplaceEditor ? EditedCellCol : -1;
    return InplaceEditor;
}

TRNEditRNData* TRNTableItemInfo::InplaceEditorData() const {
    return InplaceEditor && InplaceSeam ? InplaceSeam->EditorData() : nullptr;
}

TRNTableCellData* TRNTableItemInfo::InplaceEditorCell() const {
    return InplaceEditor && InplaceSeam ? InplaceSeam->EditorCell() : nullptr;
}

const TCustomRNFormattedData* TRNTableItemInfo::InplaceDocOf(const TRNTableCellData* cell) const {
    return InplaceEditorCell() == cell ? InplaceEditorData() : nullptr;
}

std::unique_ptr<IRNTableScratchEditor> TRNTableItemInfo::CreateTemporalEditor() {
    return InplaceSeam ? InplaceSeam->CreateTemporalEditor() : nullptr;
}

void TRNTableItemInfo::StoreRNSelection(TCustomRNFormattedData& rnData,
                                        TRNTableInplaceParamStorage& s) {
    rnData.GetSelectionBounds(s.StartItemNo, s.StartItemOffs, s.EndItemNo, s.EndItemOffs, false);
    s.PartialSelectedItem = rnData.PartialSelectedItem;
}

void TRNTableItemInfo::RestoreRNSelection(TCustomRNFormattedData& rnData,
                                          const TRNTableInplaceParamStorage& s) {
    const int count = rnData.ItemCount();
    if (count == 0 || s.StartItemNo < 0 || s.EndItemNo < 0 || s.StartItemNo >= count ||
        s.EndItemNo >= count) {
        return;
    }
    rnData.SetSelectionBounds(s.StartItemNo, s.StartItemOffs, s.EndItemNo, s.EndItemOffs);
    if (s.PartialSelectedItem && rnData.GetItemNo(s.PartialSelectedItem) >= 0) {
        rnData.SetPartialSelectedItem(s.PartialSelectedItem);
    }
}
