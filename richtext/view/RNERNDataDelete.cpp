// Deleting the selection, the character or item after the caret (Delete) and the
// character, word or item before it (Backspace), joining paragraphs at their borders.

#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/RNERNData.h"

#include <algorithm>

void TRNEditRNData::Reformat_(bool fullFormat, bool forceFormat, bool onlyResized,
                              int firstDrawItem, int lastDrawItem, int itemsAdded) {
    TCanvas* canvas = GetCanvas();
    if (fullFormat && canvas && CalculateMinDocWidthPlus() != DocMinWidth) {
        FormatKeepingTextStyle(
            [&] { Format_(onlyResized, forceFormat, false, 0, *canvas, false); });
    } else {
        FormatParasExact(firstDrawItem, lastDrawItem, itemsAdded);
    }
}

namespace {

// Whether deleting (a, b) of a text item of `length` characters keeps to its protection.
bool RangeDeletable(bool deleteProtect, bool modifyProtect, int a, int b, int length) {
    if (a == b || b <= 1 || a > length) {
        return true;
    }
    const bool whole = a <= 1 && b > length;
    return !((deleteProtect && whole) || (modifyProtect && !whole));
}

} // namespace

bool TRNEditRNData::TextRangeDeletable(int itemNo, int a, int b) const {
    if (!GetItem(itemNo).IsText()) {
        return true;
    }
    return RangeDeletable(IsProtected(itemNo, TRNProtectOption::rnprDeleteProtect),
                          IsProtected(itemNo, TRNProtectOption::rnprModifyProtect), a, b,
                          ItemLength(itemNo));
}

bool TRNEditRNData::CanDelete() {
    if (!SelectionExists(false, false)) {
        return PartialSelectedItem ? PartialSelectedItem->CanDeletePartiallySelected() : true;
    }
    int start = 0;
    int startOffs = 0;
    int end = 0;
    int endOffs = 0;
    StoreSelBounds(start, end, startOffs, endOffs, true);
    for (int i = start + 1; i < end; ++i) {
        if (IsProtected(i, TRNProtectOption::rnprDeleteProtect)) {
            return false;
        }
    }
    if (start == end) {
        return TextRangeDeletable(start, startOffs, endOffs);
    }
    return TextRangeDeletable(start, startOffs, GetOffsAfterItem(start)) &&
           TextRangeDeletable(end, GetOffsBeforeItem(end), endOffs);
}

void TRNEditRNData::ApplyCurParaToCaret(int paraNo) {
    int itemNo = 0;
    int offs = 0;
    GetCaretItem(itemNo, offs);
    if (itemNo < 0) {
        return;
    }
    int first = itemNo;
    while (first > 0 && !GetItem(first).CanBeBorderStart()) {
        --first;
    }
    const int last = GetParaEndItemNo(first);
    bool differs = false;
    for (int i = first; i <= last; ++i) {
        differs = differs || GetItem(i).ParaNo != paraNo;
    }
    if (!differs) {
        return;
    }
    int firstDrawItem = 0;
    int lastDrawItem = 0;
    UndoParaRange(first, last, firstDrawItem, lastDrawItem);
    bool full = false;
    Do_Para(first, last, full, paraNo);
    Reformat_(full, true, true, firstDrawItem, lastDrawItem, 0);
    SetCaretAtItem(itemNo, offs);
}

TRNEditRNData::TRNSelRange TRNEditRNData::SelectionRange() const {
    TRNSelRange r;
    int startNo = 0;
    int endNo = 0;
    int startOffs = 0;
    int endOffs = 0;
    GetSelBounds(startNo, endNo, startOffs, endOffs, true);
    GetParaBounds(startNo, endNo, r.FirstDrawItem, r.LastDrawItem);
    StoreSelBounds(r.Start, r.End, r.StartOffs, r.EndOffs, true);
    return r;
}

