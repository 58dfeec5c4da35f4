// How text styles set up a canvas and draw text, and the style sheet's drawing routines with
// their handlers.

#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include "platform/graphics/Canvas.h"

#include <string>

// TFontInfo

void TFontInfo::Apply(TCanvas& canvas) const {
    TFont& font = canvas.Font();
    if (CharScale == 100) {
        font.SetStyle(Style);
        font.SetSize(Size);
        font.SetName(FontName);
        font.SetCharset(Charset);
        font.SetWidth(0);
        return;
    }
    AssignToLogFont(font, canvas);
    const int natural = canvas.TextWidth("x");
    font.SetWidth(natural * CharScale / 100);
}

void TFontInfo::ApplyColor(TCanvas& canvas, const TRNStyle& sheet,
                           TRNTextDrawState drawState) const {
    TBrush& brush = canvas.Brush();
    if (drawState.Contains(TRNTextDrawStateItem::rntsSelected)) {
        brush.SetColor(sheet.SelColor);
        canvas.Font().SetColor(sheet.SelTextColor);
    } else if (drawState.Contains(TRNTextDrawStateItem::rntsHover)) {
        TColor color = sheet.GetHoverColorByColor(HoverColor);
        canvas.Font().SetColor(color == clNone ? Color : color);
        brush.SetColor(HoverBackColor);
    } else {
        canvas.Font().SetColor(Color);
        brush.SetColor(BackColor);
    }
    brush.SetStyle(brush.Color() == clNone ? TBrushStyle::bsClear : TBrushStyle::bsSolid);
}

void TFontInfo::DrawText(std::string_view text, TCanvas& canvas, int x, int y) const {
    if (!Unicode) {
        canvas.TextOut(x, y, text);
        return;
    }
    std::u16string units(text.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<uint8_t>(text[2 * i]) |
                                         static_cast<uint8_t>(text[2 * i + 1]) << 8);
    }
    canvas.TextOutW(x, y, units);
}

void TFontInfo::DrawSpaceBefore(std::string_view text, TCanvas& canvas, const TRect& r,
                                const TRNStyle& sheet, TRNTextDrawState drawState) const {
    // The space before an empty selected text is not part of the selection.
    if (text.empty() && drawState.Contains(TRNTextDrawStateItem::rntsSelected)) {
        ApplyColor(canvas, sheet, drawState - TRNTextDrawState{TRNTextDrawStateItem::rntsSelected});
    }
    if (canvas.Brush().Style() != TBrushStyle::bsClear) {
        canvas.FillRect(r);
    }
}

void TFontInfo::DrawOverline(TCanvas& canvas, int left, int top, int width) const {
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    if (StyleEx.Contains(TRNFontStyleEx::rnfsOverline)) {
        canvas.Pen().SetColor(canvas.Font().Color());
        canvas.MoveTo(left, top);
        canvas.LineTo(left + width, top);
    }
}

void TFontInfo::Draw(std::string_view text, TCanvas& canvas, int /*styleNo*/, int spaceBefore,
                     int left, int top, int width, int height, const TRNStyle& sheet,
                     TRNTextDrawState drawState) const {
    DrawText(text, canvas, left + spaceBefore, top);
    if (spaceBefore != 0) {
        DrawSpaceBefore(text, canvas, Bounds(left, top, spaceBefore, height), sheet, drawState);
    }
    DrawOverline(canvas, left, top, width);
}

void TFontInfo::DrawVertical(std::string_view text, TCanvas& canvas, int /*styleNo*/,
                             int spaceBefore, int left, int top, int width, int /*height*/,
                             const TRNStyle& sheet, TRNTextDrawState drawState) const {
    DrawText(text, canvas, left, top + spaceBefore);
    if (spaceBefore != 0) {
        DrawSpaceBefore(text, canvas, Bounds(left, top, width, spaceBefore), sheet, drawState);
    }
    DrawOverline(canvas, left, top, width);
}

// TRNStyle

