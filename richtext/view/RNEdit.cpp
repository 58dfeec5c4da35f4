#include "richtext/view/RNEdit.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Stream.h"
#include "platform/widgets/Clipboard.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNRTFProps.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <QApplication>
#include <QInputMethod>

#include <cstring>

namespace {

std::unique_ptr<TRichNoteRNData> MakeEditorData(IRichNoteHost& owner) {
    auto& editor = dynamic_cast<TRichNoteEdit&>(owner);
    return std::make_unique<TRNEditRNData>(owner, editor);
}

} // namespace

TRichNoteEdit::TRichNoteEdit(QWidget* parent) : TRichNote(parent) {
    RecreateData();
    EditData().OnBeep = [] { QApplication::beep(); };
    Options.Include(TRNOption::rnoAllowSelection);
    // An editor's links are text until something asks for their areas (Ctrl held with
    // rnoCtrlJumps, an export): its first formatting builds none.
    Flags.Exclude(TRNFlag::rnflUseJumps);
    // The arrow keys move the caret, not the view; text is pointed at with the I-beam; a short
    // note keeps its vertical bar, disabled, so the text does not jump when it grows past a page.
    KeyboardScroll = false;
    KeepVScrollDisabled = true;
    SetCursor(crIBeam);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    QObject::connect(QGuiApplication::inputMethod(), &QInputMethod::localeChanged, this, [this] {
        GuardEvent([this] {
            WMInputLangChange(CharsetOfLocale(QGuiApplication::inputMethod()->locale()));
        });
    });
}

TRichNoteEdit::~TRichNoteEdit() = default;

TRichNoteDataClass TRichNoteEdit::GetDataClass() const {
    return &MakeEditorData;
}

void TRichNoteEdit::AssignEvents(const TRichNote& source) {
    TRichNote::AssignEvents(source);
    if (const auto* editor = dynamic_cast<const TRichNoteEdit*>(&source)) {
        OnStyleConversion = editor->OnStyleConversion;
        OnPaste = editor->OnPaste;
        OnCurParaStyleChanged = editor->OnCurParaStyleChanged;
        OnCurTextStyleChanged = editor->OnCurTextStyleChanged;
    }
}

void TRichNoteEdit::SetUndoLimit(int limit) {
    EditData().UndoList().Limit = limit;
    if (limit == 0) {
        ClearUndo();
    }
}

// Changes.

bool TRichNoteEdit::BeforeChange(bool fromOutside) {
    TRNEditRNData& data = EditData();
    // An item that holds the mouse (a table border being dragged) is mid-change itself.
    if (ReadOnly || !Style() || (!fromOutside && data.CaptureMouseItem)) {
        data.Beep();
        return false;
    }
    // An empty document gets its first line, for the change to have a place to start.
    data.PrepareForEdit();
    bool allow = true;
    if (OnChanging && updateCount_ == 0) {
        OnChanging(*this, allow);
    }
    return allow;
}

void TRichNoteEdit::EndUpdate() {
    if (updateCount_ > 0) {
        --updateCount_;
    }
}

void TRichNoteEdit::DoChange(bool clearRedo) {
    EditData().ClearJumpsCoords();
    if (clearRedo) {
        ClearRedo();
    }
    Modified = true;
    if (updateCount_ > 0) {
        ++heldChanges_;
        return;
    }
    NotifyChange();
}

void TRichNoteEdit::NotifyChange() {
    if (updateCount_ == 0 && OnChange) {
        OnChange(*this);
    }
}

int TRichNoteEdit::HoldNotices() {
    ++updateCount_;
    return heldChanges_;
}

void TRichNoteEdit::ReleaseNotices(int held) {
    EndUpdate();
    if (heldChanges_ != held) {
        NotifyChange();
    }
}

bool TRichNoteEdit::OneNotice(const std::function<bool()>& action) {
    const int held = HoldNotices();
    bool result = false;
    try {
        result = action();
    } catch (...) {
        ReleaseNotices(held);
        throw;
    }
    ReleaseNotices(held);
    return result;
}

