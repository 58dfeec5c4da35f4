#include "richtext/tables/RNTableInplace.h"

#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTableCellUndo.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <vector>

namespace {

constexpr auto LeftMouse = TMouseButton::mbLeft;
constexpr auto RightMouse = TMouseButton::mbRight;

// The cell editors whose own event handlers are running, innermost last: one of them, or an
// editor holding one, is freed only once its handler has returned.
std::vector<const QWidget*>& BusyEditors() {
    static std::vector<const QWidget*> busy;
    return busy;
}

// Marks an editor busy while one of its handlers runs.
class BusyScope {
public:
    explicit BusyScope(const QWidget* editor) : editor_(editor) { BusyEditors().push_back(editor); }
    ~BusyScope() {
        auto& busy = BusyEditors();
        busy.erase(std::find(busy.begin(), busy.end(), editor_));
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    const QWidget* editor_;
};

bool IsBusy(const QWidget& editor) {
    for (const QWidget* w : BusyEditors()) {
        if (w == &editor || editor.isAncestorOf(w)) {
            return true;
        }
    }
    return false;
}

TRichNote* ViewerOf(TCustomRNData* rnData) {
    auto* data = dynamic_cast<TRichNoteRNData*>(rnData);
    return data ? dynamic_cast<TRichNote*>(&data->RichNote) : nullptr;
}

std::unique_ptr<TRichNoteRNData> MakeInplaceData(IRichNoteHost& owner) {
    auto& editor = dynamic_cast<TRNTableInplaceEdit&>(owner);
    return std::make_unique<TRNTableInplaceRNData>(owner, editor);
}

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

} // namespace

bool HasCellEditorHost(TCustomRNData* rnData) {
    return rnData && ViewerOf(rnData->GetRootData()) != nullptr;
}

// ---------------------------------------------------------------------------------------------
// The editor's document

TRNTableInplaceRNData::TRNTableInplaceRNData(IRichNoteHost& richNote, TRNTableInplaceEdit& editor)
    : TRNEditRNData(richNote, editor), editor_(editor) {}

void TRNTableInplaceRNData::SetDocumentAreaSize(int width, int height, bool redraw) {
    TRNEditRNData::SetDocumentAreaSize(width, height, redraw);
    WasResized = true;
}

void TRNTableInplaceRNData::Formatted(int, int, bool) {
    if (editor_.OnFormatted) {
        editor_.OnFormatted(editor_);
    }
}

void TRNTableInplaceRNData::ShowRectangle(int x, int y, int width, int height) {
    TRichNoteRNData* parent = editor_.ParentRNData;
    if (!parent) {
        return;
    }
    const TPoint at = editor_.ToParent(0, 0);
    parent->ShowRectangle(x + at.X + parent->GetHOffs(), y + at.Y + parent->GetVOffs(), width,
                          height);
}

namespace {

// The edit context of the document that holds the table, while the editor still sits on it.
IRNEditContext* HoldingEditContext(TRNTableInplaceEdit& editor) {
    return editor.IsDetached() || !editor.Table || !editor.ParentRNData
               ? nullptr
               : editor.ParentRNData->GetEditContext();
}

} // namespace

void TRNTableInplaceRNData::BuildJumpsCoords() {
    if (IRNEditContext* parent = HoldingEditContext(editor_)) {
        parent->BuildJumpsCoords();
    } else {
        ReallyBuildJumpsCoords();
    }
}

void TRNTableInplaceRNData::ClearJumpsCoords() {
    if (IRNEditContext* parent = HoldingEditContext(editor_)) {
        parent->ClearJumpsCoords();
    }
    TRNEditRNData::ClearJumpsCoords();
}

// ---------------------------------------------------------------------------------------------
// The editor

TRNTableInplaceEdit::TRNTableInplaceEdit(QWidget* parent) : TRichNoteEdit(parent) {
    RecreateData();
    EditData().OnBeep = [] { QApplication::beep(); };
    SetBorderStyle(TBorderStyle::bsNone);
    WheelStep = 0;
    hide();
    OnCaretGetOut = [this](TRichNoteEdit&, TRNCaretGetOutDirection out) {
        static_assert(static_cast<int>(TRNCellDirection::rncdDown) ==
                      static_cast<int>(TRNCaretGetOutDirection::rncdDown));
        if (Table) {
            Table->InplaceEditorCaretGetout(*this, static_cast<TRNCellDirection>(out));
        }
    };
}

TRNTableInplaceEdit::~TRNTableInplaceEdit() {
    Detach();
}

TRichNoteDataClass TRNTableInplaceEdit::GetDataClass() const {
    return &MakeInplaceData;
}

void TRNTableInplaceEdit::Detach() {
    if (detached_) {
        return;
    }
    detached_ = true;
    // A cell editor open inside this one gives its content back first.
    if (auto* nested = dynamic_cast<TRNTableInplaceEdit*>(InplaceEditor())) {
        if (Clearing) {
            nested->Clearing = true;
        }
        if (nested->Table) {
            nested->Table->DestroyInplace(true);
        }
    }
    if (InplaceEditor()) {
        TRNScroller::DestroyInplace();
    }
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
    // A hidden editor must not keep the keyboard: the focus goes back to the document's
    // control as after a click, without tab navigation into the document's controls.
    if (hasFocus() || isAncestorOf(QApplication::focusWidget())) {
        if (ParentRNData) {
            ParentRNData->State.Include(TRNStateItem::rnstDoNotTab);
        }
        if (QWidget* parent = parentWidget()) {
            parent->setFocus(Qt::OtherFocusReason);
        }
    }
    if (ParentRNData) {
        ParentRNData->UnassignInplace(this);
    } else if (auto* host = dynamic_cast<TRNScroller*>(parentWidget())) {
        host->UnassignInplace(this);
    }
    if (Table) {
        Table->InplaceDeleted(Clearing);
    }
    hide();
}

TRichNoteEdit* TRNTableInplaceEdit::MainEditor() const {
    return ParentRNData ? dynamic_cast<TRichNoteEdit*>(&ParentRNData->RichNote) : nullptr;
}

void TRNTableInplaceEdit::SetCell(int row, int col, TRNTableItemInfo* table, int padding) {
    Row = row;
    Col = col;
    Table = table;
    Cell = table->Cells(row, col);
    ItemNo = table->GetMyItemNo();
    LeftMargin = RightMargin = TopMargin = BottomMargin = padding;
}

void TRNTableInplaceEdit::SetParentRNData(TRichNoteRNData* rnData) {
    ParentRNData = rnData;
    Options = rnData->GetOptions();
    RNFOptions = rnData->GetRNFOptions();
    RTFOptions = rnData->GetRTFOptions();
    SetStyle(rnData->GetRNStyle());
    SetVSmallStep(1);
}

bool TRNTableInplaceEdit::Resized() {
    const bool resized = InplaceData().WasResized;
    InplaceData().WasResized = false;
    return resized;
}

void TRNTableInplaceEdit::SelectCompletely(bool select) {
    TRNEditRNData& data = EditData();
    if (select == data.State.Contains(TRNStateItem::rnstCompletelySelected)) {
        return;
    }
    if (select) {
        data.State.Include(TRNStateItem::rnstCompletelySelected);
        SavedColor = Color();
        if (const TRNStyle* style = Style()) {
            SetColor(style->SelColor);
        }
        HideCaret();
    } else {
        data.State.Exclude(TRNStateItem::rnstCompletelySelected);
        SetColor(SavedColor);
        if (hasFocus() && !data.NotFormatted()) {
            data.ChangeCaret(true, false, true, false);
        }
    }
    Invalidate();
}

TRNRTFReaderProperties* TRNTableInplaceEdit::GetRTFReadProperties() {
    TRichNoteEdit* main = MainEditor();
    return main ? main->GetRTFReadProperties() : TRichNoteEdit::GetRTFReadProperties();
}

bool TRNTableInplaceEdit::RTFReaderAssigned() const {
    TRichNoteEdit* main = MainEditor();
    return main ? main->RTFReaderAssigned() : TRichNoteEdit::RTFReaderAssigned();
}

void TRNTableInplaceEdit::DoChange(bool clearRedo) {
    TRichNoteEdit::DoChange(clearRedo);
    if (OnCellChange && !detached_) {
        OnCellChange(*this, clearRedo);
    }
}

void TRNTableInplaceEdit::FallThrough(bool redo) {
    TRichNoteEdit* main = MainEditor();
    TRNEditRNData* mainData = main ? &main->EditData() : nullptr;
    if (!mainData || (redo ? mainData->RedoList() : mainData->UndoList()).Count() == 0) {
        EditData().Beep();
        return;
    }
    // The document's editor closes this one first, which must not happen inside our own
    // handler: it does so when the message arrives.
    main->PostMessage(redo ? WM_RNREDOFROMINPLACE : WM_RNUNDOFROMINPLACE, 0, 0);
}

void TRNTableInplaceEdit::Undo() {
    if (UndoAction() != TRNUndoType::rnutNone) {
        TRichNoteEdit::Undo();
    } else {
        FallThrough(false);
    }
}

void TRNTableInplaceEdit::Redo() {
    if (RedoAction() != TRNUndoType::rnutNone) {
        TRichNoteEdit::Redo();
    } else {
        FallThrough(true);
    }
}

TPoint TRNTableInplaceEdit::ToParent(int x, int y) const {
    QWidget* parent = parentWidget();
    const QPoint p = parent ? mapTo(parent, QPoint(x, y) + ClientOrigin()) : QPoint(x, y);
    auto* host = dynamic_cast<TCustomControl*>(parent);
    const QPoint origin = host ? host->ClientOrigin() : QPoint(0, 0);
    return {p.x() - origin.x(), p.y() - origin.y()};
}

// Messages and keys.

bool TRNTableInplaceEdit::event(QEvent* e) {
    if (e->type() == QEvent::DeferredDelete) {
        return TRichNoteEdit::event(e);
    }
    BusyScope busy(this);
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            // Tab moves between cells: it never reaches Qt's focus chain.
            TShiftState shift = ShiftStateOf(key->modifiers());
            if (key->key() == Qt::Key_Backtab) {
                shift.Include(TShiftStateItem::ssShift);
            }
            GuardEvent([&] {
                uint16_t vk = VK_TAB;
                KeyDown(vk, shift);
            });
            return true;
        }
    }
    return TRichNoteEdit::event(e);
}

