#include "richtext/model/RNItemPictures.h"

#include "platform/base/Rounding.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Metafile.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNStyle.h"

// Pictures.

TRNGraphicItemInfo::TRNGraphicItemInfo(TCustomRNData* rnData, std::unique_ptr<TGraphic> image,
                                       TRNVAlign vAlign)
    : TRNRectItemInfo(rnData), Image(std::move(image)) {
    StyleNo = -3;
    VAlign = vAlign;
}

TRNGraphicItemInfo::~TRNGraphicItemInfo() = default;

std::unique_ptr<TCustomRNItemInfo>
TRNGraphicItemInfo::CreateEmptyLike(TCustomRNData* rnData) const {
    return std::make_unique<TRNGraphicItemInfo>(rnData);
}

int TRNGraphicItemInfo::GetImageWidth() const {
    return Image ? Image->Width() : 0;
}

int TRNGraphicItemInfo::GetImageHeight() const {
    return Image ? Image->Height() : 0;
}

bool TRNGraphicItemInfo::GetBoolValue(TRNItemBoolProperty prop) const {
    switch (prop) {
    case TRNItemBoolProperty::rnbpPrintToBMP:
        return dynamic_cast<const TMetafile*>(Image.get()) == nullptr;
    case TRNItemBoolProperty::rnbpValid:
        return Image != nullptr;
    case TRNItemBoolProperty::rnbpDisplayActiveState:
        return true;
    default:
        return TRNRectItemInfo::GetBoolValue(prop);
    }
}

void TRNGraphicItemInfo::Assign(const TCustomRNItemInfo& source) {
    if (const auto* other = dynamic_cast<const TRNGraphicItemInfo*>(&source)) {
        Image = other->Image ? other->Image->Clone() : nullptr;
        ImageCopy = other->ImageCopy ? other->ImageCopy->Clone() : nullptr;
    }
    TRNRectItemInfo::Assign(source);
}

void TRNGraphicItemInfo::Paint(int x, int y, TCanvas& canvas, TRNItemDrawStates state,
                               TRNStyle& style, TRNDrawLineInfo*) {
    const TGraphic* shown = ImageCopy ? ImageCopy.get() : Image.get();
    if (shown) {
        canvas.Draw(x + 1, y + 1, *shown);
    }
    PaintOutlines(canvas, x, y, state, style);
}

bool TRNGraphicItemInfo::PrintToBitmap(TBitmap& bitmap, bool preview, TCustomRNData&) {
    const TGraphic* shown = preview && ImageCopy ? ImageCopy.get() : Image.get();
    if (shown) {
        bitmap.Canvas().Draw(0, 0, *shown);
    }
    return true;
}

void TRNGraphicItemInfo::Print(TCanvas& canvas, int x, int y, int, bool, bool,
                               const TRNScreenAndDevice& sad, TCustomRNData&, TRNDrawLineInfo*,
                               int) {
    if (!Image) {
        return;
    }
    int screenX = sad.ppixScreen > 0 ? sad.ppixScreen : 96;
    int screenY = sad.ppiyScreen > 0 ? sad.ppiyScreen : 96;
    canvas.StretchDraw(Bounds(x, y, MulDiv(Image->Width(), sad.ppixDevice, screenX),
                              MulDiv(Image->Height(), sad.ppiyDevice, screenY)),
                       *Image);
}

void TRNGraphicItemInfo::MovingToUndoList(int, TCustomRNData&) {
    ImageCopy.reset();
}

// Bullets and hotspots.

TRNBulletItemInfo::TRNBulletItemInfo(TCustomRNData* rnData, int imageIndex,
                                     const TImageList* imageList, TRNVAlign vAlign)
    : TRNRectItemInfo(rnData), ImageList(imageList), ImageIndex(imageIndex) {
    StyleNo = -6;
    VAlign = vAlign;
}

