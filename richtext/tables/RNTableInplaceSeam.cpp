#include "richtext/tables/RNTableInplaceSeam.h"

#include "richtext/tables/RNTableCellUndo.h"
#include "richtext/tables/RNTableInplace.h"

namespace {

// The table's top-left corner in the document (false when it has no draw item).
bool TablePlace(TCustomRNFormattedData& doc, int itemNo, int& left, int& top) {
    const int d = itemNo >= 0 ? doc.FindDrawItemByItem(itemNo) : -1;
    if (d < 0 || d >= doc.DrawItems.Count()) {
        return false;
    }
    left = doc.DrawItems[d]->Left;
    top = doc.DrawItems[d]->Top;
    return true;
}

std::unique_ptr<IRNTableInplace> MakeSeam(TRNTableItemInfo& table) {
    return std::make_unique<TRNTableInplaceSeam>(table);
}

} // namespace

// Every table made while this library is linked in gets the cell editor. The library's link
// interface names this symbol, so that a program that links the library always has it.
extern "C" {
extern const bool TarnwickTableCellEditorPlugged;
const bool TarnwickTableCellEditorPlugged = (TRNTableItemInfo::InplaceFactory = &MakeSeam, true);
}

TRNTableInplaceSeam::~TRNTableInplaceSeam() {
    // The table goes, and its cells with it: the editor leaves without giving anything back.
    TRNTableInplaceEdit* editor = CellEditorOf(Table);
    if (!editor) {
        return;
    }
    Table.InplaceEditor = nullptr;
    editor->Table = nullptr;
    editor->Seam = nullptr;
    editor->Cell = nullptr;
    editor->ParentRNData = nullptr;
    editor->Detach();
    if (IsBusyCellEditor(*editor)) {
        editor->deleteLater();
    } else {
        delete editor;
    }
}

void TRNTableInplaceSeam::Open(int row, int col, bool buildJumps) {
    Table.CreateInplace(-1, row, col, false, buildJumps);
}

void TRNTableInplaceSeam::MouseDown(int button, uint32_t shift, int x, int y) {
    if (TRNTableInplaceEdit* editor = CellEditorOf(Table)) {
        editor->TakeMouse(static_cast<TMouseButton>(button), TShiftState::FromBits(shift), x, y);
    }
}

void TRNTableInplaceSeam::ClearSelection() {
    if (TRNTableInplaceEdit* editor = CellEditorOf(Table)) {
        editor->Deselect();
        editor->Invalidate();
    }
}

void TRNTableInplaceSeam::SelectCompletely(bool selected) {
    if (TRNTableInplaceEdit* editor = CellEditorOf(Table)) {
        editor->SelectCompletely(selected);
    }
}

void TRNTableInplaceSeam::Place(int x, int y) {
    TRNTableInplaceEdit* editor = CellEditorOf(Table);
    const TRNTableCellData* cell = editor ? editor->Cell : nullptr;
    TRichNote* host = editor ? editor->Host : nullptr;
    if (!cell || !host || editor->parentWidget() != host) {
        return;
    }
    const QPoint origin = host->ClientOrigin();
    const QRect bounds(origin.x() + cell->Left + x, origin.y() + cell->Top + y, cell->Width,
                       cell->Height);
    if (editor->geometry() != bounds) {
        editor->setGeometry(bounds);
        host->TRNScroller::AssignInplace(editor);
    }
}

bool TRNTableInplaceSeam::Owns(const void* editor) const {
    const IRNInplaceEditor* own = Table.InplaceEditor;
    return own && editor == own;
}

int TRNTableInplaceSeam::BuildJumps(int firstJumpNo) {
    TRNTableInplaceEdit* editor = CellEditorOf(Table);
    if (!editor) {
        return 0;
    }
    editor->FirstJumpNo = firstJumpNo;
    TRNTableInplaceRNData& data = editor->InplaceData();
    data.ReallyBuildJumpsCoords();
    // A link over several lines has several areas under one number.
    return data.JumpCount;
}