bool TRNTableInplaceEdit::focusNextPrevChild(bool) {
    return false;
}

void TRNTableInplaceEdit::Dispatch(TMessage& message) {
    if (message.Msg == CM_RELEASE) {
        if (Table && Table->InplaceEditor == this) {
            Table->DestroyInplace(true);
        } else {
            deleteLater();
        }
        return;
    }
    // A detached editor only waits to be freed.
    if (detached_) {
        return;
    }
    switch (message.Msg) {
    case WM_RNMOVEEDITOR:
        WMMoveEditor(static_cast<TRNCellDirection>(message.WParam));
        return;
    case WM_RNINPLACEUNDO:
        ReadOnly = false;
        Undo();
        return;
    case WM_RNINPLACEREDO:
        ReadOnly = false;
        Redo();
        return;
    default:
        TRichNoteEdit::Dispatch(message);
    }
}

void TRNTableInplaceEdit::KeyDown(uint16_t& key, TShiftState shift) {
    const bool ctrl = shift.Contains(TShiftStateItem::ssCtrl);
    const bool alt = shift.Contains(TShiftStateItem::ssAlt);
    if (key == VK_TAB) {
        const bool back = shift.Contains(TShiftStateItem::ssShift);
        PostMessage(
            WM_RNMOVEEDITOR,
            static_cast<uintptr_t>(back ? TRNCellDirection::rncdPrev : TRNCellDirection::rncdNext),
            0);
        key = 0;
        return;
    }
    if ((ctrl && !alt && key == 'Z') || (alt && !ctrl && key == VK_BACK)) {
        if (UndoLimit() != 0) {
            if (shift.Contains(TShiftStateItem::ssShift)) {
                Redo();
            } else {
                Undo();
            }
        }
        key = 0;
        return;
    }
    TRichNoteEdit::KeyDown(key, shift);
}

