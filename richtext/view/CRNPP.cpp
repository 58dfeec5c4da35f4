#include "richtext/view/CRNPP.h"

#include "platform/base/Rounding.h"
#include "platform/graphics/Bitmap.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>

namespace {

int ScrollBarExtent() {
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

} // namespace

TCustomRNPrintPreview::TCustomRNPrintPreview(QWidget* parent) : TRNScroller(parent) {
    MarginsPen.SetStyle(TPenStyle::psClear);
    MarginsPen.SetColor(static_cast<TColor>(0xC0C0C0));
    VSmallStep = GetDefSmallStep();
    SetBorderStyle(TBorderStyle::bsSingle);
    resize(100, 100);
}

TCustomRNPrintPreview::~TCustomRNPrintPreview() = default;

void TCustomRNPrintPreview::SetPageNo(int pageNo) {
    pageNo_ = pageNo;
    Invalidate();
}

void TCustomRNPrintPreview::First() {
    SetPageNo(1);
}

void TCustomRNPrintPreview::Prev() {
    if (pageNo_ > 1) {
        SetPageNo(pageNo_ - 1);
    }
}

void TCustomRNPrintPreview::Next() {
    if (CanDrawContents() && pageNo_ < GetPageCount()) {
        SetPageNo(pageNo_ + 1);
    }
}

void TCustomRNPrintPreview::Last() {
    if (CanDrawContents()) {
        SetPageNo(GetPageCount());
    }
}

void TCustomRNPrintPreview::SetZoomMode(TRNZoomMode mode) {
    zoomMode_ = mode;
    UpdateView();
}

void TCustomRNPrintPreview::SetZoom(int percent) {
    zoomMode_ = TRNZoomMode::rnzmCustom;
    SetZoomPercent(percent);
}

void TCustomRNPrintPreview::SetZoomPercent(int percent) {
    // A control too small for any page would give no zoom at all.
    percent = std::max(1, percent);
    const bool changed = percent != zoomPercent_;
    if (percent == 100 && zoomPercent_ != 100) {
        prevZoomPercent_ = zoomPercent_;
    }
    zoomPercent_ = percent;
    if (!CanDrawContents()) {
        return;
    }
    pageWidth_ = MulDiv(GetPreview100PercentWidth(), zoomPercent_, 100);
    pageHeight_ = MulDiv(GetPreview100PercentHeight(), zoomPercent_, 100);
    Invalidate();
    switch (zoomMode_) {
    case TRNZoomMode::rnzmFullPage:
        scrollWidth_ = 10;
        scrollHeight_ = 10;
        break;
    case TRNZoomMode::rnzmPageWidth:
        scrollWidth_ = 10;
        scrollHeight_ = pageHeight_ + 40;
        break;
    case TRNZoomMode::rnzmCustom:
        scrollWidth_ = pageWidth_ + 40;
        scrollHeight_ = pageHeight_ + 40;
        break;
    }
    UpdateScrollBars(scrollWidth_, scrollHeight_ / std::max(1, VSmallStep), true, true);
    UpdateCursor();
    if (changed && OnZoomChanged) {
        OnZoomChanged();
    }
}

void TCustomRNPrintPreview::UpdateView() {
    if (!CanDrawContents()) {
        return;
    }
    switch (zoomMode_) {
    case TRNZoomMode::rnzmFullPage:
        SetZoomPercent(
            std::min(MulDiv(width() - ScrollBarExtent() - 40, 100, GetPreview100PercentWidth()),
                     MulDiv(height() - ScrollBarExtent() - 40, 100, GetPreview100PercentHeight())));
        break;
    case TRNZoomMode::rnzmPageWidth:
        SetZoomPercent(MulDiv(ClientWidth() - 40, 100, GetPreview100PercentWidth()));
        break;
    case TRNZoomMode::rnzmCustom:
        SetZoomPercent(zoomPercent_);
        break;
    }
}

void TCustomRNPrintPreview::UpdateCursor() {
    const int threshold = zoomPercent_ == 100 ? prevZoomPercent_ : 100;
    SetCursor(threshold <= zoomPercent_ ? ZoomOutCursor : ZoomInCursor);
}

void TCustomRNPrintPreview::Click() {
    zoomMode_ = TRNZoomMode::rnzmCustom;
    SetZoomPercent(zoomPercent_ != 100 ? 100 : prevZoomPercent_);
    TRNScroller::Click();
}

void TCustomRNPrintPreview::Resize() {
    TRNScroller::Resize();
    UpdateView();
}

void TCustomRNPrintPreview::DrawMargins(TCanvas& canvas, const TRect&) {
    canvas.Pen().Assign(MarginsPen);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
}

TRect TCustomRNPrintPreview::PageRect() const {
    const int w = std::max(ClientWidth(), scrollWidth_);
    const int h = std::max(ClientHeight(), scrollHeight_);
    const int left = (w - pageWidth_) / 2 - HPos();
    const int top = (h - pageHeight_) / 2 - VPos() * VSmallStep;
    return Bounds(left, top, pageWidth_, pageHeight_);
}

void TCustomRNPrintPreview::Paint() {
    TBitmap buffer(std::max(1, ClientWidth()), std::max(1, ClientHeight()));
    TCanvas& c = buffer.Canvas();
    c.Brush().SetColor(clAppWorkSpace);
    c.FillRect(Rect(0, 0, buffer.Width(), buffer.Height()));
    if (CanDrawContents()) {
        const TRect page = PageRect();
        c.Brush().SetColor(cl3DDkShadow);
        c.FillRect(Bounds(page.Left + 4, page.Top + 4, page.Width(), page.Height()));
        c.SetClipRect(page);
        try {
            DrawContents(c, page);
        } catch (const std::exception&) {
            // A page that cannot be drawn (the document changed under the preview) stays
            // blank; painting must go on.
        }
        c.RemoveClip();
        c.Pen().SetStyle(TPenStyle::psSolid);
        c.Pen().SetWidth(2);
        c.Pen().SetColor(clHighlight);
        c.Brush().SetStyle(TBrushStyle::bsClear);
        c.Rectangle(page);
        if (MarginsPen.Style() != TPenStyle::psClear) {
            DrawMargins(c, page);
        }
    }
    Canvas().Draw(0, 0, buffer);
}
