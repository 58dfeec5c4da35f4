// Inserting an item at the caret and typing: where the new item goes, when the text under
// the caret is split and when the insertion is refused.

#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/RNERNData.h"

bool TRNEditRNData::IsProtected(int itemNo, TRNProtectOption option) const {
    const TCustomRNItemInfo& item = GetItem(itemNo);
    const TRNStyle* style = GetRNStyle();
    return item.IsText() && style && item.StyleNo < style->TextStyles().Count() &&
           style->TextStyles()[item.StyleNo].Protection.Contains(option);
}

bool TRNEditRNData::IsSticking(int itemNo) {
    bool sticking = false;
    if (ItemCount() == 0) {
        sticking = false;
    } else if (itemNo < 0) {
        sticking = IsProtected(0, TRNProtectOption::rnprSticking);
    } else if (itemNo >= ItemCount() - 1) {
        sticking = IsProtected(ItemCount() - 1, TRNProtectOption::rnprSticking);
    } else {
        sticking = IsProtected(itemNo, TRNProtectOption::rnprSticking) &&
                   IsProtected(itemNo + 1, TRNProtectOption::rnprSticking);
    }
    if (sticking) {
        Beep();
    }
    return sticking;
}

std::unique_ptr<TCustomRNItemInfo>
TRNEditRNData::CreateTextItem(const RNTag& tag, int paraNo, int styleNo, bool sameAsPrev, bool br) {
    auto item = std::make_unique<TRNTextItemInfo>(this);
    item->StyleNo = static_cast<int16_t>(styleNo);
    if (StyleIsUnicode(styleNo)) {
        item->ItemOptions.Include(TRNItemOption::rnioUnicode);
    }
    item->ParaNo = static_cast<int16_t>(paraNo);
    item->SetSameAsPrev(sameAsPrev);
    item->SetBR(br);
    item->Tag = RN_CopyTag(tag, TagsArePChars());
    return item;
}

void TRNEditRNData::InsEmptyString(int itemNo, const RNTag& tag, int paraNo, int styleNo, bool br) {
    bool fullReformat = false;
    Do_InsertItem(itemNo, {}, CreateTextItem(tag, paraNo, styleNo, false, br), false, fullReformat);
}

namespace {

// The new item takes over the line start of `from`.
void TakeLineStart(TCustomRNItemInfo& item, const TCustomRNItemInfo& from) {
    item.SetSameAsPrev(false);
    item.SetBR(from.GetBR());
}

} // namespace