void TRNTableInplaceEdit::KeyPress(char16_t& key) {
    if (key == u'\t') {
        key = 0;
        return;
    }
    TRichNoteEdit::KeyPress(key);
}

void TRNTableInplaceEdit::WMMoveEditor(TRNCellDirection direction) {
    TRNTableItemInfo* table = Table;
    TRNTableCellData* cell = Cell;
    if (!table || !cell) {
        return;
    }
    int row = 0, col = 0;
    if (table->GetCellTo(Row, Col, direction, row, col, false)) {
        const bool atEnd = direction == TRNCellDirection::rncdLeft ||
                           direction == TRNCellDirection::rncdUp ||
                           direction == TRNCellDirection::rncdPrev;
        // This editor is detached at once and freed after this handler.
        table->CreateInplace(ItemNo, row, col, atEnd, false);
        return;
    }
    const bool before = (direction == TRNCellDirection::rncdLeft && Col == 0) ||
                        (direction == TRNCellDirection::rncdUp && Row == 0);
    const bool after =
        (direction == TRNCellDirection::rncdRight &&
         Col + cell->ColSpan >= table->Rows.Get(Row)->Count()) ||
        (direction == TRNCellDirection::rncdDown && Row + cell->RowSpan >= table->Rows.Count());
    if (!before && !after) {
        return;
    }
    TRichNoteRNData* doc = ParentRNData;
    const int itemNo = ItemNo;
    table->DestroyInplace(true);
    if (doc) {
        doc->SetSelectionBounds(itemNo, before ? 0 : 1, itemNo, before ? 0 : 1);
        doc->Invalidate();
        doc->FocusControl();
    }
}

