#include "richtext/view/RNPP.h"

#include <algorithm>

void TRNPrintPreview::SetRNPrint(TRNPrint* print) {
    rnPrint_ = print;
    if (rnPrint_) {
        SetDoInPaletteMode(rnPrint_->RichNote().DoInPaletteMode());
    }
    UpdateView();
    Invalidate();
}

void TRNPrintPreview::SetPageNo(int pageNo) {
    const int count = CanDrawContents() ? GetPageCount() : 1;
    TCustomRNPrintPreview::SetPageNo(std::clamp(pageNo, 1, std::max(1, count)));
    if (rnPrint_) {
        SetDoInPaletteMode(rnPrint_->RichNote().DoInPaletteMode());
    }
    UpdateView();
}

bool TRNPrintPreview::CanDrawContents() const {
    return rnPrint_ && rnPrint_->IsFormatted() && rnPrint_->GetPagesCount() > 0;
}

void TRNPrintPreview::DrawContents(TCanvas& canvas, const TRect& r) {
    rnPrint_->DrawPreview(PageNo(), canvas, r);
}

void TRNPrintPreview::DrawMargins(TCanvas& canvas, const TRect& r) {
    TCustomRNPrintPreview::DrawMargins(canvas, r);
    rnPrint_->DrawMarginsRect(canvas, r);
}

int TRNPrintPreview::GetPreview100PercentWidth() const {
    return rnPrint_->GetPreview100PercentWidth();
}

int TRNPrintPreview::GetPreview100PercentHeight() const {
    return rnPrint_->GetPreview100PercentHeight();
}

int TRNPrintPreview::GetPageCount() const {
    return rnPrint_->GetPagesCount();
}