void TRichNoteEdit::CurTextStyleChanged() {
    if (OnCurTextStyleChanged) {
        OnCurTextStyleChanged(*this);
    }
}

void TRichNoteEdit::CurParaStyleChanged() {
    if (OnCurParaStyleChanged) {
        OnCurParaStyleChanged(*this);
    }
}

int TRichNoteEdit::ConvertStyle(int styleNo, int userData, bool appliedToText) {
    if (conversion_) {
        return conversion_(styleNo, appliedToText);
    }
    if (OnStyleConversion) {
        OnStyleConversion(*this, styleNo, userData, appliedToText);
    }
    return styleNo;
}

void TRichNoteEdit::SetCaret(int x, int y, int width, int height) {
    TControlCaret& caret = Caret();
    if (!caret.Exists() || caret.Bounds().Width() != width || caret.Bounds().Height() != height) {
        caret.Create(width, height);
    }
    caret.SetPos(x, y);
    if (!caret.Shown()) {
        caret.Show();
    }
    updateMicroFocus();
    if (OnCaretMove) {
        OnCaretMove(*this);
    }
}

void TRichNoteEdit::HideCaret() {
    if (Caret().Shown()) {
        Caret().Hide();
    }
    if (OnCaretMove) {
        OnCaretMove(*this);
    }
}

// Undo.

void TRichNoteEdit::BeginUndoGroup(TRNUndoType undoType) {
    EditData().BeginUndoSequence(undoType);
}

void TRichNoteEdit::BeginUndoCustomGroup(const std::string& name) {
    EditData().BeginNamedUndoSequence(TRNUndoType::rnutCustom, name);
}

void TRichNoteEdit::SetTabNavigation(TRNTabNavigationType value) {
    if (value != TRNTabNavigationType::rntnNone) {
        throw ERichNoteError("Not supported in editor");
    }
    TRichNote::SetTabNavigation(value);
}

void TRichNoteEdit::OnEnterPress(bool shift) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        cell->OnEnterPress(shift);
        return;
    }
    if (!BeforeChange(false)) {
        return;
    }
    if (EditData().OnEnterPress_(shift)) {
        Update();
        Change();
    }
}

void TRichNoteEdit::OnBackSpacePress(bool ctrl) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        cell->OnBackSpacePress(ctrl);
        return;
    }
    if (BeforeChange(false) && EditData().OnBackSpacePress_(ctrl)) {
        Change();
    }
}

void TRichNoteEdit::OnDeletePress(bool ctrl) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        cell->OnDeletePress(ctrl);
        return;
    }
    if (BeforeChange(false) && EditData().OnDeletePress_(ctrl, false)) {
        Change();
    }
}

TRNUndoList& TRichNoteEdit::ReplayList(bool redo) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        if (TRNUndoList& list = cell->ReplayList(redo); list.Count() > 0) {
            return list;
        }
    }
    return redo ? EditData().RedoList() : EditData().UndoList();
}

void TRichNoteEdit::ClearUndo() {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        cell->ClearUndo();
    }
    EditData().UndoList().Clear();
    EditData().RedoList().Clear();
}

void TRichNoteEdit::Replay(bool redo) {
    ReplayGroup(redo);
    // Undo and Redo come from menus and buttons too: the keyboard goes back to the text.
    if (isVisible() && CanFocus() && !hasFocus() && !InplaceEditor()) {
        SetFocus();
    }
}

void TRichNoteEdit::ReplayGroup(bool redo) {
    TRNUndoList& list = redo ? EditData().RedoList() : EditData().UndoList();
    // A cell editor replays its own changes (or those of a cell editor open in it) first; once
    // it has none, it closes and the document's own step is replayed.
    if (TRichNoteEdit* inplace = InplaceEdit()) {
        if (inplace->ReplayList(redo).Count() > 0) {
            inplace->ReplayGroup(redo);
            if (inplace->isVisible() && !inplace->hasFocus()) {
                inplace->SetFocus();
            }
            return;
        }
        if (list.Count() > 0) {
            DestroyInplace();
        }
    }
    // Nothing to replay is told like any refused command.
    if (list.Count() == 0) {
        EditData().Beep();
        return;
    }
    if (!BeforeChange(false)) {
        return;
    }
    if (redo) {
        list.Redo(EditData());
    } else {
        list.Undo(EditData());
    }
    DoChange(false);
}

