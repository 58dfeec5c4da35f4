// Enter: a new paragraph at the caret, or with Shift a new line in the same paragraph.

#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/RNERNData.h"

#include <algorithm>

void TRNEditRNData::CaretToFirstStopOf(int itemNo) {
    int d = -1;
    Item2FirstDrawItem(itemNo, d);
    if (d < 0) {
        SetCaretAtItem(itemNo, GetOffsBeforeItem(itemNo));
        return;
    }
    CaretDrawItemNo = d;
    OnChangeCaretLine(-2);
    if (!CharEnds.empty()) {
        CaretOffs = 0;
        for (size_t k = 0; k < CharEnds.size(); ++k) {
            if (CharEnds[k].DrawItemNo >= d) {
                CaretOffs = static_cast<int>(k);
                break;
            }
        }
    }
}

bool TRNEditRNData::Refuse() {
    Beep();
    undoList_.PopIfEmpty();
    return false;
}

bool TRNEditRNData::OnEnterPress_(bool shift) {
    PrepareForEdit();
    if (!HasCaret()) {
        return false;
    }
    BeginUndoSequence(TRNUndoType::rnutMiscTyping);
    CaretDrawItemNo = CaretStop().DrawItemNo;
    const int i = DrawItems[CaretDrawItemNo]->ItemNo;
    TCustomRNItemInfo& item = GetItem(i);
    const bool isText = item.IsText();
    int caretItem = 0;
    int p = 0;
    GetCaretItem(caretItem, p);
    const int length = isText ? RNU_Length(GetItemText(i), item.ItemOptions) : 1;
    const bool firstStop = CaretOffs == 0;
    const bool lastStop = CaretOffs == static_cast<int>(CharEnds.size()) - 1;
    const bool continued = i + 1 < ItemCount() && !GetItem(i + 1).CanBeBorderStart();
    const bool before = isText ? p <= 1 : p == 0;
    const bool after = isText ? p > length : p == 1;
    const int firstDrawItem = CharEnds.front().DrawItemNo;
    const int lastDrawItem = CharEnds.back().DrawItemNo;
    int paraFirst = 0;
    int paraLast = 0;
    GetParaBounds(firstDrawItem, lastDrawItem, paraFirst, paraLast);
    bool full = false;
    const TRNStyle* style = GetRNStyle();

    const bool atLineStart = firstStop && !item.GetSameAsPrev() && before;
    const bool atParaEnd = lastStop && !continued && after;
    if (atLineStart || atParaEnd) {
        if (IsProtected(i, TRNProtectOption::rnprParaStartProtect)) {
            return Refuse();
        }
        const bool atEnd = atParaEnd;
        // A next style the sheet does not have is not taken (SetCur...StyleNo).
        if (atEnd && style) {
            if (item.StyleNo == CurTextStyleNo && CurTextStyleNo >= 0) {
                const int next = style->TextStyles()[CurTextStyleNo].NextStyleNo;
                if (next != -1) {
                    SetCurTextStyleNo(next);
                }
            }
            const int nextPara = style->ParaStyles()[item.ParaNo].NextParaNo;
            if (nextPara != -1) {
                SetCurParaStyleNo(nextPara);
            }
        }
        int styleNo = CurTextStyleNo;
        if (style &&
            style->TextStyles()[styleNo].Protection.Contains(TRNProtectOption::rnprModifyProtect)) {
            styleNo = 0;
        }
        auto newItem = CreateTextItem(item.Tag, CurParaStyleNo, styleNo, false, false);
        if (shift) {
            newItem->ParaNo = item.ParaNo;
            if (!firstStop || CharEnds.size() == 1) {
                newItem->SetBR(true);
            } else {
                newItem->SetBR(item.GetBR());
                Do_BR(i, true);
            }
        }
        Do_InsertItem(atEnd ? i + 1 : i, {}, std::move(newItem), false, full);
        FormatParas(firstDrawItem, lastDrawItem, 1);
        SetCaretAtItem(i + 1, GetOffsBeforeItem(i + 1));
    } else if (before) {
        if (IsProtected(i, TRNProtectOption::rnprParaStartProtect)) {
            return Refuse();
        }
        Do_NewLine(i, false, full, -1);
        if (shift) {
            Do_BR(i, true);
        }
        FormatParas(paraFirst, paraLast, 0);
        CaretToFirstStopOf(i);
    } else if (!after) {
        if (IsProtected(i, TRNProtectOption::rnprParaStartProtect) ||
            IsProtected(i, TRNProtectOption::rnprModifyProtect)) {
            return Refuse();
        }
        std::string tail = RNU_Copy(GetItemText(i), p, length, item.ItemOptions);
        Do_DeleteSubstring(i, p, -1);
        auto copy = CreateTextCopy(item);
        copy->SetSameAsPrev(false);
        if (shift) {
            copy->SetBR(true);
        }
        Do_InsertItem(i + 1, std::move(tail), std::move(copy), false, full);
        FormatParas(paraFirst, paraLast, 1);
        CaretToFirstStopOf(i + 1);
    } else {
        if (i + 1 >= ItemCount() || IsProtected(i + 1, TRNProtectOption::rnprParaStartProtect)) {
            return Refuse();
        }
        Do_NewLine(i + 1, false, full, -1);
        if (shift) {
            Do_BR(i + 1, true);
        }
        FormatParas(paraFirst, std::max(paraLast, CaretDrawItemNo + 1), 0);
        SetCaretAtItem(i + 1, GetOffsBeforeItem(i + 1));
    }
    ChangeCaret(false, true, false, false);
    return true;
}

void TRNEditRNData::InsertPageBreak() {
    PrepareForEdit();
    if (!HasCaret()) {
        return;
    }
    Deselect(nullptr);
    BeginUndoSequence(TRNUndoType::rnutInsertPageBreak);
    SetUndoGroupMode(true);
    int itemNo = 0;
    int offs = 0;
    GetCaretItem(itemNo, offs);
    if (!(offs == GetOffsBeforeItem(itemNo) && GetItem(itemNo).CanBeBorderStart())) {
        OnEnterPress_(false);
        GetCaretItem(itemNo, offs);
    }
    const bool hadBR = GetItem(itemNo).GetBR();
    Do_BR(itemNo, false);
    Do_PageBreak(itemNo, true);
    SetUndoGroupMode(false);
    undoList_.PopIfEmpty();
    if (hadBR) {
        Reformat(false, false, false, itemNo, true);
    }
    Refresh();
    Change();
}