bool TRNEditRNData::InsSomething(std::unique_ptr<TCustomRNItemInfo>& item, std::string text,
                                 int& insertPoint, int& itemsAdded, bool& fullReformat) {
    fullReformat = false;
    itemsAdded = 1;
    const bool fullWidth = item->GetBoolValue(TRNItemBoolProperty::rnbpFullWidth);
    if (DrawItems.Count() == 0 || !HasCaret() || fullWidth) {
        item->SetSameAsPrev(false);
        item->ParaNo = static_cast<int16_t>(CurParaStyleNo);
    } else {
        item->SetSameAsPrev(true);
        item->ParaNo = GetItem(DrawItems[CaretStop().DrawItemNo]->ItemNo).ParaNo;
    }
    bool f = false;
    auto refuse = [&item] {
        item.reset();
        return false;
    };
    if (ItemCount() == 0 || !HasCaret()) {
        insertPoint = ItemCount();
    } else {
        const int i = DrawItems[CaretStop().DrawItemNo]->ItemNo;
        TCustomRNItemInfo& current = GetItem(i);
        int caretItem = 0;
        int p = 0;
        GetCaretItem(caretItem, p);
        if (!current.IsText()) {
            if (p == 0) {
                insertPoint = i;
                if (!current.GetSameAsPrev()) {
                    TakeLineStart(*item, current);
                    Do_NewLine(i, true, f, -1);
                    fullReformat = fullReformat || f;
                }
            } else {
                insertPoint = i + 1;
                if (current.GetBoolValue(TRNItemBoolProperty::rnbpFullWidth)) {
                    item->SetSameAsPrev(false);
                }
            }
        } else if (GetItemText(i).empty()) {
            if (IsSticking(i - 1) || IsSticking(i)) {
                return refuse();
            }
            if (!current.GetSameAsPrev()) {
                TakeLineStart(*item, current);
            }
            Do_DeleteItem(i, f);
            fullReformat = fullReformat || f;
            insertPoint = i;
            itemsAdded = 0;
            item->ParaNo = static_cast<int16_t>(CurParaStyleNo);
        } else {
            const int length = RNU_Length(GetItemText(i), current.ItemOptions);
            if (p <= 1) {
                insertPoint = i;
                if (IsSticking(i - 1)) {
                    return refuse();
                }
                if (!current.GetSameAsPrev()) {
                    TakeLineStart(*item, current);
                    Do_NewLine(i, true, f, -1);
                    fullReformat = fullReformat || f;
                }
            } else if (p > length) {
                insertPoint = i + 1;
                if (IsSticking(i)) {
                    return refuse();
                }
            } else {
                if (IsProtected(i, TRNProtectOption::rnprModifyProtect)) {
                    return refuse();
                }
                itemsAdded = 2;
                insertPoint = i + 1;
                std::string tail = RNU_Copy(GetItemText(i), p, length, current.ItemOptions);
                Do_DeleteSubstring(i, p, -1);
                auto copy = CreateTextCopy(current);
                copy->SetSameAsPrev(true);
                Do_InsertItem(i + 1, std::move(tail), std::move(copy), false, f);
                fullReformat = fullReformat || f;
            }
        }
    }
    if (fullWidth) {
        if (insertPoint < ItemCount()) {
            Do_NewLine(insertPoint, false, f, -1);
            fullReformat = fullReformat || f;
            Do_BR(insertPoint, false);
        }
        item->ParaNo = 0;
    }
    Do_InsertItem(insertPoint, std::move(text), std::move(item), false, f);
    fullReformat = fullReformat || f;
    return true;
}

bool TRNEditRNData::InsertSomething(std::unique_ptr<TCustomRNItemInfo> item, std::string text) {
    const bool isText = item->IsText();
    const int textLength = RNU_Length(text, item->ItemOptions);
    const int firstDrawItem = HasCaret() ? CharEnds.front().DrawItemNo : 0;
    const int lastDrawItem = HasCaret() ? CharEnds.back().DrawItemNo : DrawItems.Count() - 1;
    int insertPoint = 0;
    int itemsAdded = 0;
    bool fullReformat = false;
    if (PartialSelectedItem ||
        !InsSomething(item, std::move(text), insertPoint, itemsAdded, fullReformat)) {
        Beep();
        undoList_.PopIfEmpty();
        return false;
    }
    if ((!fullReformat && CalculateMinItemWidthPlus(insertPoint) <= DocMinWidth) ||
        CalculateMinDocWidthPlus() == DocMinWidth) {
        FormatParas(firstDrawItem, lastDrawItem, itemsAdded);
    } else {
        // A wider item (a table, a picture) lays the whole document out again: all of it is
        // drawn anew.
        FormatKeepingTextStyle([this] { Format(); });
        Invalidate();
    }
    SetCaretAtItem(insertPoint, isText ? textLength + 1 : 1);
    ChangeCaret(false, true, false, false);
    return true;
}

void TRNEditRNData::FormatKeepingTextStyle(const std::function<void()>& format) {
    const int32_t current = CurTextStyleNo;
    const int32_t fallback = FallbackTextStyleNo;
    format();
    FallbackTextStyleNo = fallback;
    SetCurTextStyleNo(current);
}

bool TRNEditRNData::InsertString(const std::string& text, int styleNo) {
    return InsertSomething(CreateTextItem({}, CurParaStyleNo, styleNo, false, false), text);
}

