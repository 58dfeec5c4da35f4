// The caret: its stops on the current screen line, showing it, keeping the current styles in
// step with it, and moving it for the navigation keys.

#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/RNERNData.h"

#include <algorithm>
#include <cstdlib>

void TRNEditRNData::OnChangeCaretLine(int dOffs) {
    CharEnds.clear();
    if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems.Count()) {
        return;
    }
    bool toLast = false;
    if (State.Contains(TRNStateItem::rnstClickedBeyondLine)) {
        State.Exclude(TRNStateItem::rnstClickedBeyondLine);
        if (CaretDrawItemNo > 0) {
            --CaretDrawItemNo;
        }
        toLast = true;
    }
    int found = -1;
    int first = 0;
    int last = 0;
    GetScreenLineBounds(CaretDrawItemNo, first, last);
    TCanvas* canvas = GetCanvas();
    const TRNStyle* style = GetRNStyle();
    auto add = [this](int x, int d, int offset, int shift) {
        CharEnds.push_back(TRNCharPos{x, d, offset, shift});
        return static_cast<int>(CharEnds.size()) - 1;
    };
    for (int d = first; d <= last; ++d) {
        const TRNDrawLineInfo& di = *DrawItems[d];
        const TCustomRNItemInfo& item = GetItem(di.ItemNo);
        const bool isText = item.IsText();
        const bool mine = d == CaretDrawItemNo;
        // A non-text piece has the offsets 0 (before) and 1 (after): -2 and -1 here.
        const bool atStart = isText ? dOffs < 0 : dOffs < -1;
        const std::string text = isText ? DrawItems.GetString(d, *this) : std::string();
        if (d == first && !(isText && text.empty())) {
            const int i = add(di.Left, d, isText ? 1 : 0, 1);
            if (mine && atStart) {
                found = i;
            }
        }
        int inner = 0;
        if (isText && !text.empty() && canvas && style) {
            const TFontInfo& font = style->TextStyles()[item.StyleNo];
            font.Apply(*canvas);
            int fit = 0;
            std::vector<int> dx;
            RNU_GetTextExtentExPoint(*canvas, RN_ReturnCapitalized(text, font), di.Width + 1, fit,
                                     &dx, item.ItemOptions);
            inner = std::max(0, fit - 1);
            for (int j = 0; j < inner; ++j) {
                const int i = add(di.Left + dx[static_cast<size_t>(j)], d, j + 2, 1);
                if (mine && dOffs == j) {
                    found = i;
                }
            }
        }
        const int i = add(di.Left + di.Width, d, GetOffsAfterDrawItem(d), isText ? 1 : 2);
        const bool nextIsMine = d + 1 == CaretDrawItemNo && d + 1 <= last;
        if (nextIsMine) {
            const TCustomRNItemInfo& next = GetItem(DrawItems[d + 1]->ItemNo);
            if (next.IsText() ? dOffs < 0 : dOffs < -1) {
                found = i;
            }
        }
        if (mine && !atStart && dOffs >= inner) {
            found = i;
        }
    }
    if (toLast || CharEnds.empty()) {
        found = static_cast<int>(CharEnds.size()) - 1;
    } else if (found < 0) {
        // No stop with that offset: the nearest stop of the caret's piece.
        int best = -1;
        for (size_t i = 0; i < CharEnds.size(); ++i) {
            if (CharEnds[i].DrawItemNo == CaretDrawItemNo &&
                (best < 0 ||
                 std::abs(CharEnds[i].Offset - (dOffs + 2)) <
                     std::abs(CharEnds[static_cast<size_t>(best)].Offset - (dOffs + 2)))) {
                best = static_cast<int>(i);
            }
        }
        found = best >= 0 ? best : static_cast<int>(CharEnds.size()) - 1;
    }
    CaretOffs = found;
}