bool TRichNoteEdit::Grouped(TRNUndoType undoType, const std::function<bool()>& command) {
    TRNEditRNData& data = EditData();
    data.BeginUndoSequence(undoType);
    data.SetUndoGroupMode(true);
    bool done = false;
    try {
        done = command();
    } catch (...) {
        data.SetUndoGroupMode(false);
        data.UndoList().PopIfEmpty();
        data.Format();
        throw;
    }
    data.SetUndoGroupMode(false);
    data.UndoList().PopIfEmpty();
    return done;
}

// Text.

bool TRichNoteEdit::InsertTextW(std::u16string_view text) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertTextW(text);
    }
    // The style is chosen once the selection is gone: the caret then stands where the text
    // goes.
    return InsertOverSelection(
        [&] {
            BeforeUnicode(text);
            return EditData().InsertTextW_(text);
        },
        true);
}

bool TRichNoteEdit::InsertText(std::string_view text) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertText(text);
    }
    return InsertOverSelection([&] { return EditData().InsertText_(text); }, true);
}

bool TRichNoteEdit::InsertFile(const std::string& fileName,
                               const std::function<bool(TMemoryStream&)>& insert, bool isText) {
    // Read before anything changes: a file that cannot be read leaves the selection too.
    TMemoryStream stream;
    try {
        stream.LoadFromFile(fileName);
    } catch (const EStreamError&) {
        return false;
    }
    return InsertOverSelection([&] { return insert(stream); }, isText);
}

bool TRichNoteEdit::InsertTextFromFile(const std::string& fileName) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertTextFromFile(fileName);
    }
    return InsertFile(
        fileName,
        [&](TMemoryStream& stream) {
            return EditData().InsertTextFileBytes(stream.Bytes(), false);
        },
        true);
}

bool TRichNoteEdit::InsertOEMTextFromFile(const std::string& fileName) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertOEMTextFromFile(fileName);
    }
    return InsertFile(
        fileName,
        [&](TMemoryStream& stream) { return EditData().InsertTextFileBytes(stream.Bytes(), true); },
        true);
}

bool TRichNoteEdit::InsertTextFromFileW(const std::string& fileName) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertTextFromFileW(fileName);
    }
    return InsertFile(
        fileName,
        [&](TMemoryStream& stream) { return EditData().InsertTextFileBytesW(stream.Bytes()); },
        true);
}

bool TRichNoteEdit::InsertRNFFromFileEd(const std::string& fileName) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertRNFFromFileEd(fileName);
    }
    return InsertFile(
        fileName, [&](TMemoryStream& stream) { return EditData().InsertRNFFromStreamEd_(stream); },
        false);
}

bool TRichNoteEdit::InsertRTFFromFileEd(const std::string& fileName) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertRTFFromFileEd(fileName);
    }
    return InsertFile(
        fileName, [&](TMemoryStream& stream) { return EditData().InsertRTFFromStreamEd_(stream); },
        false);
}

bool TRichNoteEdit::InsertRNFFromStreamEd(TStream& stream) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertRNFFromStreamEd(stream);
    }
    return InsertOverSelection([&] { return EditData().InsertRNFFromStreamEd_(stream); }, false);
}

bool TRichNoteEdit::InsertRTFFromStreamEd(TStream& stream) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->InsertRTFFromStreamEd(stream);
    }
    return InsertOverSelection([&] { return EditData().InsertRTFFromStreamEd_(stream); }, false);
}

// The input method.

void TRichNoteEdit::ImeInput(std::u16string_view commit, std::u16string_view preedit) {
    if (!commit.empty() && CanChange()) {
        InsertTextW(commit);
    }
    if (preedit_ != preedit) {
        preedit_ = std::u16string(preedit);
        Invalidate();
    }
    updateMicroFocus();
}

