#include "richtext/tables/RNTableInplace.h"

#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTableInplaceSeam.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <vector>

TRNTableInplaceEdit* CellEditorOf(const TRNTableItemInfo& table) {
    return static_cast<TRNTableInplaceEdit*>(table.InplaceEditor);
}

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

} // namespace

bool IsBusyCellEditor(const QWidget& editor) {
    for (const QWidget* w : BusyEditors()) {
        if (w == &editor || editor.isAncestorOf(w)) {
            return true;
        }
    }
    return false;
}

TRichNote* ViewerOf(TCustomRNData* rnData) {
    TCustomRNFormattedData* formatted = TCustomRNFormattedData::Formatted(rnData);
    TRichNoteRNData* data = formatted ? formatted->AsRichNoteData() : nullptr;
    IRNWindow* window = data ? data->RichNote.Window() : nullptr;
    IRNViewerControl* viewer = window ? window->ViewerControl() : nullptr;
    return viewer ? &viewer->Viewer() : nullptr;
}

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
            PostMessage(WM_RNMOVEEDITOR, static_cast<uintptr_t>(out), 0);
        }
    };
}

TRNTableInplaceEdit::~TRNTableInplaceEdit() {
    Detach();
}

TRichNoteDataClass TRNTableInplaceEdit::GetDataClass() const {
    // The editor's own data needs the editor as well as its host: CreateData makes it.
    return TRichNoteEdit::GetDataClass();
}

std::unique_ptr<TRichNoteRNData> TRNTableInplaceEdit::CreateData() {
    return std::make_unique<TRNTableInplaceRNData>(*this, *this);
}

void TRNTableInplaceEdit::CloseWithHolder(bool clearing) {
    if (clearing) {
        Clearing = true;
    }
    if (Table) {
        Table->DestroyInplace(true);
    }
}

void TRNTableInplaceEdit::Detach() {
    if (detached_) {
        return;
    }
    detached_ = true;
    // A cell editor open inside this one gives its content back first.
    if (TRNScroller* nested = InplaceEditor()) {
        nested->CloseWithHolder(Clearing);
    }
    if (InplaceEditor()) {
        TRNScroller::DestroyInplace();
    }
    if (QWidget::mouseGrabber() == this) {
        releaseMouse();
    }
    const bool focused = hasFocus() || isAncestorOf(QApplication::focusWidget());
    // The holder forgets the editor first: while it has one, it hands the focus on to it.
    if (ParentRNData) {
        ParentRNData->UnassignInplace(this);
    } else if (Host) {
        Host->UnassignInplace(this);
    }
    // A hidden editor must not keep the keyboard: the focus goes back to the document's
    // control as after a click, without tab navigation into the document's controls.
    if (focused) {
        if (ParentRNData) {
            ParentRNData->State.Include(TRNStateItem::rnstDoNotTab);
        }
        if (QWidget* parent = parentWidget()) {
            parent->setFocus(Qt::OtherFocusReason);
        }
    }
    if (Seam) {
        Seam->InplaceDeleted(Clearing);
    }
    hide();
}

TRichNoteEdit* TRNTableInplaceEdit::MainEditor() const {
    TRichNote* main = ParentRNData ? ViewerOf(ParentRNData) : nullptr;
    return main ? main->Editor() : nullptr;
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
    const QPoint origin = Host && parent == Host ? Host->ClientOrigin() : QPoint(0, 0);
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