void TRNEditRNData::GetCaretItem(int& itemNo, int& offs) const {
    if (!HasCaret()) {
        itemNo = -1;
        offs = 0;
        return;
    }
    DrawItem2Item(CaretStop().DrawItemNo, CaretStop().Offset, itemNo, offs);
}

void TRNEditRNData::ChangeCaret(bool /*forceCreate*/, bool scrollToCaret, bool dontChangeStyle,
                                bool refreshBefore) {
    if (State.Contains(TRNStateItem::rnstSkipFormatting)) {
        return;
    }
    if (refreshBefore) {
        Refresh();
    }
    if (PartialSelectedItem || GetInplaceEditor() ||
        State.Contains(TRNStateItem::rnstCompletelySelected)) {
        EditHost.HideCaret();
        return;
    }
    int height = 0;
    int x = 0;
    int y = 0;
    if (HasCaret()) {
        CaretDrawItemNo = CaretStop().DrawItemNo;
        const TRNDrawLineInfo& di = *DrawItems[CaretDrawItemNo];
        height = std::min(di.Height + 2, RichNoteEditMaxCaretHeight);
        x = CaretStop().X - 1 + CaretStop().MoveCaret;
        y = di.Top - 1;
        EditHost.SetCaret(x - GetHOffs() - RichNoteEditCaretWidth / 2,
                          y - GetVOffs() + di.Height + 1 + RichNoteEditCaretHeightExtra - height,
                          RichNoteEditCaretWidth, height + 2 * RichNoteEditCaretHeightExtra);
    } else {
        EditHost.HideCaret();
    }
    CaretHeight = height;
    if (height == 0) {
        return;
    }
    TCustomRNItemInfo& item = GetItem(DrawItems[CaretDrawItemNo]->ItemNo);
    if (!dontChangeStyle) {
        SetCurParaStyleNo(item.ParaNo);
    }
    if (item.GetBoolValue(TRNItemBoolProperty::rnbpDisplayActiveState)) {
        CurrentItem = &item;
        Invalidate();
    } else if (CurrentItem) {
        CurrentItem = nullptr;
        Invalidate();
    }
    if (item.IsText() && !dontChangeStyle) {
        const TRNStyle* style = GetRNStyle();
        if (style && style->TextStyles()[item.StyleNo].Protection.Contains(
                         TRNProtectOption::rnprDoNotAutoSwitch)) {
            SetCurTextStyleNo(FallbackTextStyleNo);
        } else {
            FallbackTextStyleNo = item.StyleNo;
            SetCurTextStyleNo(item.StyleNo);
        }
    }
    if (item.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpHotColdJump, GetRNStyle())) {
        LastJumpMovedAbove = item.JumpNo;
        HotDrawItemNo = CaretDrawItemNo;
        State.Include(TRNStateItem::rnstDrawHover);
        Invalidate();
    } else if (State.Contains(TRNStateItem::rnstDrawHover)) {
        State.Exclude(TRNStateItem::rnstDrawHover);
        LastJumpMovedAbove = -1;
        HotDrawItemNo = -1;
        Invalidate();
    }
    if (scrollToCaret) {
        ShowRectangle(x, y, 5, height);
    }
}

void TRNEditRNData::CaretAfterScroll() {
    if (!HasCaret() || CaretStop().DrawItemNo >= DrawItems.Count()) {
        return;
    }
    ChangeCaret(false, false, true, false);
}

// A style the sheet does not have never becomes current: the next line or letter would take
// it, and a note holding it cannot be read back.
void TRNEditRNData::SetCurTextStyleNo(int value) {
    const TRNStyle* sheet = GetRNStyle();
    if (value != CurTextStyleNo && (!sheet || sheet->TextStyles().Has(value))) {
        CurTextStyleNo = value;
        EditHost.CurTextStyleChanged();
    }
}

void TRNEditRNData::SetCurParaStyleNo(int value) {
    const TRNStyle* sheet = GetRNStyle();
    if (value != CurParaStyleNo && (!sheet || sheet->ParaStyles().Has(value))) {
        CurParaStyleNo = value;
        EditHost.CurParaStyleChanged();
    }
}

