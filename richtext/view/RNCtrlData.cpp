// The focus among the items of a document that take it (hotspots, controls, table cells).

#include "richtext/view/CRNFData.h"

#include "richtext/model/RNStyle.h"

int TCustomRNFormattedData::GetNextFocusedItem(int itemNo, bool goForward,
                                               TCustomRNData*& topLevelRNData,
                                               int& topLevelItemNo) {
    if (FocusedItemNo < -1 || FocusedItemNo >= ItemCount()) {
        FocusedItemNo = -1;
    }
    TRNStyle* style = GetRNStyle();
    auto takesFocus = [&](int i) {
        return GetItem(i).GetBoolValueEx(TRNItemBoolPropertyEx::rnbpAllowsFocus, style);
    };
    auto accepts = [&](int i) {
        if (takesFocus(i)) {
            topLevelRNData = this;
            topLevelItemNo = i;
            return true;
        }
        return GetItem(i).MoveFocus(goForward, topLevelRNData, topLevelItemNo);
    };
    if (goForward) {
        const int start = itemNo < 0 || takesFocus(itemNo) ? itemNo + 1 : itemNo;
        for (int i = std::max(start, 0); i < ItemCount(); ++i) {
            if (accepts(i)) {
                return i;
            }
        }
    } else {
        if (itemNo < 0) {
            itemNo = ItemCount();
        }
        const int start = itemNo == ItemCount() || takesFocus(itemNo) ? itemNo - 1 : itemNo;
        for (int i = std::min(start, ItemCount() - 1); i >= 0; --i) {
            if (accepts(i)) {
                return i;
            }
        }
    }
    return -1;
}

void TCustomRNFormattedData::ClearFocus() {
    if (FocusedItemNo < -1 || FocusedItemNo >= ItemCount()) {
        FocusedItemNo = -1;
    }
    if (FocusedItemNo != -1) {
        GetItem(FocusedItemNo).ClearFocus();
    }
}

void TCustomRNFormattedData::AdjustFocus(int newFocusedItemNo, TCustomRNData* /*topLevelRNData*/,
                                         int /*topLevelItemNo*/) {
    FocusedItemNo = newFocusedItemNo;
}
