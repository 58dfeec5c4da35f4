#include "richtext/model/RNItem.h"

#include "platform/base/Rounding.h"
#include "platform/graphics/Canvas.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNStyle.h"

void TRNCPInfo::Assign(const TRNCPInfo& source, bool tagsArePChars) {
    Name = source.Name;
    RaiseEvent = source.RaiseEvent;
    Tag = RN_CopyTag(source.Tag, tagsArePChars);
}

std::unique_ptr<TRNCPInfo> TRNCPInfo::CreateCopy(bool tagsArePChars) const {
    auto copy = std::make_unique<TRNCPInfo>();
    copy->Assign(*this, tagsArePChars);
    return copy;
}

TCustomRNItemInfo::TCustomRNItemInfo(TCustomRNData*) {}

TCustomRNItemInfo::~TCustomRNItemInfo() = default;

void TCustomRNItemInfo::SetSameAsPrev(bool value) {
    if (value) {
        ItemOptions.Exclude(TRNItemOption::rnioPageBreakBefore).Exclude(TRNItemOption::rnioBR);
        ItemOptions.Include(TRNItemOption::rnioSameAsPrev);
    } else {
        ItemOptions.Exclude(TRNItemOption::rnioSameAsPrev);
    }
}

void TCustomRNItemInfo::SetPageBreakBefore(bool value) {
    if (value) {
        ItemOptions.Exclude(TRNItemOption::rnioSameAsPrev).Exclude(TRNItemOption::rnioBR);
        ItemOptions.Include(TRNItemOption::rnioPageBreakBefore);
    } else {
        ItemOptions.Exclude(TRNItemOption::rnioPageBreakBefore);
    }
}

void TCustomRNItemInfo::SetBR(bool value) {
    if (value && !GetBoolValue(TRNItemBoolProperty::rnbpFullWidth)) {
        ItemOptions.Exclude(TRNItemOption::rnioSameAsPrev);
        ItemOptions.Include(TRNItemOption::rnioBR);
    } else {
        ItemOptions.Exclude(TRNItemOption::rnioBR);
    }
}

bool TCustomRNItemInfo::CanBeBorderStart() const {
    return !GetSameAsPrev() && !GetBR();
}

bool TCustomRNItemInfo::ParaStart(bool countBR) const {
    return !GetSameAsPrev() && (countBR || !GetBR());
}

bool TCustomRNItemInfo::GetBoolValue(TRNItemBoolProperty prop) const {
    return prop == TRNItemBoolProperty::rnbpPrintToBMP || prop == TRNItemBoolProperty::rnbpValid ||
           prop == TRNItemBoolProperty::rnbpRequiresRNFLines;
}

bool TCustomRNItemInfo::GetBoolValueEx(TRNItemBoolPropertyEx, TRNStyle*) const {
    return false;
}

void TCustomRNItemInfo::PaintFullWidth(int, int, int, TCanvas&, TRNItemDrawStates, TRNStyle&,
                                       const TRect&, TRNDrawLineInfo*) {}

void TCustomRNItemInfo::Paint(int, int, TCanvas&, TRNItemDrawStates, TRNStyle&, TRNDrawLineInfo*) {}

bool TCustomRNItemInfo::PrintToBitmap(TBitmap&, bool, TCustomRNData&) {
    return false;
}

void TCustomRNItemInfo::Print(TCanvas&, int, int, int, bool, bool, const TRNScreenAndDevice&,
                              TCustomRNData&, TRNDrawLineInfo*, int) {}

void TCustomRNItemInfo::OnDocWidthChange(int, TRNDrawLineInfo*, bool) {}

void TCustomRNItemInfo::Assign(const TCustomRNItemInfo& source) {
    StyleNo = source.StyleNo;
    ParaNo = source.ParaNo;
    ItemOptions = source.ItemOptions;
}

bool TCustomRNItemInfo::OwnsControl(const IEmbeddedControl*) const {
    return false;
}

bool TCustomRNItemInfo::OwnsInplaceEditor(const void*) const {
    return false;
}

void TCustomRNItemInfo::UpdatePaletteInfo(TRNPaletteAction, bool) {
    // No palettes here: no item ever needs a palette-adjusted copy.
}

