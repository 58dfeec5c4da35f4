#pragma once

// Documents formatted for paper: the items of a note formatted a second time at printer
// resolution, cut into pages and drawn page by page on a printer or a scaled preview.
// TRectPtblRNData is the same machinery for a rectangle inside a page (a table cell).

#include "richtext/view/CRNFData.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

enum class TRNPrintingStep { rnpsStarting, rnpsProceeding, rnpsFinished };

// One printed page.
struct TRNPageInfo {
    // The document y (printer pixels) at the top of the page's text area.
    int32_t PageTopY = 0;
    int32_t FirstDrawItemNo = 0;
    // 0: the page starts with a whole draw line; else the 1-based part of a cut one.
    int32_t FirstPartNo = 0;
    // For a page opening inside a cut draw line: the y used for what follows it.
    int32_t PartTopY = 0;

    void Assign(const TRNPageInfo& source) {
        PageTopY = source.PageTopY;
        FirstDrawItemNo = source.FirstDrawItemNo;
    }
};

struct TRNMultiDrawItemPart {
    int32_t Height = 0;
};

// The draw line of an item that can be cut across pages; its item fills the parts while
// the pages are made. The list always ends with what is still to be placed: InitSplit makes
// it the whole line, and each SplitAt cuts that last part and adds the rest after it.
class TRNMultiDrawItemInfo : public TRNDrawLineInfo {
public:
    std::vector<TRNMultiDrawItemPart> PartsList;
};

class TCustomPrintableRNData : public TRichNoteRNData {
public:
    using TRichNoteRNData::TRichNoteRNData;

    // Set by an owner that fills the page itself: only a background picture is drawn.
    bool NoPageFill = false;

    bool ShareItems() const override { return true; }

    virtual TRNBackground* GetBack() const { return nullptr; }
    virtual int GetTopCoord(int /*pageNo*/) const { return 0; }
    virtual int GetTopCoord2(int /*pageNo*/) const { return 0; }
    virtual int GetPrintableAreaLeft() const { return 0; }
    virtual int GetPrintableAreaTop() const { return 0; }
    virtual void DoPagePrepaint(TCanvas& /*canvas*/, int /*pageNo*/, bool /*preview*/) {}
    virtual void GetDrawItemsRange(int pageNo, int& startNo, int& endNo, int& part) const;
    virtual void CheckPageNo(int /*pageNo*/) const {}
    virtual std::unique_ptr<TCanvas> InitPrinterCanvas() { return nullptr; }
    virtual void DonePrinterCanvas(std::unique_ptr<TCanvas> /*canvas*/) {}

    // Draws page `pageNo` (1-based). With `correction` each text piece is spaced out to the
    // width it had at printer resolution, so a preview at another resolution keeps the lines.
    void DrawPage(int pageNo, TCanvas& canvas, bool preview, bool correction);

private:
    void DrawPageBackground(TCanvas& canvas, const TRNScreenAndDevice& sad);
    int DrawParaBack(TCanvas& canvas, const TRNScreenAndDevice& sad, int d, int endNo, int left,
                     int top);
    void PrintThroughBitmap(TCanvas& canvas, TCustomRNItemInfo& item, const TRect& r,
                            const TRNScreenAndDevice& sad, bool preview);
};

class TPrintableRNData : public TCustomPrintableRNData {
public:
    explicit TPrintableRNData(IRichNoteHost& richNote);
    ~TPrintableRNData() override;
    TPrintableRNData* AsPrintableData() override { return this; }

    // Set by the print component: the measuring surface of the printer the pages are for.
    std::function<std::unique_ptr<TCanvas>()> PrinterCanvas;
    int LeftMarginMM = 20;
    int TopMarginMM = 20;
    int RightMarginMM = 20;
    int BottomMarginMM = 20;
    int FirstPageTopOffset = 0;
    bool TransparentBackground = false;
    // The source's top and bottom margins (screen pixels).
    int ExtraTopMargin = 0;
    int ExtraBottomMargin = 0;
    std::function<void(int pageCompleted, TRNPrintingStep step)> OnFormatting;
    std::function<void(TCanvas& canvas, int pageNo, bool preview, const TRect& pageRect,
                       const TRect& printAreaRect)>
        OnPagePrepaint;
    // Asked by items that print through a picture (an embedded control).
    std::function<std::unique_ptr<TBitmap>(IEmbeddedControl& control)> OnPrintComponent;
    // The background drawn behind every page.
    TRNBackground* PageBack = nullptr;