// The mouse.

void TRNTableInplaceEdit::TakeMouse(TMouseButton button, TShiftState shift, int x, int y) {
    // The press went to the document's control: the rest of the drag comes here.
    grabMouse();
    BusyScope busy(this);
    MouseDown(button, shift, x, y);
}

void TRNTableInplaceEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TRichNoteEdit::MouseDown(button, shift, x, y);
    if (button == LeftMouse && Table && !detached_ && Table->StartSelecting(Row, Col)) {
        if (TRichNote* main = ViewerOf(ParentRNData)) {
            main->ActivateScrollTimer();
        }
        Selecting = true;
    }
}

void TRNTableInplaceEdit::MouseMove(TShiftState shift, int x, int y) {
    if (shift.Contains(TShiftStateItem::ssLeft) &&
        EditData().State.Contains(TRNStateItem::rnstMakingSelection) && ParentRNData) {
        // The table extends its cell selection as the mouse leaves the cell.
        const TPoint p = ToParent(x, y);
        ParentRNData->MouseMove(shift.Bits(), p.X, p.Y);
    }
    if (!detached_) {
        TRichNoteEdit::MouseMove(shift, x, y);
    }
}

void TRNTableInplaceEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if ((button == LeftMouse || button == RightMouse) && QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
    TRichNoteEdit::MouseUp(button, shift, x, y);
    if (button != LeftMouse || detached_) {
        return;
    }
    Selecting = false;
    if (!Table || !Table->MouseSelecting || !ParentRNData) {
        return;
    }
    // The document's own mouse-up event is not raised for a release that began in the cell.
    TRichNote* main = ViewerOf(ParentRNData);
    if (main) {
        main->DeactivateScrollTimer();
    }
    const TPoint p = ToParent(x, y);
    ParentRNData->MouseUp(static_cast<int>(button), shift.Bits(), p.X, p.Y);
    if (!EditData().State.Contains(TRNStateItem::rnstCompletelySelected)) {
        SelectCompletely(false);
    } else {
        // The cell selection now covers this cell: the editor goes once this handler is over.
        PostMessage(CM_RELEASE, 0, 0);
    }
}

// ---------------------------------------------------------------------------------------------
// The table's side

TRNTableItemInfo::TInplaceSeam::TInplaceSeam(TRNTableItemInfo& table) : Table(table) {
    Table.PlugCellEditor();
}

