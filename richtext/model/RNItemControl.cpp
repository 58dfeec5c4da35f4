#include "richtext/model/RNItemControl.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/EmbeddedControl.h"
#include "richtext/model/CRNData.h"

#include <algorithm>

TRNControlItemInfo::TRNControlItemInfo(TCustomRNData* rnData,
                                       std::unique_ptr<IEmbeddedControl> control, TRNVAlign vAlign)
    : TRNRectItemInfo(rnData), Control(std::move(control)) {
    StyleNo = -5;
    VAlign = vAlign;
}

TRNControlItemInfo::~TRNControlItemInfo() = default;

std::unique_ptr<TCustomRNItemInfo>
TRNControlItemInfo::CreateEmptyLike(TCustomRNData* rnData) const {
    return std::make_unique<TRNControlItemInfo>(rnData);
}

int TRNControlItemInfo::GetImageWidth() const {
    return Control ? Control->Width() : 0;
}

int TRNControlItemInfo::GetImageHeight() const {
    return Control ? Control->Height() : 0;
}

int TRNControlItemInfo::GetMinWidth() const {
    return PercentWidth != 0 ? 20 : GetImageWidth() + 2;
}

bool TRNControlItemInfo::GetBoolValue(TRNItemBoolProperty prop) const {
    switch (prop) {
    case TRNItemBoolProperty::rnbpValid:
        return Control != nullptr;
    case TRNItemBoolProperty::rnbpDisplayActiveState:
    case TRNItemBoolProperty::rnbpImmediateControlOwner:
        return true;
    default:
        return TRNRectItemInfo::GetBoolValue(prop);
    }
}

bool TRNControlItemInfo::GetBoolValueEx(TRNItemBoolPropertyEx prop, TRNStyle* style) const {
    switch (prop) {
    case TRNItemBoolPropertyEx::rnbpAllowsFocus:
        return Control && Control->IsWindowed() && Control->CanFocus();
    case TRNItemBoolPropertyEx::rnbpXORFocus:
        return false;
    default:
        return TRNRectItemInfo::GetBoolValueEx(prop, style);
    }
}

bool TRNControlItemInfo::OwnsControl(const IEmbeddedControl* control) const {
    return control != nullptr && control == Control.get();
}

void TRNControlItemInfo::Paint(int x, int y, TCanvas& canvas, TRNItemDrawStates state,
                               TRNStyle& style, TRNDrawLineInfo*) {
    // A real control paints itself in its window; one known only by its stream has no window
    // and is drawn in its place.
    if (Control && !Control->IsWindowed()) {
        Control->PaintTo(canvas, x + 1, y + 1);
    }
    PaintOutlines(canvas, x, y, state, style);
}

bool TRNControlItemInfo::PrintToBitmap(TBitmap& bitmap, bool, TCustomRNData& rnData) {
    if (!Control) {
        return false;
    }
    std::unique_ptr<TBitmap> picture = rnData.PrintComponent(*Control);
    if (!picture) {
        return false;
    }
    bitmap.Canvas().Draw((bitmap.Width() - picture->Width()) / 2,
                         (bitmap.Height() - picture->Height()) / 2, *picture);
    return true;
}

void TRNControlItemInfo::AdjustInserted(int x, int y, bool adjustY) {
    if (!Control) {
        return;
    }
    Control->SetLeft(x + 1);
    Control->SetTag(y + 1);
    if (adjustY) {
        RN_Tag2Y(*Control);
    }
    Control->SetVisible(true);
}

void TRNControlItemInfo::OnDocWidthChange(int docWidth, TRNDrawLineInfo*, bool) {
    if (Control && PercentWidth >= 1 && PercentWidth <= 100) {
        Control->SetWidth(docWidth * PercentWidth / 100 - 2);
    }
}

void TRNControlItemInfo::Inserted(TCustomRNData* rnData, bool flag) {
    if (!Control) {
        return;
    }
    Control->SetVisible(false);
    Control->SetParent(!flag && rnData ? rnData->GetParentControl() : nullptr);
}

void TRNControlItemInfo::MovingToUndoList(int itemNo, TCustomRNData& rnData) {
    if (!Control) {
        return;
    }
    Control->SetParent(nullptr);
    rnData.ControlAction(TRNControlAction::rncaMoveToUndoList, itemNo, *this);
}

void TRNControlItemInfo::MovingFromUndoList(int itemNo, TCustomRNData& rnData) {
    if (!Control) {
        return;
    }
    rnData.ControlAction(TRNControlAction::rncaMoveFromUndoList, itemNo, *this);
    Control->SetParent(rnData.GetParentControl());
}

void TRNControlItemInfo::Focusing() {
    if (Control && Control->IsWindowed()) {
        Control->SetFocus();
    }
}

int RN_GetYByTag(const IEmbeddedControl& control) {
    return std::clamp(control.Tag(), -10000, 10000);
}

void RN_Tag2Y(IEmbeddedControl& control) {
    control.SetTop(RN_GetYByTag(control));
}