void TRNTableInplaceSeam::Create(int itemNo, int row, int col, bool caretAtEnd, bool buildJumps) {
    TCustomRNFormattedData* formatted = TCustomRNFormattedData::Formatted(Table.Rows.MainRNData);
    TRichNoteRNData* doc = formatted ? formatted->AsRichNoteData() : nullptr;
    TRichNote* viewer = ViewerOf(doc);
    TRNTableCellData* cell = Table.Rows.CellAt(row, col);
    if (!doc || !viewer || !cell) {
        return;
    }
    Table.DestroyInplace(true);
    // Another table's editor in the same document closes too.
    doc->DestroyInplaceEditor();
    if (Table.CellsSelected) {
        Table.Deselect();
    }
    if (itemNo < 0) {
        itemNo = Table.GetMyItemNo();
    }
    doc->PartialSelectedItem = nullptr;
    doc->SetSelectionBounds(itemNo, 1, itemNo, 1);
    Table.EditorItemMinWidth = doc->CalculateMinItemWidthPlus(itemNo);

    auto* editor = new TRNTableInplaceEdit(viewer);
    editor->Host = viewer;
    editor->Seam = this;
    Table.InplaceEditor = editor;
    Table.EditedCellRow = row;
    Table.EditedCellCol = col;
    editor->OnCellChange = [this](TRNTableInplaceEdit& sender, bool clearRedo) {
        InplaceEditorChange(sender, clearRedo);
    };
    editor->AssignEvents(*viewer);
    editor->Handlers.OnRNMouseDown = [this, editor](IRichNoteHost&, int button, uint32_t shift, int,
                                                    int x, int y) {
        if (auto* parent = editor->ParentRNData; parent && parent->IsAssignedRNMouseDown()) {
            const TPoint p = editor->ToParent(x, y);
            parent->DoRNMouseDown(button, shift, Table.GetMyItemNo(), p.X, p.Y);
        }
    };
    editor->Handlers.OnRNMouseUp = [this, editor](IRichNoteHost&, int button, uint32_t shift, int,
                                                  int x, int y) {
        if (auto* parent = editor->ParentRNData; parent && parent->IsAssignedRNMouseUp()) {
            const TPoint p = editor->ToParent(x, y);
            parent->DoRNMouseUp(button, shift, Table.GetMyItemNo(), p.X, p.Y);
        }
    };
    editor->Handlers.OnControlAction = [this, editor](IRichNoteHost&, TRNControlAction action, int,
                                                      IEmbeddedControl& control) {
        if (auto* parent = editor->ParentRNData) {
            parent->ControlAction2(action, Table.GetMyItemNo(), control);
        }
    };
    if (TRichNoteEdit* main = viewer->Editor()) {
        editor->EditorOptions = main->EditorOptions;
        editor->EditorOptions.Include(TRNEditorOption::rnoWantTabs);
        editor->SetUndoLimit(main->UndoLimit() != 0 ? -1 : 0);
        // A change in the cell is a change of the document: the document's editor decides.
        editor->OnChanging = [main](TRichNoteEdit&, bool& allow) { allow = main->CanChange(); };
        // The caret in the cell is the document's caret to whoever follows it.
        editor->OnCaretMove = main->OnCaretMove;
    }
    editor->SetColor(cell->Color != clNone ? cell->Color : Table.Color);
    editor->SetVScrollVisible(false);
    editor->SetHScrollVisible(false);

    int left = 0, top = 0;
    TablePlace(*doc, itemNo, left, top);
    Table.ClientLeft = left;
    Table.ClientTop = top;
    const QPoint origin = viewer->ClientOrigin();
    editor->setGeometry(origin.x() + cell->Left + left - doc->GetHOffs(),
                        origin.y() + cell->Top + top - doc->GetVOffs(), cell->Width, cell->Height);
    editor->SetParentRNData(doc);
    TRNEditRNData& data = editor->EditData();
    data.DrainFrom(cell);
    data.Inserted(&data, false);
    editor->SetCell(row, col, &Table, Table.CellPadding);
    editor->Format();
    if (caretAtEnd && data.ItemCount() > 0) {
        const int last = data.ItemCount() - 1;
        data.SetCaretAtItem(last, data.GetOffsAfterItem(last));
    }
    if (buildJumps) {
        data.BuildJumpsCoords();
    }
    editor->show();
    doc->AssignInplace(editor);
    editor->SetFocus();
    Table.EditorDocMinWidth = data.CalculateMinDocWidthPlus();
    editor->Resized();
    editor->CurTextStyleChanged();
    editor->CurParaStyleChanged();
}