std::unique_ptr<TCustomRNItemInfo> TRNBulletItemInfo::CreateEmptyLike(TCustomRNData* rnData) const {
    return std::make_unique<TRNBulletItemInfo>(rnData);
}

int TRNBulletItemInfo::GetImageIndex(bool) const {
    return ImageIndex;
}

int TRNBulletItemInfo::GetImageWidth() const {
    return ImageList ? ImageList->Width() : 0;
}

int TRNBulletItemInfo::GetImageHeight() const {
    return ImageList ? ImageList->Height() : 0;
}

bool TRNBulletItemInfo::GetBoolValue(TRNItemBoolProperty prop) const {
    switch (prop) {
    case TRNItemBoolProperty::rnbpValid:
        return ImageList != nullptr;
    case TRNItemBoolProperty::rnbpDisplayActiveState:
        return true;
    default:
        return TRNRectItemInfo::GetBoolValue(prop);
    }
}

void TRNBulletItemInfo::Assign(const TCustomRNItemInfo& source) {
    if (const auto* other = dynamic_cast<const TRNBulletItemInfo*>(&source)) {
        ImageList = other->ImageList;
        ImageIndex = other->ImageIndex;
    }
    TRNRectItemInfo::Assign(source);
}

void TRNBulletItemInfo::Paint(int x, int y, TCanvas& canvas, TRNItemDrawStates state,
                              TRNStyle& style, TRNDrawLineInfo*) {
    if (ImageList) {
        // An index outside the list (negative ones included) draws nothing.
        int index = GetImageIndex(state.Contains(TRNItemDrawState::rnidsHover));
        if (state.Contains(TRNItemDrawState::rnidsSelected)) {
            ImageList->DrawBlended(canvas, x + 1, y + 1, index, style.SelColor);
        } else {
            ImageList->Draw(canvas, x + 1, y + 1, index);
        }
    }
    if (state.Contains(TRNItemDrawState::rnidsCurrent) && style.HoverColor != clNone) {
        Outline(canvas, Rect(x, y, x + GetImageWidth() + 2, y + GetImageHeight() + 2),
                style.HoverColor);
    }
}

bool TRNBulletItemInfo::PrintToBitmap(TBitmap& bitmap, bool, TCustomRNData&) {
    if (ImageList) {
        ImageList->Draw(bitmap.Canvas(), 0, 0, ImageIndex);
    }
    return true;
}

TRNHotspotItemInfo::TRNHotspotItemInfo(TCustomRNData* rnData, int imageIndex, int hotImageIndex,
                                       const TImageList* imageList, TRNVAlign vAlign)
    : TRNBulletItemInfo(rnData, imageIndex, imageList, vAlign), HotImageIndex(hotImageIndex) {
    StyleNo = -4;
}

std::unique_ptr<TCustomRNItemInfo>
TRNHotspotItemInfo::CreateEmptyLike(TCustomRNData* rnData) const {
    return std::make_unique<TRNHotspotItemInfo>(rnData);
}

bool TRNHotspotItemInfo::GetBoolValueEx(TRNItemBoolPropertyEx prop, TRNStyle*) const {
    switch (prop) {
    case TRNItemBoolPropertyEx::rnbpJump:
    case TRNItemBoolPropertyEx::rnbpAllowsFocus:
    case TRNItemBoolPropertyEx::rnbpXORFocus:
        return true;
    case TRNItemBoolPropertyEx::rnbpHotColdJump:
        return ImageIndex != HotImageIndex;
    }
    return false;
}

void TRNHotspotItemInfo::Assign(const TCustomRNItemInfo& source) {
    if (const auto* other = dynamic_cast<const TRNHotspotItemInfo*>(&source)) {
        HotImageIndex = other->HotImageIndex;
    }
    TRNBulletItemInfo::Assign(source);
}

void TRNHotspotItemInfo::Execute(TCustomRNData& rnData) {
    rnData.DoJump(rnData.GetFirstJumpNo() + JumpNo);
}