bool TRNEditRNData::DeleteSelection_() {
    if (!SelectionExists(false, false)) {
        if (PartialSelectedItem) {
            if (!PartialSelectedItem->CanDeletePartiallySelected()) {
                Beep();
                return false;
            }
            PartialSelectedItem->DeletePartiallySelected();
        }
        return true;
    }
    if (!CanDelete()) {
        Beep();
        return false;
    }
    BeginUndoSequence(TRNUndoType::rnutDelete);
    const TRNSelRange sel = SelectionRange();
    const int firstDrawItem = sel.FirstDrawItem;
    const int lastDrawItem = sel.LastDrawItem;
    int start = sel.Start;
    int startOffs = sel.StartOffs;
    int end = sel.End;
    int endOffs = sel.EndOffs;
    if (start > 0 && GetItem(start).GetSameAsPrev() && startOffs <= GetOffsBeforeItem(start)) {
        --start;
        startOffs = GetOffsAfterItem(start);
    }
    const int countBefore = ItemCount();
    const int removedWidth = CalculateMinItemsWidthPlus(start, end);
    bool full = false;
    bool f = false;
    bool insertedEmpty = false;
    bool nextContinuesAsNonText = false;
    if (start != end) {
        if (endOffs < GetOffsAfterItem(end)) {
            if (GetItem(end).IsText()) {
                Do_DeleteSubstring(end, 1, endOffs - 1);
            }
        } else {
            nextContinuesAsNonText = end + 1 < ItemCount() && !GetItem(end + 1).IsText() &&
                                     GetItem(end + 1).GetSameAsPrev();
            Do_DeleteItem(end, f);
            full = full || f;
        }
        Do_DeleteItems(start + 1, end - 1, f);
        full = full || f;
        const int next = start + 1;
        if (startOffs > GetOffsBeforeItem(start)) {
            if (GetItem(start).IsText()) {
                Do_DeleteSubstring(start, startOffs, -1);
            }
            if (next < ItemCount() && !IsProtected(next, TRNProtectOption::rnprParaStartProtect)) {
                Do_NewLine(next, true, f, -1);
                full = full || f;
            }
        } else {
            const TCustomRNItemInfo& first = GetItem(start);
            const bool firstStartedPara = first.CanBeBorderStart();
            const bool br = first.GetBR();
            const bool followerStartsPara = next < ItemCount() && GetItem(next).CanBeBorderStart();
            const bool noFollower = next >= ItemCount();
            if (next < ItemCount()) {
                Do_NewLine(next, false, f, -1);
                full = full || f;
            }
            Do_DeleteItem(start, f);
            full = full || f;
            if ((firstStartedPara && followerStartsPara) || noFollower) {
                InsEmptyString(start, {}, CurParaStyleNo, CurTextStyleNo, br);
                insertedEmpty = true;
            }
            startOffs = GetOffsBeforeItem(std::min(start, ItemCount() - 1));
        }
    } else {
        const TCustomRNItemInfo& item = GetItem(start);
        if (item.IsText() && (startOffs > 1 || endOffs <= ItemLength(start))) {
            Do_DeleteSubstring(start, startOffs, endOffs - startOffs);
        } else {
            const bool startedPara = item.CanBeBorderStart();
            const bool br = item.GetBR();
            const bool followerContinues =
                start + 1 < ItemCount() && !GetItem(start + 1).CanBeBorderStart();
            if (startedPara && followerContinues) {
                Do_NewLine(start + 1, false, f, -1);
                full = full || f;
            }
            Do_DeleteItem(start, f);
            full = full || f;
            if (startedPara && !followerContinues) {
                InsEmptyString(start, {}, CurParaStyleNo, CurTextStyleNo, br);
                insertedEmpty = true;
            }
            if (start < ItemCount()) {
                startOffs = GetOffsBeforeItem(start);
            } else if (start > 0) {
                --start;
                startOffs = GetOffsAfterItem(start);
            }
        }
    }
    if (start > 0 && start < ItemCount() &&
        RN_CanConcateItems(start - 1, &GetItem(start - 1), &GetItem(start), false)) {
        const int joint = ItemLength(start - 1);
        Do_Concate(start - 1);
        --start;
        startOffs += joint;
    } else if (start + 1 < ItemCount() &&
               RN_CanConcateItems(start, &GetItem(start), &GetItem(start + 1), false)) {
        Do_Concate(start);
    }
    Deselect(nullptr);
    Reformat_(full || removedWidth == DocMinWidth, true, false, firstDrawItem, lastDrawItem,
              ItemCount() - countBefore);
    if (ItemCount() > 0) {
        start = std::clamp(start, 0, ItemCount() - 1);
        if (insertedEmpty) {
            startOffs = std::max(startOffs, 1);
        }
        if (nextContinuesAsNonText && !GetItem(start).IsText()) {
            startOffs = 0;
        }
        startOffs = std::clamp(startOffs, GetOffsBeforeItem(start), GetOffsAfterItem(start));
        SetCaretAtItem(start, startOffs);
    }
    ChangeCaret(false, true, true, false);
    undoList_.PopIfEmpty();
    Change();
    return true;
}