    // Results of FormatPages.
    std::vector<TRNPageInfo> Pages;
    TRNScreenAndDevice Sad;
    int ExtraTopMarginDev = 0;
    int ExtraBottomMarginDev = 0;
    int LeftMarginPix = 0;
    int TopMarginPix = 0;
    int RightMarginPix = 0;
    int BottomMarginPix = 0;
    // Where the document ends on its last page, below the top of the text area.
    int LastPageBottom = 0;

    int FormatPages();
    int PageCount() const { return static_cast<int>(Pages.size()); }
    void DoFormatting(int pageCompleted, TRNPrintingStep step);

    // The text area in printer pixels.
    int GetWidth() const override { return width_; }
    int GetHeight() const override { return height_; }
    int GetAreaWidth() const override { return width_; }
    int GetTopMargin() const override { return 0; }
    int GetBottomMargin() const override { return 0; }
    int GetMaxTextWidth() const override { return maxTextWidth_; }
    TColor GetColor() const override;
    void GetSADForFormatting(TCanvas& canvas, TRNScreenAndDevice& sad) override;
    // Nothing scrolls.
    void SetDocumentAreaSize(int, int, bool) override {}
    void AdjustVScrollUnits() override {}
    void ScrollTo(int, bool) override {}

    TRNBackground* GetBack() const override { return PageBack; }
    std::unique_ptr<TBitmap> PrintComponent(IEmbeddedControl& control) override;
    int GetTopCoord(int pageNo) const override;
    int GetTopCoord2(int pageNo) const override;
    int GetPrintableAreaLeft() const override { return LeftMarginPix; }
    int GetPrintableAreaTop() const override { return TopMarginPix; }
    void DoPagePrepaint(TCanvas& canvas, int pageNo, bool preview) override;
    void GetDrawItemsRange(int pageNo, int& startNo, int& endNo, int& part) const override;
    void CheckPageNo(int pageNo) const override;
    std::unique_ptr<TCanvas> InitPrinterCanvas() override {
        return PrinterCanvas ? PrinterCanvas() : nullptr;
    }

    // The page margins in printer pixels: `mm` less the unprintable border, never negative.
    static int MarginPix(int mm, int ppi, int unprintable);

    // Cuts the formatted draw lines into pages.
    void Paginate();

private:
    void MeasurePrinter(TCanvas& printer);
    void AddPage(int firstDrawItemNo, int pageTopY, int firstPartNo);

    int width_ = 0;
    int height_ = 0;
    int maxTextWidth_ = 0;
};

// A rectangle of a page (a table cell) formatted and drawn with the page's data.
class TRectPtblRNData : public TCustomPrintableRNData {
public:
    TRectPtblRNData(TCustomRNData& source, TPrintableRNData& page);

    int Left = 0;
    int Top = 0;
    int DX = 0;
    int DY = 0;
    int Width = 0;
    int Height = 0;
    TColor Color = clNone;

    int GetPrintableAreaLeft() const override { return Left + DX; }
    int GetPrintableAreaTop() const override { return Top + DY; }
    int GetTopCoord(int) const override { return -(Top + DY); }
    int GetWidth() const override { return Width; }
    int GetHeight() const override { return Height; }
    int GetAreaWidth() const override { return Width; }
    TColor GetColor() const override { return Color; }
    int GetLeftMargin() const override { return 0; }
    int GetRightMargin() const override { return 0; }
    int GetTopMargin() const override { return 0; }
    int GetBottomMargin() const override { return 0; }
    void GetSADForFormatting(TCanvas& canvas, TRNScreenAndDevice& sad) override;
    std::unique_ptr<TCanvas> InitPrinterCanvas() override { return page_.InitPrinterCanvas(); }
    void SetDocumentAreaSize(int, int, bool) override {}
    void AdjustVScrollUnits() override {}
    void ScrollTo(int, bool) override {}
    TCustomRNData* GetParentData() const override { return &page_; }
    TCustomRNData* GetRootData() override { return page_.GetRootData(); }

private:
    TPrintableRNData& page_;
};