void TRNEditRNData::PrepareForEdit() {
    if (ItemCount() != 0 || !GetRNStyle()) {
        return;
    }
    AddNL("", CurTextStyleNo, CurParaStyleNo);
    if (StyleIsUnicode(CurTextStyleNo)) {
        GetItem(0).ItemOptions.Include(TRNItemOption::rnioUnicode);
    }
    Format();
}

int TRNEditRNData::GetCurItemNo() {
    PrepareForEdit();
    if (PartialSelectedItem) {
        return GetItemNo(PartialSelectedItem);
    }
    if (!HasCaret()) {
        return -1;
    }
    return DrawItems[CaretStop().DrawItemNo]->ItemNo;
}

int TRNEditRNData::GetOffsetInCurItem() {
    PrepareForEdit();
    if (PartialSelectedItem) {
        return 1;
    }
    int itemNo = -1;
    int offs = -1;
    if (!HasCaret()) {
        return -1;
    }
    GetCaretItem(itemNo, offs);
    return offs;
}

void TRNEditRNData::Format_(bool onlyResized, bool forceFormat, bool noScroll, int depth,
                            TCanvas& canvas, bool onlyTail) {
    PrepareForEdit();
    if (SkipNextFormat) {
        SkipNextFormat = false;
        return;
    }
    const bool manage =
        depth == 0 && GetRNStyle() && !State.Contains(TRNStateItem::rnstSkipFormatting);
    const bool keep = manage && (onlyResized || onlyTail);
    int itemNo = -1;
    int offs = 0;
    if (keep) {
        GetCaretItem(itemNo, offs);
    }
    TRichNoteRNData::Format_(onlyResized, forceFormat, noScroll, depth, canvas, onlyTail);
    if (!manage) {
        return;
    }
    if (keep && itemNo >= 0 && itemNo < ItemCount()) {
        SetCaretAtItem(itemNo, offs);
    } else {
        CaretDrawItemNo = DrawItems.Count() > 0 ? 0 : -1;
        OnChangeCaretLine(-2);
    }
    ChangeCaret(false, false, false, false);
}

void TRNEditRNData::SetCaretAtItem(int itemNo, int offs) {
    int dOffs = 0;
    Item2DrawItem(itemNo, offs, CaretDrawItemNo, dOffs);
    OnChangeCaretLine(dOffs - 2);
}

// Movement.

void TRNEditRNData::MoveCaretToLine(int drawItemNo, bool lastStop) {
    CaretDrawItemNo = drawItemNo;
    OnChangeCaretLine(-2);
    if (!CharEnds.empty()) {
        CaretOffs = lastStop ? static_cast<int>(CharEnds.size()) - 1 : 0;
    }
}

void TRNEditRNData::ShowCaretAtStop(bool scroll) {
    ChangeCaret(false, scroll, false, false);
}

void TRNEditRNData::OnHomePress(bool ctrl) {
    if (!HasCaret()) {
        return;
    }
    if (ctrl) {
        MoveCaretToLine(0, false);
    } else {
        CaretOffs = 0;
    }
    ShowCaretAtStop(true);
}

void TRNEditRNData::OnEndPress(bool ctrl) {
    if (!HasCaret()) {
        return;
    }
    if (ctrl) {
        MoveCaretToLine(DrawItems.Count() - 1, true);
    } else {
        CaretOffs = static_cast<int>(CharEnds.size()) - 1;
    }
    ShowCaretAtStop(true);
}

