#pragma once

// The print preview bound to a print component, which draws its pages.

#include "richtext/view/CRNPP.h"
#include "richtext/view/PtblRN.h"

class TRNPrintPreview : public TCustomRNPrintPreview {
public:
    explicit TRNPrintPreview(QWidget* parent = nullptr) : TCustomRNPrintPreview(parent) {}

    TRNPrint* RNPrint() const { return rnPrint_; }
    // Null unbinds it (the owner does so before the print component goes).
    void SetRNPrint(TRNPrint* print);
    // Kept within the pages there are.
    void SetPageNo(int pageNo) override;

protected:
    bool CanDrawContents() const override;
    void DrawContents(TCanvas& canvas, const TRect& r) override;
    void DrawMargins(TCanvas& canvas, const TRect& r) override;
    int GetPreview100PercentWidth() const override;
    int GetPreview100PercentHeight() const override;
    int GetPageCount() const override;

private:
    TRNPrint* rnPrint_ = nullptr;
};
