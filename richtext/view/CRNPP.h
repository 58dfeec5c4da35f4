#pragma once

// The print preview's scrolling control: one page centred on a grey work area with a shadow
// and a frame, zoomed to the whole page, to the page width or by a given percentage; a click
// toggles between 100 % and the zoom before it. What the page shows is a descendant's.

#include "richtext/view/RNScroll.h"

#include <functional>

enum class TRNZoomMode { rnzmFullPage, rnzmPageWidth, rnzmCustom };

class TCustomRNPrintPreview : public TRNScroller {
public:
    explicit TCustomRNPrintPreview(QWidget* parent = nullptr);
    ~TCustomRNPrintPreview() override;

    int PageNo() const { return pageNo_; }
    virtual void SetPageNo(int pageNo);
    int ZoomPercent() const { return zoomPercent_; }
    int PrevZoomPercent() const { return prevZoomPercent_; }
    TRNZoomMode ZoomMode() const { return zoomMode_; }
    void SetZoomMode(TRNZoomMode mode);
    void SetZoomPercent(int percent);
    // A given percentage: the mode becomes custom.
    void SetZoom(int percent);
    void UpdateView();
    void UpdateCursor();
    // The page's size on the control at the current zoom.
    int PageWidth() const { return pageWidth_; }
    int PageHeight() const { return pageHeight_; }

    void First();
    void Prev();
    void Next();
    void Last();

    TCursor ZoomInCursor = crZoomIn;
    TCursor ZoomOutCursor = crZoomOut;
    std::function<void()> OnZoomChanged;
    // Clear until its user gives it a style: margins are not drawn by default.
    TPen MarginsPen;

    // The page rectangle on the client area at the current scroll position.
    TRect PageRect() const;

protected:
    virtual bool CanDrawContents() const { return true; }
    virtual void DrawContents(TCanvas& /*canvas*/, const TRect& /*r*/) {}
    virtual void DrawMargins(TCanvas& canvas, const TRect& r);
    virtual int GetPreview100PercentWidth() const { return -1; }
    virtual int GetPreview100PercentHeight() const { return -1; }
    virtual int GetPageCount() const { return 1; }

    void Click() override;
    void Paint() override;
    void Resize() override;
    int GetDefSmallStep() const override { return 1; }

private:
    int pageNo_ = 1;
    int zoomPercent_ = 100;
    int prevZoomPercent_ = 50;
    TRNZoomMode zoomMode_ = TRNZoomMode::rnzmFullPage;
    int pageWidth_ = 0;
    int pageHeight_ = 0;
    int scrollWidth_ = 0;
    int scrollHeight_ = 0;
};