void TRNTableInplaceSeam::Destroy(bool keepState) {
    TRNTableInplaceEdit* editor = CellEditorOf(Table);
    if (!editor) {
        return;
    }
    if (!keepState) {
        editor->Clearing = true;
    }
    editor->Detach();
    Table.InplaceEditor = nullptr;
    Table.EditedCellRow = Table.EditedCellCol = -1;
    // An editor closed from inside its own handler (a move to the next cell) lives until the
    // handler has returned.
    if (IsBusyCellEditor(*editor)) {
        editor->deleteLater();
    } else {
        delete editor;
    }
}

namespace {

// Folds one history list of the cell editor into the document's list as one step.
void FoldHistory(TRNTableItemInfo& table, TRNTableInplaceEdit& editor, IRNEditContext& main,
                 bool isRedo) {
    TRNEditRNData& cell = editor.EditData();
    TRNUndoList& list = isRedo ? cell.RedoList() : cell.UndoList();
    IRNUndoTarget& history = main.UndoTarget();
    TRNUndoList& target = isRedo ? history.RedoList() : history.UndoList();
    const int itemNo = table.GetEditorItemNo();
    if (list.Count() == 0 || itemNo < 0) {
        list.Clear();
        target.PopIfEmpty();
        return;
    }
    const bool opened = isRedo ? history.BeginRedoSequence(TRNUndoType::rnutModifyItem, {})
                               : main.BeginUndoSequence(TRNUndoType::rnutModifyItem);
    if (!opened || target.Count() == 0) {
        list.Clear();
        return;
    }
    const int caretItemNo = list.Last()->CaretItemNo;
    const int caretOffs = list.Last()->CaretOffs;
    auto record = std::make_unique<TRNUndoCellModify>(
        itemNo, isRedo, editor.Row, editor.Col, cell.HasCaret() ? cell.GetCurItemNo() : 0,
        cell.HasCaret() ? cell.GetOffsetInCurItem() : 0);
    while (list.Count() > 0) {
        record->UndoList.Groups.Add(list.Groups.DeleteAsPointer(0));
    }
    record->UndoList.ChangeRNData(&history.UndoData(), true);
    target.AddInfo(std::move(record));
    target.Last()->CaretItemNo = caretItemNo;
    target.Last()->CaretOffs = caretOffs;
}

} // namespace

void TRNTableInplaceSeam::InplaceDeleted(bool clearing) {
    TRNTableInplaceEdit* editor = CellEditorOf(Table);
    if (!editor) {
        return;
    }
    TCustomRNFormattedData* doc = TCustomRNFormattedData::Formatted(Table.Rows.MainRNData);
    clearing = clearing || (doc && doc->State.Contains(TRNStateItem::rnstClearing));
    if (IRNEditContext* main = doc ? doc->GetEditContext() : nullptr) {
        FoldHistory(Table, *editor, *main, false);
        FoldHistory(Table, *editor, *main, true);
    }
    TRNEditRNData& data = editor->EditData();
    TRNTableItemInfo::TRNTableInplaceParamStorage selection;
    Table.StoreRNSelection(data, selection);
    TRNTableCellData* cell = editor->Cell;
    Table.InplaceEditor = nullptr;
    Table.EditedCellRow = Table.EditedCellCol = -1;
    if (!cell) {
        return;
    }
    cell->DrainFrom(&data);
    cell->Inserted(cell, false);
    if (clearing || !doc) {
        return;
    }
    int left = 0, top = 0;
    if (TablePlace(*doc, Table.GetMyItemNo(), left, top)) {
        Table.PaintLeft = left - doc->GetHOffs();
        Table.PaintTop = top - doc->GetVOffs();
    }
    if (TCanvas* canvas = cell->GetCanvas()) {
        cell->Format_(false, true, false, 0, *canvas, false);
        Table.RestoreRNSelection(*cell, selection);
    }
    doc->Invalidate();
}

void TRNTableInplaceSeam::Save() {
    TRNTableInplaceEdit* editor = CellEditorOf(Table);
    if (!editor) {
        return;
    }
    if (editor->Selecting) {
        throw ERNTableInplaceError("Cannot destroy cell inplace editor at this time");
    }
    Table.StoreRNSelection(editor->EditData(), Table.InplaceStorage);
    Table.InplaceStorage.Row = editor->Row;
    Table.InplaceStorage.Col = editor->Col;
    Table.InplaceStorage.Stored = true;
    Table.DestroyInplace(true);
}