TRNTableItemInfo::TInplaceSeam::~TInplaceSeam() {
    // The table goes, and its cells with it: the editor leaves without giving anything back.
    TRNTableInplaceEdit* editor = Table.InplaceEditor;
    if (!editor) {
        return;
    }
    Table.InplaceEditor = nullptr;
    editor->Table = nullptr;
    editor->Cell = nullptr;
    editor->ParentRNData = nullptr;
    editor->Detach();
    if (IsBusy(*editor)) {
        editor->deleteLater();
    } else {
        delete editor;
    }
}

void TRNTableItemInfo::PlugCellEditor() {
    if (HasCellEditorHost(Rows.MainRNData)) {
        CellEditor = &InplaceSeam;
    }
}

void TRNTableItemInfo::TInplaceSeam::Open(int row, int col, bool buildJumps) {
    Table.CreateInplace(-1, row, col, false, buildJumps);
}

void TRNTableItemInfo::TInplaceSeam::MouseDown(int button, uint32_t shift, int x, int y) {
    if (TRNTableInplaceEdit* editor = Table.InplaceEditor) {
        editor->TakeMouse(static_cast<TMouseButton>(button), TShiftState::FromBits(shift), x, y);
    }
}

void TRNTableItemInfo::TInplaceSeam::ClearSelection() {
    if (TRNTableInplaceEdit* editor = Table.InplaceEditor) {
        editor->Deselect();
        editor->Invalidate();
    }
}

void TRNTableItemInfo::TInplaceSeam::SelectCompletely(bool selected) {
    if (TRNTableInplaceEdit* editor = Table.InplaceEditor) {
        editor->SelectCompletely(selected);
    }
}

void TRNTableItemInfo::TInplaceSeam::Place(int x, int y) {
    TRNTableInplaceEdit* editor = Table.InplaceEditor;
    const TRNTableCellData* cell = editor ? editor->Cell : nullptr;
    auto* host = editor ? dynamic_cast<TCustomControl*>(editor->parentWidget()) : nullptr;
    if (!cell || !host) {
        return;
    }
    const QPoint origin = host->ClientOrigin();
    const QRect bounds(origin.x() + cell->Left + x, origin.y() + cell->Top + y, cell->Width,
                       cell->Height);
    if (editor->geometry() != bounds) {
        editor->setGeometry(bounds);
        if (auto* scroller = dynamic_cast<TRNScroller*>(host)) {
            scroller->AssignInplace(editor);
        }
    }
}

bool TRNTableItemInfo::TInplaceSeam::Owns(const void* editor) const {
    const IRNInplaceEditor* own = Table.InplaceEditor;
    return own && editor == own;
}

int TRNTableItemInfo::TInplaceSeam::BuildJumps(int firstJumpNo) {
    TRNTableInplaceEdit* editor = Table.InplaceEditor;
    if (!editor) {
        return 0;
    }
    editor->FirstJumpNo = firstJumpNo;
    TRNTableInplaceRNData& data = editor->InplaceData();
    data.ReallyBuildJumpsCoords();
    // A link over several lines has several areas under one number.
    return data.JumpCount;
}

const TCustomRNFormattedData* TRNTableItemInfo::InplaceDocOf(const TRNTableCellData* cell) const {
    if (!InplaceEditor || InplaceEditor->Cell != cell) {
        return nullptr;
    }
    return &InplaceEditor->EditData();
}

TRNTableInplaceEdit* TRNTableItemInfo::GetEditedCell(int& row, int& col) const {
    row = InplaceEditor ? InplaceEditor->Row : -1;
    col = InplaceEditor ? InplaceEditor->Col : -1;
    return InplaceEditor;
}