bool TRNEditRNData::OnDeletePress_(bool ctrl, bool fromPrevLine) {
    PrepareForEdit();
    // Showing the caret on the way makes its item's paragraph style current; the style
    // that was current at the key press is the one the joined paragraph takes.
    const int paraNo = CurParaStyleNo;
    if (!HasCaret()) {
        return false;
    }
    const int d = CaretStop().DrawItemNo;
    const int i = DrawItems[d]->ItemNo;
    const TCustomRNItemInfo& item = GetItem(i);
    const bool isText = item.IsText();
    int caretItem = 0;
    int p = 0;
    GetCaretItem(caretItem, p);
    const int length = isText ? ItemLength(i) : 1;
    const bool lastStop = CaretOffs == static_cast<int>(CharEnds.size()) - 1;
    const bool atEnd = lastStop && (!isText || p > length);
    int lineFirst = 0;
    int lineLast = 0;
    GetScreenLineBounds(d, lineFirst, lineLast);
    if (atEnd) {
        if (item.GetBoolValue(TRNItemBoolProperty::rnbpFullWidth) || i == ItemCount() - 1) {
            return false;
        }
        const bool emptyText = isText && length == 0;
        if (GetItem(i + 1).GetBoolValue(TRNItemBoolProperty::rnbpFullWidth) && !emptyText) {
            return false;
        }
        if (GetItem(i + 1).GetSameAsPrev() && lineLast + 1 < DrawItems.Count()) {
            MoveCaretToLine(lineLast + 1, false);
            const bool done = OnDeletePress_(ctrl, true);
            ChangeCaret(false, true, false, true);
            return done;
        }
        int firstDrawItem = 0;
        int lastDrawItem = 0;
        GetParaBounds(d, std::min(lineLast + 1, DrawItems.Count() - 1), firstDrawItem,
                      lastDrawItem);
        BeginUndoSequence(TRNUndoType::rnutDelete);
        bool full = false;
        const int n = i + 1;
        if (emptyText) {
            if (IsProtected(i, TRNProtectOption::rnprDeleteProtect)) {
                return Refuse();
            }
            if (!item.GetBR()) {
                Do_BR(n, false);
            }
            const int width = CalculateMinItemWidthPlus(i);
            Do_DeleteItem(i, full);
            Reformat_(full || width == DocMinWidth, true, false, firstDrawItem, lastDrawItem, -1);
            SetCaretAtItem(i, GetOffsBeforeItem(i));
        } else if (GetItem(n).IsText() && ItemLength(n) == 0) {
            if (IsProtected(n, TRNProtectOption::rnprDeleteProtect)) {
                return Refuse();
            }
            Do_DeleteItem(n, full);
            Reformat_(full, true, false, firstDrawItem, lastDrawItem, -1);
            SetCaretAtItem(i, p);
            ChangeCaret(false, false, false, false);
            ApplyCurParaToCaret(paraNo);
        } else if (RN_CanConcateItems(i, &item, &GetItem(n), true)) {
            Do_Concate(i);
            FormatParasExact(firstDrawItem, lastDrawItem, -1);
            SetCaretAtItem(i, length + 1);
            ApplyCurParaToCaret(paraNo);
        } else {
            if (IsProtected(n, TRNProtectOption::rnprParaStartProtect)) {
                return Refuse();
            }
            Do_NewLine(n, true, full, -1);
            Reformat_(full, true, false, firstDrawItem, lastDrawItem, 0);
            SetCaretAtItem(i, p);
            ApplyCurParaToCaret(paraNo);
        }
        ChangeCaret(false, true, false, true);
        return true;
    }
    if (lastStop) {
        if (lineLast + 1 >= DrawItems.Count()) {
            return false;
        }
        const TRNDrawLineInfo& here = *DrawItems[d];
        const TRNDrawLineInfo& next = *DrawItems[lineLast + 1];
        MoveCaretToLine(lineLast + 1, false);
        // The wrap swallowed the spaces between the two pieces: delete them from there.
        if (next.ItemNo == here.ItemNo && next.Offs > here.Offs + here.Length) {
            return OnBackSpacePress_(false);
        }
        return OnDeletePress_(ctrl, true);
    }
    const bool skipMove =
        fromPrevLine && d > 0 && DrawItems[d - 1]->ItemNo != i && isText && DrawItems[d]->Offs > 1;
    if (!skipMove) {
        ++CaretOffs;
    }
    return OnBackSpacePress_(false);
}