TRect TRichNoteEdit::ImeCursorRect() const {
    auto& data = const_cast<TRichNoteEdit*>(this)->EditData();
    const TPoint p = data.GetIMEWinCoord();
    const int height = data.HasCaret() ? data.CaretHeight : 0;
    return Rect(p.X, p.Y, p.X + RichNoteEditCaretWidth, p.Y + height);
}

void TRichNoteEdit::Paint() {
    TRichNote::Paint();
    if (preedit_.empty() || !EditData().HasCaret()) {
        return;
    }
    // The composition is drawn over the document at the caret, underlined, and never
    // enters it.
    const TRect r = ImeCursorRect();
    TCanvas& canvas = Canvas();
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.TextOutW(r.Left + 1, r.Top + 1, preedit_);
    const int width = canvas.TextWidthW(preedit_);
    canvas.Pen().SetColor(canvas.Font().Color());
    canvas.MoveTo(r.Left + 1, r.Bottom - 1);
    canvas.LineTo(r.Left + 1 + width, r.Bottom - 1);
}

// Messages and keys.

void TRichNoteEdit::Dispatch(TMessage& message) {
    switch (message.Msg) {
    case WM_CUT:
        CutDef();
        return;
    case WM_PASTE:
        Paste();
        return;
    case WM_RNUNDOFROMINPLACE:
        DestroyInplace();
        Undo();
        return;
    case WM_RNREDOFROMINPLACE:
        DestroyInplace();
        Redo();
        return;
    case WM_CHAR: {
        char16_t ch = static_cast<char16_t>(message.WParam);
        KeyPress(ch);
        return;
    }
    default:
        TRichNote::Dispatch(message);
    }
}

bool TRichNoteEdit::ClaimsShortcut(uint16_t key, TShiftState shift) {
    const bool ctrl = shift.Contains(TShiftStateItem::ssCtrl);
    const bool alt = shift.Contains(TShiftStateItem::ssAlt);
    const bool shiftKey = shift.Contains(TShiftStateItem::ssShift);
    if (ctrl && !alt) {
        return key == 'Z' || key == 'C' || key == 'X' || key == 'V' || key == VK_INSERT;
    }
    if (shiftKey && !ctrl && !alt) {
        return key == VK_INSERT || key == VK_DELETE;
    }
    return alt && !ctrl && key == VK_BACK;
}