void TRNStyle::ApplyStyle(TCanvas& canvas, int styleNo) {
    bool doDefault = true;
    if (OnApplyStyle) {
        OnApplyStyle(*this, canvas, styleNo, doDefault);
    }
    if (doDefault) {
        textStyles_[styleNo].Apply(canvas);
    }
}

void TRNStyle::ApplyStyleColor(TCanvas& canvas, int styleNo, TRNTextDrawState drawState) {
    bool doDefault = true;
    if (OnApplyStyleColor) {
        OnApplyStyleColor(*this, canvas, styleNo, drawState, doDefault);
    }
    if (doDefault) {
        textStyles_[styleNo].ApplyColor(canvas, *this, drawState);
    }
}

void TRNStyle::DrawStyleText(std::string_view text, TCanvas& canvas, int itemNo, int offsetInItem,
                             int styleNo, const void* rnData, int spaceBefore, int left, int top,
                             int width, int height, TRNTextDrawState drawState) {
    const TFontInfo& style = textStyles_[styleNo];
    const std::string shown = RN_ReturnCapitalized(text, style);
    RNData = rnData;
    ItemNo = itemNo;
    OffsetInItem = offsetInItem;
    bool doDefault = true;
    if (OnDrawStyleText) {
        OnDrawStyleText(*this, shown, canvas, styleNo, spaceBefore, left, top, width, height,
                        drawState, doDefault);
    }
    if (doDefault) {
        style.Draw(shown, canvas, styleNo, spaceBefore, left, top, width, height, *this, drawState);
    }
}

void TRNStyle::DrawTextBack(TCanvas& canvas, int itemNo, int styleNo, const void* rnData, int left,
                            int top, int width, int height, TRNTextDrawState drawState) {
    RNData = rnData;
    ItemNo = itemNo;
    // The sheet draws no text background of its own; only a handler does.
    bool doDefault = true;
    if (OnDrawTextBack) {
        OnDrawTextBack(*this, canvas, itemNo, styleNo, left, top, width, height, drawState,
                       doDefault);
    }
}

void TRNStyle::DrawCheckpoint(TCanvas& canvas, int x, int y, int itemNo, int xShift,
                              bool raiseEvent, const TRNMarkArea& area) {
    bool doDefault = true;
    if (OnDrawCheckpoint) {
        OnDrawCheckpoint(*this, canvas, x, y, itemNo, xShift, raiseEvent, area, doDefault);
    }
    if (!doDefault) {
        return;
    }
    canvas.Pen().SetColor(raiseEvent ? CheckpointEvColor : CheckpointColor);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    // The end-of-document checkpoint (item -1) has only its line.
    if (itemNo != -1) {
        canvas.Pen().SetStyle(TPenStyle::psSolid);
        canvas.Ellipse(Rect(x - 2, y - 2, x + 2, y + 2));
    }
    canvas.Pen().SetStyle(TPenStyle::psDot);
    canvas.MoveTo(-xShift, y);
    canvas.LineTo(area.Width, y);
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
}

void TRNStyle::DrawPageBreak(TCanvas& canvas, int y, int xShift, const TRNMarkArea& area) {
    bool doDefault = true;
    if (OnDrawPageBreak) {
        OnDrawPageBreak(*this, canvas, y, xShift, area, doDefault);
    }
    if (!doDefault) {
        return;
    }
    canvas.Pen().SetColor(PageBreakColor);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    const int e = area.ClientWidth - xShift - 8;
    canvas.Brush().SetColor(clWindow);
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.MoveTo(-xShift, y);
    canvas.LineTo(e, y);
    // A turned-down corner at the right end.
    canvas.Polygon({{e, y}, {e + 8, y + 8}, {e, y + 8}});
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
}

void TRNStyle::DrawParaBack(TCanvas& canvas, int paraNo, const TRect& r) {
    bool doDefault = true;
    if (OnDrawParaBack) {
        OnDrawParaBack(*this, canvas, paraNo, r, doDefault);
    }
    if (doDefault) {
        paraStyles_[paraNo].Background.Draw(r, canvas);
    }
}
