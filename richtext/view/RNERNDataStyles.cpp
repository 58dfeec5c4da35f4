// Paragraph styles of the selected paragraphs and conversion of the text styles of the
// selected text.

#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/RNERNData.h"

#include <algorithm>

void TRNEditRNData::ApplyParaStyle(int paraNo) {
    if (const TRNStyle* sheet = GetRNStyle(); sheet && !sheet->ParaStyles().Has(paraNo)) {
        Beep(); // a number of another sheet: paragraphs of it could not be read back
        return;
    }
    if (PartialSelectedItem) {
        PartialSelectedItem->ApplyParaStyleToPartiallySelected(paraNo);
        return;
    }
    PrepareForEdit();
    const bool selection = SelectionExists(false, false);
    int first = 0;
    int last = 0;
    int startOffs = 0;
    int endOffs = 0;
    int caretItem = -1;
    int caretOffs = 0;
    GetCaretItem(caretItem, caretOffs);
    if (selection) {
        StoreSelBounds(first, last, startOffs, endOffs, true);
    } else if (caretItem >= 0) {
        first = last = caretItem;
    } else {
        return;
    }
    while (first > 0 && !GetItem(first).CanBeBorderStart()) {
        --first;
    }
    last = GetParaEndItemNo(last);
    int selStart = 0;
    int selEnd = 0;
    int selStartOffs = 0;
    int selEndOffs = 0;
    StoreSelBounds(selStart, selEnd, selStartOffs, selEndOffs, false);
    int firstDrawItem = 0;
    int lastDrawItem = 0;
    UndoParaRange(first, last, firstDrawItem, lastDrawItem);
    bool full = false;
    Do_Para(first, last, full, paraNo);
    if (full) {
        Format();
    } else {
        FormatParas(firstDrawItem, lastDrawItem, 0);
    }
    if (selection) {
        RestoreSelBounds(selStart, selEnd, selStartOffs, selEndOffs);
    }
    if (caretItem >= 0) {
        SetCaretAtItem(caretItem, caretOffs);
    }
    ChangeCaret(false, true, false, false);
    Change();
}

std::string TRNEditRNData::ConvertText(const std::string& text, int oldStyle, int newStyle) const {
    const bool from = StyleIsUnicode(oldStyle);
    const bool to = StyleIsUnicode(newStyle);
    if (from && !to) {
        return RNU_UnicodeToAnsi(GetStyleCodePage(newStyle), text);
    }
    if (!from && to) {
        return RNU_AnsiToUnicode(GetStyleCodePage(oldStyle), text);
    }
    return text;
}

void TRNEditRNData::ConvertWholeItem(int itemNo, int newStyle, bool clearTag) {
    const int oldStyle = GetItemStyle(itemNo);
    if (clearTag) {
        Do_Tag(itemNo, RNTag(), false);
    }
    Do_ChangeText(itemNo, ConvertText(GetItemText(itemNo), oldStyle, newStyle));
    Do_StyleNo(itemNo, newStyle);
}