void TRNTableItemInfo::CreateInplace(int itemNo, int row, int col, bool caretAtEnd,
                                     bool buildJumps) {
    auto* doc = dynamic_cast<TRichNoteRNData*>(Rows.MainRNData);
    TRichNote* viewer = ViewerOf(doc);
    TRNTableCellData* cell =
        row >= 0 && row < Rows.Count() && col >= 0 && col < Rows.Get(row)->Count() ? Cells(row, col)
                                                                                   : nullptr;
    if (!doc || !viewer || !cell) {
        return;
    }
    DestroyInplace(true);
    // Another table's editor in the same document closes too.
    doc->DestroyInplaceEditor();
    if (CellsSelected) {
        Deselect();
    }
    if (itemNo < 0) {
        itemNo = GetMyItemNo();
    }
    doc->PartialSelectedItem = nullptr;
    doc->SetSelectionBounds(itemNo, 1, itemNo, 1);
    EditorItemMinWidth = doc->CalculateMinItemWidthPlus(itemNo);

    auto* editor = new TRNTableInplaceEdit(viewer);
    InplaceEditor = editor;
    EditedCellRow = row;
    EditedCellCol = col;
    editor->OnCellChange = [this](TRNTableInplaceEdit& sender, bool clearRedo) {
        InplaceEditorChange(sender, clearRedo);
    };
    editor->AssignEvents(*viewer);
    editor->Handlers.OnRNMouseDown = [this, editor](IRichNoteHost&, int button, uint32_t shift, int,
                                                    int x, int y) {
        if (auto* parent = editor->ParentRNData; parent && parent->IsAssignedRNMouseDown()) {
            const TPoint p = editor->ToParent(x, y);
            parent->DoRNMouseDown(button, shift, GetMyItemNo(), p.X, p.Y);
        }
    };
    editor->Handlers.OnRNMouseUp = [this, editor](IRichNoteHost&, int button, uint32_t shift, int,
                                                  int x, int y) {
        if (auto* parent = editor->ParentRNData; parent && parent->IsAssignedRNMouseUp()) {
            const TPoint p = editor->ToParent(x, y);
            parent->DoRNMouseUp(button, shift, GetMyItemNo(), p.X, p.Y);
        }
    };
    editor->Handlers.OnControlAction = [this, editor](IRichNoteHost&, TRNControlAction action, int,
                                                      IEmbeddedControl& control) {
        if (auto* parent = editor->ParentRNData) {
            parent->ControlAction2(action, GetMyItemNo(), control);
        }
    };
    if (auto* main = dynamic_cast<TRichNoteEdit*>(viewer)) {
        editor->EditorOptions = main->EditorOptions;
        editor->EditorOptions.Include(TRNEditorOption::rnoWantTabs);
        editor->SetUndoLimit(main->UndoLimit() != 0 ? -1 : 0);
        // A change in the cell is a change of the document: the document's editor decides.
        editor->OnChanging = [main](TRichNoteEdit&, bool& allow) { allow = main->CanChange(); };
        // The caret in the cell is the document's caret to whoever follows it.
        editor->OnCaretMove = main->OnCaretMove;
    }
    editor->SetColor(cell->Color != clNone ? cell->Color : Color);
    editor->SetVScrollVisible(false);
    editor->SetHScrollVisible(false);

    int left = 0, top = 0;
    TablePlace(*doc, itemNo, left, top);
    ClientLeft = left;
    ClientTop = top;
    const QPoint origin = viewer->ClientOrigin();
    editor->setGeometry(origin.x() + cell->Left + left - doc->GetHOffs(),
                        origin.y() + cell->Top + top - doc->GetVOffs(), cell->Width, cell->Height);
    editor->SetParentRNData(doc);
    TRNEditRNData& data = editor->EditData();
    data.DrainFrom(cell);
    data.Inserted(&data, false);
    editor->SetCell(row, col, this, CellPadding);
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
    EditorDocMinWidth = data.CalculateMinDocWidthPlus();
    editor->Resized();
    editor->CurTextStyleChanged();
    editor->CurParaStyleChanged();
}