void TRNTableInplaceSeam::Restore() {
    if (!Table.InplaceStorage.Stored) {
        return;
    }
    Table.InplaceStorage.Stored = false;
    const int row = Table.InplaceStorage.Row;
    const int col = Table.InplaceStorage.Col;
    // The grid may have changed since: a place that is no longer a main cell is forgotten.
    if (row < 0 || row >= Table.Rows.Count() || col < 0 || col >= Table.Rows.Get(row)->Count() ||
        !Table.Cells(row, col)) {
        return;
    }
    Table.CreateInplace(-1, row, col, false, false);
    if (Table.InplaceEditor) {
        Table.RestoreRNSelection(CellEditorOf(Table)->EditData(), Table.InplaceStorage);
        CellEditorOf(Table)->Invalidate();
    }
}

void TRNTableInplaceSeam::InplaceEditorChange(TRNTableInplaceEdit& editor, bool clearRedo) {
    TCustomRNFormattedData* formatted = TCustomRNFormattedData::Formatted(Table.Rows.MainRNData);
    IRNEditContext* context = formatted ? formatted->GetEditContext() : nullptr;
    // Only an editor's document follows the cell editor's changes.
    TCustomRNFormattedData* doc = context ? formatted : nullptr;
    if (!Table.InEditorResize && Table.InplaceEditor == &editor && editor.Resized()) {
        Table.FormattingInfo.Width = 0;
        Table.InEditorResize = true;
        const QRect before = editor.geometry();
        const int newMin = editor.EditData().CalculateMinDocWidthPlus();
        bool full = false;
        const int itemNo = Table.GetMyItemNo();
        if (newMin != Table.EditorDocMinWidth && doc) {
            Table.EditorDocMinWidth = newMin;
            const int itemMin = doc->CalculateMinItemWidthPlus(itemNo);
            if (itemMin != Table.EditorItemMinWidth) {
                const int docWidth = doc->GetWidth() - doc->GetLeftMargin() - doc->GetRightMargin();
                full = !(itemMin <= docWidth && docWidth > Table.EditorItemMinWidth);
            }
            Table.EditorItemMinWidth = itemMin;
        }
        if (context) {
            context->Reformat(full, false, false, itemNo, true);
        }
        editor.Resized();
        Table.InEditorResize = false;
        if (doc && editor.geometry() != before) {
            doc->Refresh();
        }
    }
    if (context) {
        context->ChangeEx(clearRedo);
    }
}

TRNEditRNData* TRNTableInplaceSeam::EditorData() const {
    return Table.InplaceEditor ? &CellEditorOf(Table)->EditData() : nullptr;
}

TRNTableCellData* TRNTableInplaceSeam::EditorCell() const {
    return Table.InplaceEditor ? CellEditorOf(Table)->Cell : nullptr;
}

void TRNTableInplaceSeam::PostReplay(bool redo) {
    if (TRNTableInplaceEdit* editor = CellEditorOf(Table)) {
        editor->PostMessage(redo ? WM_RNINPLACEREDO : WM_RNINPLACEUNDO, 0, 0);
    }
}

namespace {

// A hidden editor inside the editor control that holds the table.
class TScratchEditor final : public IRNTableScratchEditor {
public:
    explicit TScratchEditor(TRichNoteEdit& main)
        : main_(main), editor_(std::make_unique<TRichNoteEdit>(&main)) {
        editor_->hide();
        editor_->Options = main.Options;
        editor_->RNFOptions = main.RNFOptions;
        editor_->RTFOptions = main.RTFOptions;
        editor_->EditorOptions = main.EditorOptions;
        editor_->SetStyle(main.Style());
        editor_->SetUndoLimit(main.UndoLimit() != 0 ? -1 : 0);
    }
    TRNEditRNData& EditData() override { return editor_->EditData(); }
    void Format() override { editor_->Format(); }
    void ApplyStyleConversion(int userData) override {
        editor_->OnStyleConversion = main_.OnStyleConversion;
        editor_->ApplyStyleConversion(userData);
    }
    void ApplyParaStyle(int paraNo) override { editor_->ApplyParaStyle(paraNo); }

private:
    TRichNoteEdit& main_;
    std::unique_ptr<TRichNoteEdit> editor_;
};

} // namespace

std::unique_ptr<IRNTableScratchEditor> TRNTableInplaceSeam::CreateTemporalEditor() {
    TRichNote* viewer = ViewerOf(Table.Rows.MainRNData);
    TRichNoteEdit* main = viewer ? viewer->Editor() : nullptr;
    if (!main) {
        return nullptr;
    }
    return std::make_unique<TScratchEditor>(*main);
}