void TRNEditRNData::ApplyStyleConversion_(int userData) {
    if (TCustomRNItemInfo* item = PartialSelectedItem) {
        item->ApplyStyleConversionToPartiallySelected(userData);
        // Cells selected in a table are selected text too: the buttons show where they start.
        if (const int selectedStyle = item->PartiallySelectedTextStyle(); selectedStyle >= 0) {
            TakeTextStyle(selectedStyle);
        }
        return;
    }
    const TRNStyle* style = GetRNStyle();
    if (!style) {
        return;
    }
    if (!style->TextStyles()[FallbackTextStyleNo].Protection.Contains(
            TRNProtectOption::rnprDoNotAutoSwitch)) {
        SetCurTextStyleNo(FallbackTextStyleNo);
    }
    const int newCurrent = EditHost.ConvertStyle(CurTextStyleNo, userData, false);
    if (!SelectionExists(false, false)) {
        TakeTextStyle(newCurrent);
        return;
    }
    BeginUndoSequence(TRNUndoType::rnutStyleNo);
    // The selection is the same text afterwards, selected in the same direction.
    const bool backward = SelectedBackward();
    const TRNSelRange sel = SelectionRange();
    const int firstDrawItem = sel.FirstDrawItem;
    const int lastDrawItem = sel.LastDrawItem;
    const int start = sel.Start;
    const int startOffs = sel.StartOffs;
    const int end = sel.End;
    const int endOffs = sel.EndOffs;
    int startItem = start;
    int startItemOffs = startOffs;
    const bool clearTag =
        EditHost.GetEditorOptions().Contains(TRNEditorOption::rnoClearTagOnStyleApp);
    const bool strings = TagsArePChars();
    const int countBefore = ItemCount();
    int endItem = end;
    int endItemOffs = endOffs;
    bool full = false;
    bool f = false;
    for (int i = end; i >= start; --i) {
        TCustomRNItemInfo& item = GetItem(i);
        if (!item.IsText()) {
            continue;
        }
        const int length = ItemLength(i);
        const int a = i == start ? startOffs : 1;
        const int b = i == end ? endOffs : length + 1;
        const int oldStyle = item.StyleNo;
        if (a >= b || a > length) {
            continue;
        }
        const int newStyle = EditHost.ConvertStyle(oldStyle, userData, true);
        if (newStyle == oldStyle) {
            continue;
        }
        const TRNItemOptions options = item.ItemOptions;
        const RNTag convertedTag = clearTag ? RNTag() : RN_CopyTag(item.Tag, strings);
        const int paraNo = item.ParaNo;
        if (a <= 1 && b > length) {
            ConvertWholeItem(i, newStyle, clearTag);
            continue;
        }
        int added = 0;
        if (b <= length) {
            // Characters after the covered part stay in the old style, in an item of their own
            // unless the part reaches the item's start (then the old item keeps them).
            if (a > 1) {
                std::string tail = RNU_Copy(GetItemText(i), b, length, options);
                Do_DeleteSubstring(i, b, -1);
                InsString(std::move(tail), i + 1, RN_CopyTag(item.Tag, strings), paraNo, oldStyle,
                          true, false, f);
                full = full || f;
                ++added;
            } else {
                std::string head = RNU_Copy(GetItemText(i), 1, b - 1, options);
                Do_DeleteSubstring(i, 1, b - 1);
                auto piece = CreateTextItem(convertedTag, paraNo, newStyle, item.GetSameAsPrev(),
                                            item.GetBR());
                if (item.GetPageBreakBefore()) {
                    piece->SetPageBreakBefore(true);
                }
                if (item.Checkpoint) {
                    piece->Checkpoint = item.Checkpoint->CreateCopy(strings);
                    Do_DeleteCP(i);
                }
                Do_NewLine(i, true, f, -1);
                full = full || f;
                Do_InsertItem(i, ConvertText(head, oldStyle, newStyle), std::move(piece), false, f);
                full = full || f;
                if (i == end) {
                    endItemOffs = b;
                } else {
                    ++endItem;
                }
                continue;
            }
        }
        std::string covered = RNU_Copy(GetItemText(i), a, length, options);
        Do_DeleteSubstring(i, a, -1);
        InsString(ConvertText(covered, oldStyle, newStyle), i + 1, convertedTag, paraNo, newStyle,
                  true, false, f);
        full = full || f;
        ++added;
        if (i == start) {
            startItem = i + 1;
            startItemOffs = 1;
        }
        if (i == end) {
            endItem = i + 1;
            endItemOffs = b - a + 1;
        } else {
            endItem += added;
        }
    }
    // Neighbours that now share a style become one item again.
    const int lo = std::max(start - 1, 0);
    const int hi = std::min(endItem + 1, ItemCount() - 1);
    // A bound in item `k + 1` moves into item `k` when the two join.
    const auto follow = [this](int k, int& itemNo, int& offs) {
        if (k + 1 == itemNo) {
            offs += ItemLength(k);
            --itemNo;
        } else if (k + 1 < itemNo) {
            --itemNo;
        }
    };
    for (int k = hi - 1; k >= lo; --k) {
        if (RN_CanConcateItems(k, &GetItem(k), &GetItem(k + 1), false)) {
            follow(k, startItem, startItemOffs);
            follow(k, endItem, endItemOffs);
            Do_Concate(k);
        }
    }
    FormatParasExact(firstDrawItem, lastDrawItem, ItemCount() - countBefore);
    if (full) {
        Format();
    }
    const auto clampBound = [this](int& itemNo, int& offs) {
        itemNo = std::clamp(itemNo, 0, ItemCount() - 1);
        offs = std::clamp(offs, GetOffsBeforeItem(itemNo), GetOffsAfterItem(itemNo));
    };
    clampBound(startItem, startItemOffs);
    clampBound(endItem, endItemOffs);
    if (backward) {
        RestoreSelBounds(endItem, startItem, endItemOffs, startItemOffs);
        SetCaretAtItem(startItem, startItemOffs);
    } else {
        RestoreSelBounds(startItem, endItem, startItemOffs, endItemOffs);
        SetCaretAtItem(endItem, endItemOffs);
    }
    DoSelect();
    undoList_.PopIfEmpty();
    // Over a mixed selection the buttons show where it starts, as a word processor does.
    const int selectedStyle = TextStyleFrom(startItem, startItemOffs, endItem);
    TakeTextStyle(selectedStyle >= 0 ? selectedStyle : newCurrent);
    ChangeCaret(false, true, true, true);
    Change();
}

void TRNEditRNData::TakeTextStyle(int styleNo) {
    const TRNStyle* style = GetRNStyle();
    if (style && styleNo >= 0 && styleNo < style->TextStyles().Count() &&
        !style->TextStyles()[styleNo].Protection.Contains(TRNProtectOption::rnprDoNotAutoSwitch)) {
        FallbackTextStyleNo = styleNo;
    }
    SetCurTextStyleNo(styleNo);
}

int TRNEditRNData::TextStyleFrom(int itemNo, int offs, int lastItem) const {
    for (int i = std::max(itemNo, 0); i <= lastItem && i < ItemCount(); ++i) {
        const TCustomRNItemInfo& item = GetItem(i);
        // A start after an item's last character selects nothing of it.
        if (item.IsText() && (i != itemNo || offs <= ItemLength(i))) {
            return item.StyleNo;
        }
    }
    return -1;
}

void TRNEditRNData::InsString(std::string text, int itemNo, const RNTag& tag, int paraNo,
                              int styleNo, bool sameAsPrev, bool br, bool& fullReformat) {
    Do_InsertItem(itemNo, std::move(text), CreateTextItem(tag, paraNo, styleNo, sameAsPrev, br),
                  false, fullReformat);
}
