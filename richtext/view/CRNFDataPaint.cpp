// Painting a formatted document: paragraph backgrounds and borders, text backgrounds, marks,
// text pieces split at the selection, other items by their own painting; the repaint
// requests and the XOR figure.

#include "platform/graphics/Bitmap.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/RNBack.h"

#include <algorithm>

namespace {

TRect Moved(const TRect& r, int dx, int dy) {
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

bool FirstOfItem(const TRNDrawLines& drawItems, int d) {
    return d == 0 || drawItems[d - 1]->ItemNo != drawItems[d]->ItemNo;
}

} // namespace

bool TCustomRNFormattedData::IsHoverJump(const TCustomRNItemInfo& item) const {
    return State.Contains(TRNStateItem::rnstDrawHover) && LastJumpMovedAbove != -1 &&
           LastJumpMovedAbove == item.JumpNo;
}

TRNMarkArea TCustomRNFormattedData::MarkArea() const {
    return {GetWidth(), GetWidth()};
}

void TCustomRNFormattedData::PaintTo(TCanvas& canvas, const TRect& clipRect) {
    TRNStyle* style = GetRNStyle();
    if (!style) {
        return;
    }
    int startNo, endNo, startOffs, endOffs;
    GetSelBounds(startNo, endNo, startOffs, endOffs, true);
    TPaintPass pass;
    pass.Canvas = &canvas;
    pass.Style = style;
    pass.DX = GetZHOffs() + clipRect.Left;
    pass.DY = GetZVOffs() + clipRect.Top;
    const TRect docRect = Moved(clipRect, GetZHOffs(), GetZVOffs());
    const TRect canvasRect = Rect(0, 0, clipRect.Width(), clipRect.Height());
    canvas.Brush().SetStyle(TBrushStyle::bsClear);

    if (DrawItems.Count() > 0) {
        const int first = std::min(GetFirstVisible(docRect.Top), DrawItems.Count() - 1);
        const int last = PaintParaBacks(pass, first, DrawItems.Count() - 1, docRect);

        if (style->OnDrawTextBack) {
            for (int d = first; d <= last; ++d) {
                const TRNDrawLineInfo& di = *DrawItems[d];
                const TCustomRNItemInfo& item = GetItem(di.ItemNo);
                if (!item.IsText()) {
                    continue;
                }
                TRNTextDrawState state;
                if (style->TextStyles()[item.StyleNo].Jump && IsHoverJump(item)) {
                    state.Include(TRNTextDrawStateItem::rntsHover);
                }
                style->DrawTextBack(canvas, di.ItemNo, item.StyleNo, this, di.Left - pass.DX,
                                    di.Top - pass.DY, di.Width, di.Height, state);
            }
        }

        const TRNOptions options = GetOptions();
        for (int d = first; d <= last; ++d) {
            const TRNDrawLineInfo& di = *DrawItems[d];
            const TCustomRNItemInfo& item = GetItem(di.ItemNo);
            const bool firstOfItem = FirstOfItem(DrawItems, d);
            // A mark's handler may leave any font on the canvas: the next text applies its own.
            if (firstOfItem && item.GetPageBreakBefore() &&
                options.Contains(TRNOption::rnoShowPageBreaks)) {
                style->DrawPageBreak(canvas, di.Top - pass.DY - 1, pass.DX, MarkArea());
                pass.LastStyleNo = -1;
            }
            if (firstOfItem && item.Checkpoint && options.Contains(TRNOption::rnoShowCheckpoints)) {
                style->DrawCheckpoint(canvas, di.Left - pass.DX, di.Top - pass.DY, di.ItemNo,
                                      pass.DX, item.Checkpoint->RaiseEvent, MarkArea());
                pass.LastStyleNo = -1;
            }
            if (item.IsText()) {
                PaintTextDrawItem(pass, d, startNo, endNo, startOffs, endOffs);
            } else {
                PaintNonTextDrawItem(pass, d, startNo, endNo, startOffs, endOffs, canvasRect);
            }
        }
    }

    if (NotAddedCP && GetOptions().Contains(TRNOption::rnoShowCheckpoints)) {
        style->DrawCheckpoint(canvas, -1, DocumentHeight - pass.DY, -1, pass.DX,
                              NotAddedCP->RaiseEvent, MarkArea());
    }
}

int TCustomRNFormattedData::PaintParaBacks(TPaintPass& pass, int first, int last,
                                           const TRect& docRect) {
    // A paragraph whose background starts above the area is drawn whole: start from the
    // first piece of the item that opens its border.
    auto borderStart = [this](int d) { return GetItem(DrawItems[d]->ItemNo).CanBeBorderStart(); };
    int i = first;
    while (i > 0 && (DrawItems[i - 1]->ItemNo == DrawItems[i]->ItemNo || !borderStart(i))) {
        --i;
    }
    const TParaInfos& paras = pass.Style->ParaStyles();
    const int count = DrawItems.Count();
    bool below = false;
    while (i < count) {
        const TRNDrawLineInfo& di = *DrawItems[i];
        if (below && di.FromNewLine) {
            return std::min(last, i);
        }
        const TCustomRNItemInfo& item = GetItem(di.ItemNo);
        const TParaInfo& para =
            paras[item.ParaNo >= 0 && item.ParaNo < paras.Count() ? item.ParaNo : 0];
        int lookedAt = i;
        if (item.CanBeBorderStart() && item.StyleNo != -1 &&
            (para.Border.Style != TRNBorderStyle::rnbNone || para.Background.Color != clNone)) {
            TRect block =
                Rect(GetLeftMargin() + para.LeftIndent, di.Top,
                     GetAreaWidth() - (GetRightMargin() + para.RightIndent), di.Top + di.Height);
            int j = i + 1;
            while (j < count && (DrawItems[j]->ItemNo == di.ItemNo || !borderStart(j))) {
                const TRNDrawLineInfo& dj = *DrawItems[j];
                block.Top = std::min(block.Top, dj.Top);
                block.Bottom = std::max(block.Bottom, dj.Top + dj.Height);
                if (below && dj.FromNewLine && j < last) {
                    last = j;
                }
                if (dj.Top >= docRect.Bottom) {
                    below = true;
                }
                ++j;
            }
            block = Moved(block, -pass.DX, -pass.DY);
            TRect back = block;
            para.Background.PrepareDraw(back);
            pass.Style->DrawParaBack(*pass.Canvas, item.ParaNo, back);
            para.Border.Draw(block, *pass.Canvas);
            lookedAt = j - 1;
            i = j;
        } else {
            ++i;
        }
        if (DrawItems[lookedAt]->Top >= docRect.Bottom) {
            below = true;
        }
    }
    return last;
}

void TCustomRNFormattedData::PaintTextDrawItem(TPaintPass& pass, int d, int startNo, int endNo,
                                               int startOffs, int endOffs) {
    const TRNDrawLineInfo& di = *DrawItems[d];
    const TCustomRNItemInfo& item = GetItem(di.ItemNo);
    TRNStyle& style = *pass.Style;
    if (item.StyleNo != pass.LastStyleNo) {
        style.ApplyStyle(*pass.Canvas, item.StyleNo);
        pass.LastStyleNo = item.StyleNo;
    }
    const TFontInfo& font = style.TextStyles()[item.StyleNo];
    const bool hover = font.Jump && IsHoverJump(item);
    const std::string text = DrawItems.GetString(d, *this);
    const int extra = di.JustifyExtra;
    const bool completely = State.Contains(TRNStateItem::rnstCompletelySelected);
    auto measure = [&](int chars) {
        const std::string prefix = DrawItems.GetSubString(d, *this, 1, chars);
        return RNU_TextWidth(RN_ReturnCapitalized(prefix, font), *pass.Canvas, item.ItemOptions);
    };
    auto whole = [&](bool selected) {
        PaintTextPiece(pass, d, text, di.Left, di.Width, 1, selected, true, true, hover, extra);
    };

    if (!completely && (d < startNo || d > endNo)) {
        whole(false);
        return;
    }
    const bool fromStart = d > startNo || (d == startNo && startOffs <= 1);
    const bool toEnd = d < endNo || (d == endNo && di.Length < endOffs);
    if (completely || (fromStart && toEnd)) {
        whole(true);
        return;
    }
    if (d == startNo && startOffs > 1) {
        const int w1 = measure(startOffs - 1);
        PaintTextPiece(pass, d, DrawItems.GetSubString(d, *this, 1, startOffs - 1), di.Left,
                       w1 + extra, 1, false, true, false, hover, extra);
        if (d == endNo && di.Length >= endOffs) {
            const int w2 = measure(endOffs - 1);
            PaintTextPiece(pass, d,
                           DrawItems.GetSubString(d, *this, startOffs, endOffs - startOffs),
                           di.Left + w1 + extra, w2 - w1, startOffs, true, false, false, hover, 0);
            PaintTextPiece(pass, d, DrawItems.GetRightString(d, *this, endOffs),
                           di.Left + w2 + extra, di.Width - w2 - extra, endOffs, false, false, true,
                           hover, 0);
        } else {
            PaintTextPiece(pass, d, DrawItems.GetRightString(d, *this, startOffs),
                           di.Left + w1 + extra, di.Width - w1 - extra, startOffs, true, false,
                           true, hover, 0);
        }
        return;
    }
    if (d == endNo) {
        const int w1 = measure(endOffs - 1);
        PaintTextPiece(pass, d, DrawItems.GetSubString(d, *this, 1, endOffs - 1), di.Left,
                       w1 + extra, 1, true, true, false, hover, extra);
        PaintTextPiece(pass, d, DrawItems.GetRightString(d, *this, endOffs), di.Left + w1 + extra,
                       di.Width - w1 - extra, endOffs, false, false, true, hover, 0);
        return;
    }
    whole(true);
}

void TCustomRNFormattedData::PaintTextPiece(TPaintPass& pass, int d, const std::string& text,
                                            int left, int width, int firstChar, bool selected,
                                            bool startsAtStart, bool endsAtEnd, bool hover,
                                            int spaceBefore) {
    const TRNDrawLineInfo& di = *DrawItems[d];
    const TCustomRNItemInfo& item = GetItem(di.ItemNo);
    TRNStyle& style = *pass.Style;
    TRNTextDrawState state;
    if (selected) {
        state.Include(TRNTextDrawStateItem::rntsSelected);
    }
    if (hover) {
        state.Include(TRNTextDrawStateItem::rntsHover);
    }
    if (style.OnDrawStyleText) {
        if (startsAtStart) {
            state.Include(TRNTextDrawStateItem::rntsDrawItemStart);
            if (di.Offs == 1) {
                state.Include(TRNTextDrawStateItem::rntsItemStart);
            }
        }
        if (endsAtEnd) {
            state.Include(TRNTextDrawStateItem::rntsDrawItemEnd);
            if (di.Offs + di.Length - 1 == ItemLength(di.ItemNo)) {
                state.Include(TRNTextDrawStateItem::rntsItemEnd);
            }
        }
    }
    style.ApplyStyleColor(*pass.Canvas, item.StyleNo, state);
    style.DrawStyleText(text, *pass.Canvas, di.ItemNo, firstChar, item.StyleNo, this, spaceBefore,
                        left - pass.DX, di.Top - pass.DY, width, di.Height, state);
}

void TCustomRNFormattedData::PaintNonTextDrawItem(TPaintPass& pass, int d, int startNo, int endNo,
                                                  int startOffs, int endOffs,
                                                  const TRect& canvasRect) {
    TRNDrawLineInfo& di = *DrawItems[d];
    TCustomRNItemInfo& item = GetItem(di.ItemNo);
    TRNItemDrawStates state;
    const bool inRange = d >= startNo && d <= endNo && startNo != -1 &&
                         !(d == endNo && endOffs == 0) && !(d == startNo && startOffs == 1);
    if (State.Contains(TRNStateItem::rnstCompletelySelected) || inRange) {
        state.Include(TRNItemDrawState::rnidsSelected);
    }
    if (IsHoverJump(item)) {
        state.Include(TRNItemDrawState::rnidsHover);
    }
    if (&item == CurrentItem) {
        state.Include(TRNItemDrawState::rnidsCurrent);
    }
    if (!item.GetBoolValue(TRNItemBoolProperty::rnbpFullWidth)) {
        item.Paint(di.Left - pass.DX, di.Top - pass.DY, *pass.Canvas, state, *pass.Style, &di);
    } else {
        item.PaintFullWidth(di.Left - pass.DX, GetAreaWidth() - GetRightMargin() - pass.DX,
                            di.Top - pass.DY, *pass.Canvas, state, *pass.Style, canvasRect, &di);
    }
    if (item.GetBoolValue(TRNItemBoolProperty::rnbpDrawingChangesFont)) {
        pass.LastStyleNo = -1;
    }
}

// Repaint requests.

TCustomRNFormattedData* TCustomRNFormattedData::RepaintTarget() {
    TCustomRNFormattedData* root = GetFormattedRoot();
    return root && root != this ? root : nullptr;
}

const TCustomRNFormattedData* TCustomRNFormattedData::RepaintTarget() const {
    return const_cast<TCustomRNFormattedData*>(this)->RepaintTarget();
}

bool TCustomRNFormattedData::ControlHasWindow() const {
    const TCustomRNFormattedData* root = RepaintTarget();
    return root && root->ControlHasWindow();
}

bool TCustomRNFormattedData::ControlDestroying() const {
    const TCustomRNFormattedData* root = RepaintTarget();
    return root && root->ControlDestroying();
}

void TCustomRNFormattedData::InvalidateControl(const TRect* r) {
    if (TCustomRNFormattedData* root = RepaintTarget()) {
        root->InvalidateControl(r);
    }
}

void TCustomRNFormattedData::UpdateControl() {
    if (TCustomRNFormattedData* root = RepaintTarget()) {
        root->UpdateControl();
    }
}

void TCustomRNFormattedData::Invalidate() {
    InvalidateControl(nullptr);
}

void TCustomRNFormattedData::Refresh() {
    InvalidateControl(nullptr);
    UpdateControl();
}

void TCustomRNFormattedData::InvalidateRect(const TRect& r) {
    if (ControlHasWindow()) {
        InvalidateControl(&r);
    }
}

void TCustomRNFormattedData::InvalidateJumpRect(int id) {
    const TRNStyle* style = GetRNStyle();
    if (style && style->FullRedraw) {
        Invalidate();
    } else {
        for (int i = 0; i < Jumps.Count(); ++i) {
            const TRNJumpInfo& jump = *Jumps[i];
            if (jump.Id == id) {
                InvalidateRect(Bounds(jump.Left - GetZHOffs() - 5, jump.Top - GetZVOffs() - 5,
                                      jump.Width + 10, jump.Height + 10));
            }
        }
    }
    UpdateControl();
}

// The XOR figure.

void TCustomRNFormattedData::AssignXorDrawing(IRNXorFigure* figure) {
    if (XorDrawn) {
        XorDrawing();
    }
    XorFigure = figure;
}

void TCustomRNFormattedData::UnAssignXorDrawing(IRNXorFigure* figure) {
    if (figure != XorFigure) {
        return;
    }
    if (XorDrawn && !ControlDestroying()) {
        XorDrawing();
    }
    XorDrawn = false;
    XorFigure = nullptr;
}

void TCustomRNFormattedData::XorDrawing() {
    if (XorFigure) {
        XorFigure->DrawXor(*this, 0, LastXorX, LastXorY);
        XorDrawn = !XorDrawn;
    }
}

void TCustomRNFormattedData::XorDrawingEx(int x, int y) {
    LastXorX = x;
    LastXorY = y;
    XorDrawing();
}

bool TCustomRNFormattedData::ClearXorDrawing() {
    if (!XorDrawn) {
        return false;
    }
    XorDrawing();
    return true;
}

void TCustomRNFormattedData::UpdateBackgroundPaletteInfo(TRNBackground* background) {
    State.Include(TRNStateItem::rnstChangingBkPalette);
    if (background) {
        background->UpdatePaletted(GetDoInPaletteMode());
    }
    State.Exclude(TRNStateItem::rnstChangingBkPalette);
}

// Buffered painting.

void TRNControlData::PaintBuffered() {
    TCanvas* canvas = GetCanvas();
    if (!canvas) {
        return;
    }
    const TRect r = canvas->ClipRect();
    if (IsRectEmpty(r)) {
        return;
    }
    // The focus rectangle is inverted over the pixels: off before, on again after.
    DrawFocusedRect(*canvas);
    TBitmap buffer(r.Width(), r.Height());
    TCanvas& memory = buffer.Canvas();
    if (TRNBackground* background = GetBackground()) {
        background->Draw(memory, r, GetHOffs(), GetVOffs(), GetWidth(), GetHeight(), GetColor());
    } else {
        memory.Brush().SetColor(GetColor());
        memory.FillRect(Rect(0, 0, r.Width(), r.Height()));
    }
    TRect zoomed = r;
    ApplyZoom(memory);
    ZoomRectDown(zoomed);
    PaintTo(memory, zoomed);
    RestoreZoom(memory);
    canvas->DrawImage(r, buffer.Image(), Rect(0, 0, r.Width(), r.Height()));
    DrawFocusedRect(*canvas);
}