void TRNTableItemInfo::DestroyInplace(bool keepState) {
    TRNTableInplaceEdit* editor = InplaceEditor;
    if (!editor) {
        return;
    }
    if (!keepState) {
        editor->Clearing = true;
    }
    editor->Detach();
    InplaceEditor = nullptr;
    EditedCellRow = EditedCellCol = -1;
    // An editor closed from inside its own handler (a move to the next cell) lives until the
    // handler has returned.
    if (IsBusy(*editor)) {
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

void TRNTableItemInfo::InplaceDeleted(bool clearing) {
    TRNTableInplaceEdit* editor = InplaceEditor;
    if (!editor) {
        return;
    }
    TCustomRNFormattedData* doc = TCustomRNFormattedData::Formatted(Rows.MainRNData);
    clearing = clearing || (doc && doc->State.Contains(TRNStateItem::rnstClearing));
    if (IRNEditContext* main = doc ? doc->GetEditContext() : nullptr) {
        FoldHistory(*this, *editor, *main, false);
        FoldHistory(*this, *editor, *main, true);
    }
    TRNEditRNData& data = editor->EditData();
    TRNTableInplaceParamStorage selection;
    StoreRNSelection(data, selection);
    TRNTableCellData* cell = editor->Cell;
    InplaceEditor = nullptr;
    EditedCellRow = EditedCellCol = -1;
    if (!cell) {
        return;
    }
    cell->DrainFrom(&data);
    cell->Inserted(cell, false);
    if (clearing || !doc) {
        return;
    }
    int left = 0, top = 0;
    if (TablePlace(*doc, GetMyItemNo(), left, top)) {
        PaintLeft = left - doc->GetHOffs();
        PaintTop = top - doc->GetVOffs();
    }
    if (TCanvas* canvas = cell->GetCanvas()) {
        cell->Format_(false, true, false, 0, *canvas, false);
        RestoreRNSelection(*cell, selection);
    }
    doc->Invalidate();
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

void TRNTableItemInfo::SaveInplace() {
    TRNTableInplaceEdit* editor = InplaceEditor;
    if (!editor) {
        return;
    }
    if (editor->Selecting) {
        throw ERNTableInplaceError("Cannot destroy cell inplace editor at this time");
    }
    StoreRNSelection(editor->EditData(), InplaceStorage);
    InplaceStorage.Row = editor->Row;
    InplaceStorage.Col = editor->Col;
    InplaceStorage.Stored = true;
    DestroyInplace(true);
}

void TRNTableItemInfo::RestoreInplace() {
    if (!InplaceStorage.Stored) {
        return;
    }
    InplaceStorage.Stored = false;
    const int row = InplaceStorage.Row;
    const int col = InplaceStorage.Col;
    // The grid may have changed since: a place that is no longer a main cell is forgotten.
    if (row < 0 || row >= Rows.Count() || col < 0 || col >= Rows.Get(row)->Count() ||
        !Cells(row, col)) {
        return;
    }
    CreateInplace(-1, row, col, false, false);
    if (InplaceEditor) {
        RestoreRNSelection(InplaceEditor->EditData(), InplaceStorage);
        InplaceEditor->Invalidate();
    }
}

void TRNTableItemInfo::InplaceEditorChange(TRNTableInplaceEdit& editor, bool clearRedo) {
    TCustomRNFormattedData* formatted = TCustomRNFormattedData::Formatted(Rows.MainRNData);
    IRNEditContext* context = formatted ? formatted->GetEditContext() : nullptr;
    // Only an editor's document follows the cell editor's changes.
    TCustomRNFormattedData* doc = context ? formatted : nullptr;
    if (!InEditorResize && InplaceEditor == &editor && editor.Resized()) {
        FormattingInfo.Width = 0;
        InEditorResize = true;
        const QRect before = editor.geometry();
        const int newMin = editor.EditData().CalculateMinDocWidthPlus();
        bool full = false;
        const int itemNo = GetMyItemNo();
        if (newMin != EditorDocMinWidth && doc) {
            EditorDocMinWidth = newMin;
            const int itemMin = doc->CalculateMinItemWidthPlus(itemNo);
            if (itemMin != EditorItemMinWidth) {
                const int docWidth = doc->GetWidth() - doc->GetLeftMargin() - doc->GetRightMargin();
                full = !(itemMin <= docWidth && docWidth > EditorItemMinWidth);
            }
            EditorItemMinWidth = itemMin;
        }
        if (context) {
            context->Reformat(full, false, false, itemNo, true);
        }
        editor.Resized();
        InEditorResize = false;
        if (doc && editor.geometry() != before) {
            doc->Refresh();
        }
    }
    if (context) {
        context->ChangeEx(clearRedo);
    }
}

void TRNTableItemInfo::InplaceEditorCaretGetout(TRNTableInplaceEdit& editor,
                                                TRNCellDirection direction) {
    editor.PostMessage(WM_RNMOVEEDITOR, static_cast<uintptr_t>(direction), 0);
}