bool TRNEditRNData::InsertFirstRNFItem(int& index, std::string text,
                                       std::unique_ptr<TCustomRNItemInfo> item, bool editorCall,
                                       bool& fullReformat) {
    if (!editorCall) {
        return TRichNoteRNData::InsertFirstRNFItem(index, std::move(text), std::move(item),
                                                   editorCall, fullReformat);
    }
    int itemsAdded = 0;
    if (!InsSomething(item, std::move(text), index, itemsAdded, fullReformat)) {
        Beep();
        return false;
    }
    ++index;
    return true;
}

void TRNEditRNData::KeyPress(std::u16string_view key) {
    const TRNStyle* style = GetRNStyle();
    if (!style || PartialSelectedItem || !CanDelete() || key.empty()) {
        Beep();
        return;
    }
    PrepareForEdit();
    if (!HasCaret()) {
        Beep();
        return;
    }
    // A character outside the Basic Multilingual Plane arrives as two units and is typed as
    // one: a lone surrogate would be stored otherwise.
    const size_t units = key.size() >= 2 && key[0] >= 0xD800 && key[0] < 0xDC00 ? 2 : 1;
    const std::string unicodeChar = RNU_KeyToUnicode(key.substr(0, units));
    std::string ch = StyleIsUnicode(CurTextStyleNo)
                         ? unicodeChar
                         : RNU_UnicodeToAnsi(GetStyleCodePage(CurTextStyleNo), unicodeChar);
    if (ch.empty()) {
        return;
    }
    int target = DrawItems[CaretStop().DrawItemNo]->ItemNo;
    int caretItem = 0;
    int p = 0;
    GetCaretItem(caretItem, p);
    bool newItem = false;
    bool advanced = false;
    const TCustomRNItemInfo& current = GetItem(target);
    if (current.StyleNo != CurTextStyleNo) {
        const bool after =
            current.IsText() ? p > RNU_Length(GetItemText(target), current.ItemOptions) : p == 1;
        const int d = CaretStop().DrawItemNo;
        if (after && d < DrawItems.Count() - 1) {
            const int next = DrawItems[d + 1]->ItemNo;
            if (next != target && GetItem(next).GetSameAsPrev() &&
                GetItem(next).StyleNo == CurTextStyleNo) {
                target = next;
                p = 1;
                advanced = true;
            } else {
                newItem = true;
            }
        } else {
            newItem = true;
        }
    }
    if (!newItem) {
        const int length = RNU_Length(GetItemText(target), GetItem(target).ItemOptions);
        if (IsProtected(target, TRNProtectOption::rnprConcateProtect)) {
            newItem = true;
        } else if (IsProtected(target, TRNProtectOption::rnprModifyProtect)) {
            if (p <= 1 || p > length) {
                newItem = true;
            } else {
                Beep();
                return;
            }
        }
        // An empty line takes the current paragraph style; replacing it records that.
        if (length == 0 && GetItem(target).ParaNo != CurParaStyleNo) {
            newItem = true;
        }
        if (newItem && advanced) {
            // Back before the item the caret had been advanced into.
            target = caretItem;
        }
    }
    if (newItem) {
        BeginUndoSequence(TRNUndoType::rnutInsert);
        // A refused place (sticking neighbours) has beeped; nothing changed to tell.
        if (!InsertString(ch, CurTextStyleNo)) {
            undoList_.PopIfEmpty();
            return;
        }
        Refresh();
        Change();
        return;
    }
    TCustomRNItemInfo& item = GetItem(target);
    const int firstDrawItem = CharEnds.front().DrawItemNo;
    const int lastDrawItem = CharEnds.back().DrawItemNo;
    const int added = RNU_Length(ch, item.ItemOptions);
    for (int i = 0; i < added; ++i) {
        undoList_.AddTyping(target, p + i, item.ItemOptions.Contains(TRNItemOption::rnioUnicode));
    }
    RNU_Insert(ch, Items()[static_cast<size_t>(target)].Text, p, item.ItemOptions);
    FormatParas(firstDrawItem, lastDrawItem, 0);
    SetCaretAtItem(target, p + added);
    ChangeCaret(false, true, true, false);
    Change();
}