bool TRNEditRNData::OnLeftPress(bool shift, bool ctrl) {
    if (!HasCaret()) {
        return true;
    }
    int itemNo = 0;
    int p = 0;
    GetCaretItem(itemNo, p);
    const TCustomRNItemInfo& item = GetItem(itemNo);
    if (ctrl && item.IsText() && p > 1) {
        const std::string& text = GetItemText(itemNo);
        int n = 0;
        for (int pos = p - 1; pos >= 1; --pos) {
            ++n;
            if (pos > 1 && RNU_IsSpace(text, pos - 1, item.ItemOptions) &&
                !RNU_IsSpace(text, pos, item.ItemOptions)) {
                break;
            }
        }
        if (n > CaretOffs) {
            SetCaretAtItem(itemNo, p - n);
        } else {
            CaretOffs -= n;
        }
    } else if (CaretOffs > 0) {
        if (!shift && !ctrl && GetItem(itemNo).EnterItem(0)) {
            return false;
        }
        --CaretOffs;
    } else {
        int first = 0;
        int last = 0;
        GetScreenLineBounds(CaretStop().DrawItemNo, first, last);
        if (first == 0) {
            return true;
        }
        MoveCaretToLine(first - 1, true);
    }
    ShowCaretAtStop(true);
    return false;
}

bool TRNEditRNData::OnRightPress(bool shift, bool ctrl) {
    if (!HasCaret()) {
        return true;
    }
    const int lastStop = static_cast<int>(CharEnds.size()) - 1;
    if (CaretOffs < lastStop) {
        if (!shift && !ctrl) {
            const int next =
                DrawItems[CharEnds[static_cast<size_t>(CaretOffs + 1)].DrawItemNo]->ItemNo;
            if (GetItem(next).EnterItem(1)) {
                return false;
            }
        }
        ++CaretOffs;
    } else {
        int first = 0;
        int last = 0;
        GetScreenLineBounds(CaretStop().DrawItemNo, first, last);
        if (last == DrawItems.Count() - 1) {
            return true;
        }
        MoveCaretToLine(last + 1, false);
    }
    if (ctrl) {
        int itemNo = 0;
        int p = 0;
        GetCaretItem(itemNo, p);
        const TCustomRNItemInfo& item = GetItem(itemNo);
        if (item.IsText()) {
            const std::string& text = GetItemText(itemNo);
            const int length = RNU_Length(text, item.ItemOptions);
            int q = p;
            while (q <= length && !(q > 1 && RNU_IsSpace(text, q - 1, item.ItemOptions) &&
                                    !RNU_IsSpace(text, q, item.ItemOptions))) {
                ++q;
            }
            if (q != p) {
                SetCaretAtItem(itemNo, q);
            }
        }
    }
    ShowCaretAtStop(true);
    return false;
}

bool TRNEditRNData::CaretToPoint(int x, int y, bool scroll) {
    int d = 0;
    int offs = 0;
    FindDrawItemForSel(x, y, d, offs);
    if (d < 0) {
        return false;
    }
    CaretDrawItemNo = d;
    OnChangeCaretLine(offs - 2);
    ShowCaretAtStop(scroll);
    return true;
}

bool TRNEditRNData::MoveCaretLine(bool down) {
    if (!HasCaret()) {
        return true;
    }
    int first = 0;
    int last = 0;
    GetScreenLineBounds(CaretStop().DrawItemNo, first, last);
    if (down ? last == DrawItems.Count() - 1 : first == 0) {
        ScrollTo(down ? DocumentHeight : 0, true);
        return true;
    }
    const int target = down ? last + 1 : first - 1;
    return !CaretToPoint(CaretStop().X, DrawItems[target]->Top + 1, true);
}

bool TRNEditRNData::OnUpPress() {
    return MoveCaretLine(false);
}

bool TRNEditRNData::OnDownPress() {
    return MoveCaretLine(true);
}

void TRNEditRNData::OnPgUpPress() {
    if (!HasCaret()) {
        return;
    }
    // At least a pixel a step, so a control with no height cannot loop for ever.
    const int step = std::max(1, GetHeight() / 2);
    const int x = CaretStop().X;
    const int caretTop = DrawItems[CaretStop().DrawItemNo]->Top;
    for (int y = GetVOffs() - step; y > 0; y -= step) {
        int d = 0;
        int offs = 0;
        FindDrawItemForSel(x, y, d, offs);
        if (d >= 0 && DrawItems[d]->Top < caretTop && CaretToPoint(x, y, true)) {
            return;
        }
    }
    OnHomePress(true);
}

