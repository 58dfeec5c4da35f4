// The seams of an insertion: inserted text joins the text it was put into, so that a word
// typed or pasted into a word stays one item.

#include "richtext/view/RNERNData.h"

int TRNEditRNData::JoinWithPrevious(int itemNo) {
    if (itemNo <= 0 || itemNo >= ItemCount() ||
        !RN_CanConcateItems(itemNo - 1, &GetItem(itemNo - 1), &GetItem(itemNo), false)) {
        return -1;
    }
    const int length = ItemLength(itemNo - 1);
    Do_Concate(itemNo - 1);
    return length;
}

bool TRNEditRNData::JoinFirstAdded(int firstItem, int& lastItem, int& caretOffset,
                                   int& itemsAdded) {
    const int length = JoinWithPrevious(firstItem);
    if (length < 0) {
        return false;
    }
    if (firstItem == lastItem) {
        caretOffset += length;
    }
    --itemsAdded;
    --lastItem;
    return true;
}

void TRNEditRNData::AfterAddingText(int firstItem, int lastItem, bool fullReformat,
                                    int firstDrawItem, int lastDrawItem, int itemsAdded) {
    bool f = false;
    Do_InsertItems_1(firstItem + 1, lastItem - firstItem);
    Do_InsertItems_2(firstItem + 1, lastItem - firstItem, f);
    fullReformat =
        fullReformat || f || CalculateMinItemsWidthPlus(firstItem, lastItem) > DocMinWidth;
    int caretOffset = GetOffsAfterItem(lastItem);
    if (JoinWithPrevious(lastItem + 1) >= 0) {
        --itemsAdded;
    }
    JoinFirstAdded(firstItem, lastItem, caretOffset, itemsAdded);
    Reformat_(fullReformat, true, false, firstDrawItem, lastDrawItem, itemsAdded);
    SetCaretAtItem(lastItem, caretOffset);
    ChangeCaret(false, true, true, false);
}

void TRNEditRNData::ConcateAfterAdding(int& firstItem, int& lastItem, int& caretOffset,
                                       int& itemsAdded) {
    if (lastItem < firstItem) {
        return;
    }
    if (JoinWithPrevious(lastItem + 1) >= 0) {
        --itemsAdded;
    }
    // While the joins run unbroken from the end, the caret's item takes in the one before.
    bool caretItemGrows = true;
    for (int i = lastItem; i > firstItem; --i) {
        const int length = JoinWithPrevious(i);
        caretItemGrows = caretItemGrows && length >= 0;
        if (length >= 0) {
            caretOffset += caretItemGrows ? length : 0;
            --itemsAdded;
            --lastItem;
        }
    }
    if (JoinFirstAdded(firstItem, lastItem, caretOffset, itemsAdded)) {
        return;
    }
    const TCustomRNItemInfo& first = GetItem(firstItem);
    if (firstItem > 0 && first.IsText() && first.GetSameAsPrev() &&
        GetItemText(firstItem).empty()) {
        bool f = false;
        Do_DeleteItem(firstItem, f);
        --itemsAdded;
        --lastItem;
        // An empty item alone leaves the caret after the item before it.
        if (lastItem < firstItem) {
            caretOffset = GetOffsAfterItem(lastItem);
        }
    }
}
