// The focus among the items of a document that take it (hotspots, controls, table cells).

#include "richtext/view/CRNFData.h"

#include "platform/graphics/Canvas.h"
#include "richtext/model/RNStyle.h"

#include <algorithm>

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

// The control data: the focus path, Tab navigation and the focus rectangle.

IClipboardWriter* TRNControlData::GetClipboard() const {
    return Clipboard;
}

void TRNControlData::AdjustFocus(int newFocusedItemNo, TCustomRNData* topLevelRNData,
                                 int topLevelItemNo) {
    TCustomRNFormattedData::AdjustFocus(newFocusedItemNo, topLevelRNData, topLevelItemNo);
    TopLevelFocusedItemNo = topLevelItemNo;
    TopLevelFocusedRNData = topLevelRNData;
}

void TRNControlData::ForgetFocus(const TCustomRNData* data) {
    if (!data || TopLevelFocusedRNData == data) {
        TopLevelFocusedItemNo = -1;
        TopLevelFocusedRNData = nullptr;
        FocusedItemNo = -1;
    }
}

void TRNControlData::Deselect(TCustomRNItemInfo* newPartiallySelected) {
    ClearFocus();
    if (TopLevelFocusedItemNo != -1) {
        Invalidate();
    }
    TopLevelFocusedItemNo = -1;
    TopLevelFocusedRNData = nullptr;
    TCustomRNFormattedData::Deselect(newPartiallySelected);
}

void TRNControlData::MouseUp(int button, uint32_t shift, int x, int y) {
    TCanvas* canvas = GetCanvas();
    if (canvas) {
        DrawFocusedRect(*canvas);
    }
    TCustomRNFormattedData::MouseUp(button, shift, x, y);
    if (canvas) {
        DrawFocusedRect(*canvas);
    }
}

void TRNControlData::ExecuteFocused() {
    if (TopLevelFocusedRNData && TopLevelFocusedItemNo >= 0 &&
        TopLevelFocusedItemNo < TopLevelFocusedRNData->ItemCount()) {
        // Run in this document: a hotspot in a table's cell jumps under this document's
        // numbering, which its cell, raising no events, cannot do.
        TopLevelFocusedRNData->GetItem(TopLevelFocusedItemNo).Execute(*this);
    }
}

void TRNControlData::DrawFocusedRect(TCanvas& canvas) {
    auto* data = dynamic_cast<TCustomRNFormattedData*>(TopLevelFocusedRNData);
    if (TopLevelFocusedItemNo < 0 || !data || TopLevelFocusedItemNo >= data->ItemCount() ||
        !data->GetItem(TopLevelFocusedItemNo)
             .GetBoolValueEx(TRNItemBoolPropertyEx::rnbpXORFocus, GetRNStyle())) {
        return;
    }
    int d = -1;
    data->Item2FirstDrawItem(TopLevelFocusedItemNo, d);
    if (d < 0) {
        return;
    }
    int ox = 0, oy = 0;
    data->GetOrigin(ox, oy);
    canvas.Font().SetColor(clBlack);
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    for (; d < data->DrawItems.Count() && data->DrawItems[d]->ItemNo == TopLevelFocusedItemNo;
         ++d) {
        const TRNDrawLineInfo& di = *data->DrawItems[d];
        canvas.DrawFocusRect(Bounds(ox + di.Left - GetHOffs() - 1, oy + di.Top - GetVOffs() - 1,
                                    di.Width + 2, di.Height + 2));
    }
}

bool TRNControlData::ControlFocused(IEmbeddedControl* control) {
    int host = -1;
    if (FocusedItemNo >= 0 && FocusedItemNo < ItemCount() &&
        GetItem(FocusedItemNo).OwnsControl(control)) {
        host = FocusedItemNo;
    } else {
        host = FindControlItemNo(control);
    }
    if (host == -1) {
        return false;
    }
    TCanvas* canvas = GetCanvas();
    if (canvas) {
        DrawFocusedRect(*canvas);
    }
    ClearFocus();
    FocusedItemNo = host;
    TCustomRNItemInfo& item = GetItem(host);
    item.AdjustFocusToControl(control, TopLevelFocusedRNData, TopLevelFocusedItemNo);
    if (item.GetBoolValue(TRNItemBoolProperty::rnbpImmediateControlOwner)) {
        TopLevelFocusedItemNo = host;
        TopLevelFocusedRNData = this;
    }
    if (canvas) {
        DrawFocusedRect(*canvas);
    }
    return true;
}

void TRNControlData::DoTabNavigation(bool backward, const TFocusOrigin& origin) {
    if (State.Contains(TRNStateItem::rnstDoNotTab)) {
        State.Exclude(TRNStateItem::rnstDoNotTab);
        return;
    }
    if (FocusedItemNo != -1 && !origin.Given) {
        return;
    }
    const int savedFocus = FocusedItemNo;
    TCanvas* canvas = GetCanvas();
    auto drawRect = [&] {
        if (canvas) {
            DrawFocusedRect(*canvas);
        }
    };
    if (origin.Control) {
        ControlFocused(origin.Control);
    }
    drawRect();
    const int next =
        GetNextFocusedItem(FocusedItemNo, !backward, TopLevelFocusedRNData, TopLevelFocusedItemNo);
    if (next == -1) {
        TopLevelFocusedItemNo = -1;
        TopLevelFocusedRNData = nullptr;
    }
    if (!origin.Self && next == -1 && FocusedItemNo == -1) {
        FocusSelf();
        return;
    }
    FocusedItemNo = next;
    if (TopLevelFocusedItemNo != -1 && TopLevelFocusedRNData) {
        TopLevelFocusedRNData->GetItem(TopLevelFocusedItemNo).Focusing();
    }
    drawRect();
    if (auto* data = dynamic_cast<TCustomRNFormattedData*>(TopLevelFocusedRNData);
        data && TopLevelFocusedItemNo != -1) {
        int d = -1;
        data->Item2FirstDrawItem(TopLevelFocusedItemNo, d);
        if (d >= 0) {
            const TRNDrawLineInfo& di = *data->DrawItems[d];
            data->ShowRectangle(di.Left, di.Top, di.Width, di.Height);
        }
        return;
    }
    if (!FocusNeighbour(backward) && savedFocus != -1) {
        DoTabNavigation(backward, TFocusOrigin{true, true, nullptr});
    }
}