void TRNEditRNData::OnPgDownPress() {
    if (!HasCaret()) {
        return;
    }
    const int step = std::max(1, GetHeight() / 2);
    const int x = CaretStop().X;
    const int caretTop = DrawItems[CaretStop().DrawItemNo]->Top;
    for (int y = GetVOffs() + step; y < DocumentHeight; y += step) {
        int d = 0;
        int offs = 0;
        FindDrawItemForSel(x, y, d, offs);
        if (d >= 0 && DrawItems[d]->Top > caretTop && CaretToPoint(x, y, false)) {
            ScrollTo(DrawItems[CaretDrawItemNo]->Top, true);
            return;
        }
    }
    OnEndPress(true);
}

// Selection around the caret.

void TRNEditRNData::StartShiftMoving() {
    if (!HasCaret() || SelectionExists(false, false)) {
        return;
    }
    SelStartNo = SelEndNo = CaretStop().DrawItemNo;
    SelStartOffs = SelEndOffs = CaretStop().Offset;
}

void TRNEditRNData::EndShiftMoving() {
    if (!HasCaret()) {
        return;
    }
    SelEndNo = CaretStop().DrawItemNo;
    SelEndOffs = CaretStop().Offset;
    DoSelect();
}

void TRNEditRNData::DoOnSelection(bool /*moveCaret*/) {
    if (SelEndNo < 0 || SelEndNo >= DrawItems.Count()) {
        return;
    }
    CaretDrawItemNo = SelEndNo;
    OnChangeCaretLine(SelEndOffs - 2);
    ChangeCaret(false, true, false, false);
}

void TRNEditRNData::GetSelStart(int& drawItemNo, int& drawItemOffs) {
    TRichNoteRNData::GetSelStart(drawItemNo, drawItemOffs);
    if (drawItemNo == -1 && HasCaret()) {
        drawItemNo = CaretStop().DrawItemNo;
        drawItemOffs = CaretStop().Offset;
    }
}

void TRNEditRNData::GetSelectionBoundsEx(int& startItemNo, int& startItemOffs, int& endItemNo,
                                         int& endItemOffs, bool normalize) {
    if (SelectionExists(false, false)) {
        GetSelectionBounds(startItemNo, startItemOffs, endItemNo, endItemOffs, normalize);
        return;
    }
    GetCaretItem(startItemNo, startItemOffs);
    endItemNo = startItemNo;
    endItemOffs = startItemOffs;
}

void TRNEditRNData::SelectCurrentWord() {
    PrepareForEdit();
    int itemNo = -1;
    int p = 0;
    GetCaretItem(itemNo, p);
    if (itemNo < 0 || !GetItem(itemNo).IsText()) {
        return;
    }
    const std::string& text = GetItemText(itemNo);
    const TRNItemOptions options = GetItem(itemNo).ItemOptions;
    const int length = RNU_Length(text, options);
    int end = p;
    while (end <= length && !IsDelimiter(text, end, options)) {
        ++end;
    }
    int start = 1;
    for (int i = p - 1; i >= 2; --i) {
        if (IsDelimiter(text, i, options)) {
            start = i + 1;
            break;
        }
    }
    SetSelectionBounds(itemNo, start, itemNo, end);
    Invalidate();
}

void TRNEditRNData::SrchStart(bool /*down*/, int& itemNo, int& offs) {
    GetCaretItem(itemNo, offs);
    itemNo = std::max(itemNo, 0);
}

TPoint TRNEditRNData::GetIMEWinCoord() const {
    if (!HasCaret()) {
        return TPoint{0, 0};
    }
    return TPoint{CaretStop().X - 1 + CaretStop().MoveCaret - GetHOffs(),
                  DrawItems[CaretStop().DrawItemNo]->Top - 1 - GetVOffs()};
}