bool TRNEditRNData::OnBackSpacePress_(bool ctrl) {
    PrepareForEdit();
    // Showing the caret on the way makes its item's paragraph style current; the style
    // that was current at the key press is the one the joined paragraph takes.
    const int paraNo = CurParaStyleNo;
    if (!HasCaret()) {
        return false;
    }
    const int d = CaretStop().DrawItemNo;
    const int i = DrawItems[d]->ItemNo;
    const TCustomRNItemInfo& item = GetItem(i);
    const bool isText = item.IsText();
    int caretItem = 0;
    int p = 0;
    GetCaretItem(caretItem, p);
    int lineFirst = 0;
    int lineLast = 0;
    GetScreenLineBounds(d, lineFirst, lineLast);
    const bool atLineStart = CaretOffs == 0 && (isText ? p <= 1 : p == 0);
    int firstDrawItem = 0;
    int lastDrawItem = 0;
    GetParaBounds(std::max(lineFirst - 1, 0), lineLast, firstDrawItem, lastDrawItem);
    bool full = false;
    if (atLineStart) {
        if (item.GetBoolValue(TRNItemBoolProperty::rnbpFullWidth) || i == 0 ||
            GetItem(i - 1).GetBoolValue(TRNItemBoolProperty::rnbpFullWidth)) {
            return false;
        }
        if (item.GetSameAsPrev()) {
            MoveCaretToLine(lineFirst - 1, true);
            const bool done = OnBackSpacePress_(ctrl);
            ChangeCaret(false, true, false, true);
            return done;
        }
        BeginUndoSequence(TRNUndoType::rnutDelete);
        const int prev = i - 1;
        if (isText && ItemLength(i) == 0) {
            if (IsProtected(i, TRNProtectOption::rnprDeleteProtect)) {
                return Refuse();
            }
            const int width = CalculateMinItemWidthPlus(i);
            Do_DeleteItem(i, full);
            Reformat_(full || width == DocMinWidth, true, false, firstDrawItem, lastDrawItem, -1);
            SetCaretAtItem(prev, GetOffsAfterItem(prev));
            ChangeCaret(false, false, false, false);
            ApplyCurParaToCaret(paraNo);
        } else if (GetItem(prev).IsText() && ItemLength(prev) == 0) {
            if (IsProtected(prev, TRNProtectOption::rnprDeleteProtect)) {
                return Refuse();
            }
            if (!GetItem(prev).GetBR()) {
                Do_BR(i, false);
            }
            Do_DeleteItem(prev, full);
            Reformat_(full, true, false, firstDrawItem, lastDrawItem, -1);
            SetCaretAtItem(prev, GetOffsBeforeItem(prev));
        } else if (RN_CanConcateItems(prev, &GetItem(prev), &item, true)) {
            const int joint = ItemLength(prev) + 1;
            Do_Concate(prev);
            FormatParasExact(firstDrawItem, lastDrawItem, -1);
            SetCaretAtItem(prev, joint);
            ChangeCaret(false, false, false, false);
            ApplyCurParaToCaret(paraNo);
        } else {
            if (IsProtected(i, TRNProtectOption::rnprParaStartProtect)) {
                return Refuse();
            }
            Do_NewLine(i, true, full, -1);
            Reformat_(full, true, false, firstDrawItem, lastDrawItem, 0);
            SetCaretAtItem(i, p);
            ChangeCaret(false, false, false, false);
            ApplyCurParaToCaret(paraNo);
        }
        ChangeCaret(false, true, false, true);
        return true;
    }
    BeginUndoSequence(TRNUndoType::rnutDelete);
    const int length = isText ? ItemLength(i) : 0;
    int count = 1;
    if (ctrl && isText) {
        const std::string& text = GetItemText(i);
        count = 0;
        for (int pos = p - 1; pos >= 1; --pos) {
            ++count;
            if (pos > 1 && RNU_IsSpace(text, pos - 1, item.ItemOptions) &&
                !RNU_IsSpace(text, pos, item.ItemOptions)) {
                break;
            }
        }
        count = std::max(count, 1);
    }
    if (isText && count < length) {
        if (IsProtected(i, TRNProtectOption::rnprModifyProtect)) {
            return Refuse();
        }
        Do_DeleteSubstring(i, p - count, count);
        FormatParasExact(firstDrawItem, lastDrawItem, 0);
        SetCaretAtItem(i, p - count);
        ChangeCaret(false, true, false, true);
        return true;
    }
    if (IsProtected(i, TRNProtectOption::rnprDeleteProtect)) {
        return Refuse();
    }
    const bool lineStart = !item.GetSameAsPrev();
    const bool br = item.GetBR();
    const bool continues = i + 1 < ItemCount() && GetItem(i + 1).GetSameAsPrev();
    const int width = CalculateMinItemWidthPlus(i);
    int itemsAdded = -1;
    int caretItemNo = 0;
    int caretOffs = 0;
    if (lineStart && !continues) {
        auto empty =
            CreateTextItem(isText ? item.Tag : RNTag(), CurParaStyleNo, CurTextStyleNo, false, br);
        if (item.Checkpoint) {
            empty->Checkpoint = item.Checkpoint->CreateCopy(TagsArePChars());
        }
        Do_DeleteItem(i, full);
        bool f = false;
        Do_InsertItem(i, {}, std::move(empty), false, f);
        full = full || f;
        itemsAdded = 0;
        caretItemNo = i;
        caretOffs = 1;
    } else {
        Do_DeleteItem(i, full);
        if (i == 0) {
            caretItemNo = 0;
            caretOffs = GetOffsBeforeItem(0);
        } else {
            caretItemNo = i - 1;
            caretOffs = GetOffsAfterItem(i - 1);
        }
        if (continues) {
            if (!lineStart) {
                if (i > 0 && RN_CanConcateItems(i - 1, &GetItem(i - 1), &GetItem(i), false)) {
                    Do_Concate(i - 1);
                    itemsAdded = -2;
                }
            } else {
                bool f = false;
                Do_NewLine(i, false, f, -1);
                full = full || f;
                Do_BR(i, br);
                caretItemNo = i;
                caretOffs = GetOffsBeforeItem(i);
            }
        }
    }
    Reformat_(full || width == DocMinWidth, true, false, firstDrawItem, lastDrawItem, itemsAdded);
    SetCaretAtItem(caretItemNo, caretOffs);
    ChangeCaret(false, true, false, true);
    return true;
}