void TCustomRNItemInfo::MovingToUndoList(int, TCustomRNData&) {}

void TCustomRNItemInfo::MovingFromUndoList(int, TCustomRNData&) {}

void TCustomRNItemInfo::Inserted(TCustomRNData*, bool) {}

int TCustomRNItemInfo::GetHypertextCursor(const TRNStyle& style) const {
    return style.JumpCursor;
}

void TCustomRNItemInfo::Execute(TCustomRNData&) {}

std::string TCustomRNItemInfo::SaveRNFHeaderTail(TCustomRNData&) const {
    return {};
}

bool TCustomRNItemInfo::ReadRNFHeader(std::string_view&, TCustomRNData&) {
    return true;
}

bool TCustomRNItemInfo::ReadRNFLine(std::string_view, TCustomRNData&, int, int, int, std::string&,
                                    TRNFReadMode&, TRNFReadState&) {
    return true;
}

void TCustomRNItemInfo::SaveRNF(TStream&, TCustomRNData&, int, int, const std::string&) {}

void TCustomRNItemInfo::SaveRTF(TStream&, TCustomRNData&, int, const std::string&, double, int,
                                TRNColorList&, TRNIntegerList*, TRNIntegerList*) {}

void TCustomRNItemInfo::FillRTFColorTable(TRNColorList&) {}

void TCustomRNItemInfo::SaveToHTML(TStream&, TCustomRNData&, int, std::string_view,
                                   const std::string&, const std::string&, int&, TColor, bool, bool,
                                   TRNList<TRNHTMLBulletInfo>&) {}

std::string TCustomRNItemInfo::AsText(int, TCustomRNData&, std::string_view, const std::string&,
                                      bool, bool) {
    return {};
}

bool TCustomRNItemInfo::MouseMove(uint32_t, int, int, int, TCustomRNData&) {
    return false;
}

bool TCustomRNItemInfo::MouseDown(int, uint32_t, int, int, int, TCustomRNData&) {
    return false;
}

bool TCustomRNItemInfo::MouseUp(int, uint32_t, int, int, int, TCustomRNData&) {
    return false;
}

void TCustomRNItemInfo::BuildJumps(int, int, int&, TRNList<TRNJumpInfo>&) {}

std::unique_ptr<TRNDrawItemBase>
TCustomRNItemInfo::CreatePrintingDrawItem(TCustomRNData&, const TRNScreenAndDevice&) {
    return nullptr;
}

bool TCustomRNItemInfo::MoveFocus(bool, TCustomRNData*&, int&) {
    return false;
}

bool TCustomRNItemInfo::AdjustFocusToControl(IEmbeddedControl*, TCustomRNData*&, int&) {
    return false;
}

// Text items.

std::unique_ptr<TCustomRNItemInfo> TRNTextItemInfo::CreateEmptyLike(TCustomRNData* rnData) const {
    return std::make_unique<TRNTextItemInfo>(rnData);
}

bool TRNTextItemInfo::GetBoolValueEx(TRNItemBoolPropertyEx prop, TRNStyle* style) const {
    if (!style || StyleNo < 0 || StyleNo >= style->TextStyles().Count()) {
        return false;
    }
    bool jump = style->TextStyles()[StyleNo].Jump;
    switch (prop) {
    case TRNItemBoolPropertyEx::rnbpJump:
    case TRNItemBoolPropertyEx::rnbpAllowsFocus:
    case TRNItemBoolPropertyEx::rnbpXORFocus:
        return jump;
    case TRNItemBoolPropertyEx::rnbpHotColdJump:
        return jump && style->StyleHoverSensitive(StyleNo);
    }
    return false;
}

void TRNTextItemInfo::Execute(TCustomRNData& rnData) {
    if (GetBoolValueEx(TRNItemBoolPropertyEx::rnbpJump, rnData.GetRNStyle())) {
        rnData.DoJump(rnData.GetFirstJumpNo() + JumpNo);
    }
}

// Full-line and rectangular items.

bool TRNFullLineItemInfo::GetBoolValue(TRNItemBoolProperty prop) const {
    return prop == TRNItemBoolProperty::rnbpFullWidth || TRNNonTextItemInfo::GetBoolValue(prop);
}