void TRichNoteEdit::KeyDown(uint16_t& key, TShiftState shift) {
    TRNEditRNData& data = EditData();
    const bool ctrl = shift.Contains(TShiftStateItem::ssCtrl);
    const bool alt = shift.Contains(TShiftStateItem::ssAlt);
    const bool shiftKey = shift.Contains(TShiftStateItem::ssShift);
    if (OnKeyDown) {
        OnKeyDown(key, shift);
        if (key == 0) {
            return;
        }
    }
    // Undo and redo shortcuts.
    if ((ctrl && !alt && key == 'Z') || (alt && !ctrl && key == VK_BACK)) {
        if (UndoLimit() != 0) {
            if (shiftKey) {
                Redo();
            } else {
                Undo();
            }
        }
        key = 0;
        return;
    }
    if (ctrl && !alt && (key == 'C' || key == VK_INSERT)) {
        CopyDef();
        key = 0;
        return;
    }
    if ((ctrl && !alt && key == 'X') || (shiftKey && !ctrl && key == VK_DELETE)) {
        PostMessage(WM_CUT, 0, 0);
        key = 0;
        return;
    }
    if ((ctrl && !alt && key == 'V') || (shiftKey && !ctrl && key == VK_INSERT)) {
        PostMessage(WM_PASTE, 0, 0);
        key = 0;
        return;
    }
    if (data.NotFormatted()) {
        return;
    }
    if (key == VK_CONTROL) {
        // Links of an editor react only while Ctrl is held.
        if (EditorOptions.Contains(TRNEditorOption::rnoCtrlJumps) &&
            !Flags.Contains(TRNFlag::rnflUseJumps)) {
            data.BuildJumpsCoords();
            GenerateMouseMove();
        }
        return;
    }
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT: {
        data.PrepareForEdit();
        // A selection that is dropped, grows or shrinks is drawn again.
        const bool hadSelection = data.SelectionExists(false, true);
        if (shiftKey) {
            data.StartShiftMoving();
        } else if (data.SelectionExists(false, true)) {
            data.Deselect(nullptr);
        }
        bool out = false;
        switch (key) {
        case VK_LEFT:
            out = data.OnLeftPress(shiftKey, ctrl);
            break;
        case VK_RIGHT:
            out = data.OnRightPress(shiftKey, ctrl);
            break;
        case VK_UP:
            out = data.OnUpPress();
            break;
        case VK_DOWN:
            out = data.OnDownPress();
            break;
        case VK_HOME:
            data.OnHomePress(ctrl);
            break;
        case VK_END:
            data.OnEndPress(ctrl);
            break;
        case VK_PRIOR:
            data.OnPgUpPress();
            break;
        default:
            data.OnPgDownPress();
            break;
        }
        if (shiftKey) {
            data.EndShiftMoving();
        }
        if (hadSelection || data.SelectionExists(false, true)) {
            Invalidate();
        }
        if (out && OnCaretGetOut) {
            using D = TRNCaretGetOutDirection;
            OnCaretGetOut(*this, key == VK_LEFT    ? D::rncdLeft
                                 : key == VK_UP    ? D::rncdUp
                                 : key == VK_RIGHT ? D::rncdRight
                                                   : D::rncdDown);
        }
        key = 0;
        return;
    }
    case VK_DELETE:
    case VK_BACK:
        if (BeforeChange(false)) {
            if (data.SelectionExists(false, true)) {
                data.DeleteSelection_();
                Invalidate();
            } else if (key == VK_DELETE ? data.OnDeletePress_(ctrl, false)
                                        : data.OnBackSpacePress_(ctrl)) {
                Change();
            }
        }
        key = 0;
        return;
    case VK_RETURN:
        if (EditorOptions.Contains(TRNEditorOption::rnoDoNotWantReturns)) {
            // Its character follows, and KeyPress refuses it.
            return;
        }
        if (BeforeChange(false)) {
            // The selection goes first, its own undo step; the user hears of one change.
            // Selected table cells are no text to replace: they stay.
            OneNotice([&] {
                if (data.SelectionExists(false, false) && !data.DeleteSelection_()) {
                    return false;
                }
                return data.OnEnterPress_(shiftKey);
            });
            // The new paragraph shows at once.
            Update();
        }
        key = 0;
        return;
    case VK_TAB:
        if (alt) {
            TRichNote::KeyDown(key, shift);
            return;
        }
        if (ctrl) {
            // Ctrl+Tab types a tab whatever rnoWantTabs says: the character goes through
            // KeyPress like a typed one.
            PostMessage(WM_CHAR, u'\t', 0);
        } else if (EditorOptions.Contains(TRNEditorOption::rnoWantTabs)) {
            char16_t tab = u'\t';
            KeyPress(tab);
        }
        // A plain Tab the editor does not want belongs to the focus chain, never the text.
        key = 0;
        return;
    default:
        break;
    }
}

void TRichNoteEdit::KeyUp(uint16_t& key, TShiftState shift) {
    TRichNote::KeyUp(key, shift);
    if (key == VK_CONTROL && EditorOptions.Contains(TRNEditorOption::rnoCtrlJumps)) {
        EditData().ClearJumpsCoords();
        GenerateMouseMove();
    }
}

void TRichNoteEdit::KeyPress(char16_t& key) {
    // Enter passes KeyDown untouched when returns are not wanted, to be refused here: once.
    if ((key == u'\r' || key == u'\n') &&
        EditorOptions.Contains(TRNEditorOption::rnoDoNotWantReturns)) {
        EditData().Beep();
        return;
    }
    if (OnKeyPress) {
        OnKeyPress(key);
    }
    // Control characters come through KeyDown; a tab is typed as spaces, never as a byte 9.
    if (key == u'\t') {
        if (const TRNStyle* sheet = Style(); sheet && sheet->SpacesInTab > 0) {
            Typed(std::u16string(static_cast<size_t>(sheet->SpacesInTab), u' '));
        }
        return;
    }
    if (key < u' ' || key == 0x7F) {
        return;
    }
    Typed(std::u16string_view(&key, 1));
}