void TRNRectItemInfo::Assign(const TCustomRNItemInfo& source) {
    if (const auto* other = dynamic_cast<const TRNRectItemInfo*>(&source)) {
        VAlign = other->VAlign;
    }
    TRNNonTextItemInfo::Assign(source);
}

void TRNRectItemInfo::Outline(TCanvas& canvas, const TRect& r, TColor color) {
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(color);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.Rectangle(r);
}

void TRNRectItemInfo::PaintOutlines(TCanvas& canvas, int x, int y, TRNItemDrawStates state,
                                    const TRNStyle& style) const {
    int w = GetImageWidth();
    int h = GetImageHeight();
    if (state.Contains(TRNItemDrawState::rnidsCurrent) && style.HoverColor != clNone) {
        Outline(canvas, Rect(x - 1, y - 1, x + w + 3, y + h + 3), style.HoverColor);
    }
    if (state.Contains(TRNItemDrawState::rnidsSelected)) {
        Outline(canvas, Rect(x, y, x + w + 2, y + h + 2), style.SelColor);
    }
}

// Breaks.

TRNBreakItemInfo::TRNBreakItemInfo(TCustomRNData* rnData, uint8_t lineWidth, TRNBreakStyle style,
                                   TColor color)
    : TRNFullLineItemInfo(rnData), LineWidth(lineWidth), Style(style), Color(color) {
    StyleNo = -1;
}

std::unique_ptr<TCustomRNItemInfo> TRNBreakItemInfo::CreateEmptyLike(TCustomRNData* rnData) const {
    return std::make_unique<TRNBreakItemInfo>(rnData);
}

bool TRNBreakItemInfo::GetBoolValue(TRNItemBoolProperty prop) const {
    if (prop == TRNItemBoolProperty::rnbpPrintToBMP ||
        prop == TRNItemBoolProperty::rnbpRequiresRNFLines) {
        return false;
    }
    return TRNFullLineItemInfo::GetBoolValue(prop);
}

void TRNBreakItemInfo::Assign(const TCustomRNItemInfo& source) {
    if (const auto* other = dynamic_cast<const TRNBreakItemInfo*>(&source)) {
        LineWidth = other->LineWidth;
        Color = other->Color;
        Style = other->Style;
    }
    TRNFullLineItemInfo::Assign(source);
}

TColor TRNBreakItemInfo::LineColor(const TRNStyle* style) const {
    if (Color != clNone) {
        return Color;
    }
    return style && style->TextStyles().Count() > 0 ? style->TextStyles()[0].Color : clWindowText;
}

void TRNBreakItemInfo::PaintFullWidth(int left, int right, int top, TCanvas& canvas,
                                      TRNItemDrawStates state, TRNStyle& style, const TRect&,
                                      TRNDrawLineInfo*) {
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Pen().SetColor(LineColor(&style));
    canvas.Pen().SetWidth(LineWidth);
    canvas.MoveTo(left + 5, top + 5);
    canvas.LineTo(right - 5, top + 5);
    canvas.Pen().SetWidth(1);
    if (state.Contains(TRNItemDrawState::rnidsSelected)) {
        canvas.Pen().SetColor(style.SelColor);
        for (int y : {top + 4, top + 6}) {
            canvas.MoveTo(left + 5, y);
            canvas.LineTo(right - 5, y);
        }
    }
}

void TRNBreakItemInfo::Print(TCanvas& canvas, int x, int y, int x2, bool, bool,
                             const TRNScreenAndDevice& sad, TCustomRNData& rnData, TRNDrawLineInfo*,
                             int) {
    // A resolution of 0 is taken as the screen's own 96.
    int screenX = sad.ppixScreen > 0 ? sad.ppixScreen : 96;
    int screenY = sad.ppiyScreen > 0 ? sad.ppiyScreen : 96;
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Pen().SetColor(LineColor(rnData.GetRNStyle()));
    canvas.Pen().SetWidth(LineWidth * sad.ppiyDevice / screenY);
    int dy = 5 * sad.ppiyDevice / screenY;
    int dx = 5 * sad.ppixDevice / screenX;
    canvas.MoveTo(x + dx, y + dy);
    canvas.LineTo(x2 - dx, y + dy);
    canvas.Pen().SetWidth(1);
}