bool TRichNoteEdit::focusNextPrevChild(bool next) {
    // An editor that wants tabs takes Tab itself, as a key.
    if (EditorOptions.Contains(TRNEditorOption::rnoWantTabs) && hasFocus()) {
        return false;
    }
    return TRichNote::focusNextPrevChild(next);
}

void TRichNoteEdit::KeyText(std::u16string_view text) {
    if (text.size() == 1) {
        char16_t ch = text[0];
        KeyPress(ch);
    } else if (!text.empty()) {
        InsertTextW(text);
    }
}

void TRichNoteEdit::BeforeUnicode(std::u16string_view text) {
    TRNStyle* sheet = Style();
    TRNEditRNData& data = EditData();
    const int current = data.CurTextStyleNo;
    if (!sheet || current < 0 || current >= sheet->TextStyles().Count() ||
        sheet->TextStyles()[current].Unicode) {
        return;
    }
    // The Unicode line and paragraph separators break the text; they are not stored in it.
    std::u16string stored(text);
    std::erase_if(stored, [](char16_t c) { return c == u'\u2028' || c == u'\u2029'; });
    const std::string unicode = RNU_KeyToUnicode(stored);
    const unsigned codePage = data.GetStyleCodePage(current);
    if (RNU_AnsiToUnicode(codePage, RNU_UnicodeToAnsi(codePage, unicode)) == unicode) {
        return;
    }
    TFontInfos& styles = sheet->TextStyles();
    // The sheet's own style for Unicode text first; without one, the current style's twin.
    if (const int own = sheet->DefUnicodeStyle;
        own >= 0 && own < styles.Count() && styles[own].Unicode) {
        data.SetCurTextStyleNo(own);
        return;
    }
    for (int i = 0; i < styles.Count(); ++i) {
        if (styles[i].Unicode &&
            styles[i].IsEqual(styles[current], {TRNFontInfoProperty::rnfiUnicode})) {
            data.SetCurTextStyleNo(i);
            return;
        }
    }
    const int added = sheet->AddTextStyle();
    styles[added].Assign(styles[current]);
    styles[added].Unicode = true;
    data.SetCurTextStyleNo(added);
}

void TRichNoteEdit::Typed(std::u16string_view text) {
    if (!BeforeChange(false)) {
        return;
    }
    BeforeUnicode(text);
    TRNEditRNData& data = EditData();
    OneNotice([&] {
        // Typing over a selection first removes it, as an undo step of its own. Selected
        // table cells are no text to type over: only Delete, BackSpace and Cut empty them.
        if (data.SelectionExists(false, false) && !data.DeleteSelection_()) {
            return false;
        }
        if (text.size() == 1 || (text.size() == 2 && text[0] >= 0xD800 && text[0] < 0xDC00)) {
            data.KeyPress(text);
        } else if (Grouped(TRNUndoType::rnutTyping, [&] { return data.InsertTextW_(text); })) {
            DoChange(true);
        }
        return true;
    });
}

// Focus.

void TRichNoteEdit::DoEnter() {
    TRichNote::DoEnter();
    TRNEditRNData& data = EditData();
    if (!data.NotFormatted()) {
        data.PrepareForEdit();
        data.ChangeCaret(true, false, true, false);
    }
}

void TRichNoteEdit::AfterVScroll() {
    TRichNote::AfterVScroll();
    EditData().CaretAfterScroll();
}

void TRichNoteEdit::AfterHScroll() {
    TRichNote::AfterHScroll();
    EditData().CaretAfterScroll();
}

void TRichNoteEdit::DoExit() {
    TRichNote::DoExit();
    if (IsDestroying()) {
        return;
    }
    EditData().ClearJumpsCoords();
    // A link under the mouse that reacted while Ctrl was held shows as text again at once.
    GenerateMouseMove();
    Caret().Destroy();
}
