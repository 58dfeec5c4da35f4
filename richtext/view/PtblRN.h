#pragma once

// The print component: prints a note and draws its pages for a preview. A hidden viewer
// shares the items of the note being printed and formats them into pages at printer
// resolution; the component keeps the margins, prints with copies and collation, and scales
// any page into a rectangle.

#include "richtext/view/PtRNData.h"
#include "richtext/view/RichNote.h"

#include <functional>
#include <memory>
#include <string>

// The measuring surface of the application's configured printer.
std::unique_ptr<TCanvas> RN_GetPrinterDC();

class TBitmap;
class TRNPrint;

enum class TRNDisplayOption { rndoImages, rndoComponents, rndoBullets };
using TRNDisplayOptions = TSet<TRNDisplayOption>;

using TRNPrintingEvent =
    std::function<void(TRichNote& sender, int pageCompleted, TRNPrintingStep step)>;
using TRNPrintComponentEvent = std::function<void(TRNPrint& sender, IEmbeddedControl& printMe,
                                                  std::unique_ptr<TBitmap>& componentImage)>;
using TRNPagePrepaintEvent =
    std::function<void(TRNPrint& sender, int pageNo, TCanvas& canvas, bool preview,
                       const TRect& pageRect, const TRect& printAreaRect)>;

// The hidden viewer that formats and draws the pages.
class TPrintableRN : public TRichNote {
public:
    TPrintableRN(TRNPrint& print, QWidget* parent);

    TRNPrint& RNPrint;

    TPrintableRNData& PrintData() { return static_cast<TPrintableRNData&>(RNData()); }
    TRichNoteDataClass GetDataClass() const override;

    int FormatPages();
    void DrawPage(int pageNo, TCanvas& canvas, bool preview, bool correction) {
        PrintData().DrawPage(pageNo, canvas, preview, correction);
    }
    void Print(const std::string& title, int copies, bool collate);
    void PrintPages(int firstPage, int lastPage, const std::string& title, int copies,
                    bool collate);
    // Draws every page into the job the caller has open, a new sheet before each but the first.
    void ContinuousPrint();
};

class TRNPrint {
public:
    explicit TRNPrint(QWidget* owner = nullptr);
    ~TRNPrint();
    TRNPrint(const TRNPrint&) = delete;
    TRNPrint& operator=(const TRNPrint&) = delete;

    TPrintableRN& RichNote() { return *rn_; }

    int LeftMarginMM() const { return rn_->PrintData().LeftMarginMM; }
    int RightMarginMM() const { return rn_->PrintData().RightMarginMM; }
    int TopMarginMM() const { return rn_->PrintData().TopMarginMM; }
    int BottomMarginMM() const { return rn_->PrintData().BottomMarginMM; }
    void SetLeftMarginMM(int mm) { rn_->PrintData().LeftMarginMM = mm; }
    void SetRightMarginMM(int mm) { rn_->PrintData().RightMarginMM = mm; }
    void SetTopMarginMM(int mm) { rn_->PrintData().TopMarginMM = mm; }
    void SetBottomMarginMM(int mm) { rn_->PrintData().BottomMarginMM = mm; }
    bool PreviewCorrection = true;
    bool TransparentBackground() const { return rn_->PrintData().TransparentBackground; }
    void SetTransparentBackground(bool value) { rn_->PrintData().TransparentBackground = value; }
    TRNPrintingEvent OnFormatting;
    TRNPrintingEvent OnSendingToPrinter;
    TRNPrintComponentEvent OnPrintComponent;
    TRNPagePrepaintEvent OnPagePrepaint;

    bool IsFormatted() const { return formatted_; }
    // Printer pixels kept free at the top of the first page.
    int FirstPageTopOffset() const { return rn_->PrintData().FirstPageTopOffset; }
    void SetFirstPageTopOffset(int offset) { rn_->PrintData().FirstPageTopOffset = offset; }
    int LastPageBottom() const { return rn_->PrintData().LastPageBottom; }

    void AssignSource(TRichNote& source);
    int FormatPages(TRNDisplayOptions options = {});
    int GetPagesCount() const { return rn_->PrintData().PageCount(); }
    void Print(const std::string& title, int copies, bool collate) {
        rn_->Print(title, copies, collate);
    }
    void PrintPages(int firstPage, int lastPage, const std::string& title, int copies,
                    bool collate) {
        rn_->PrintPages(firstPage, lastPage, title, copies, collate);
    }
    void ContinuousPrint() { rn_->ContinuousPrint(); }
    void Clear();
    void GetFirstItemOnPage(int pageNo, int& itemNo, int& offsetInItem);

    // The page scaled into `r` of `canvas`.
    void DrawPreview(int pageNo, TCanvas& canvas, const TRect& r);
    void MakeScaledPreview(int pageNo, TBitmap& bitmap);
    // The bitmap at the page's size on the screen.
    void MakePreview(int pageNo, TBitmap& bitmap);
    // The text area's frame, scaled into `r`, with the canvas's pen and brush.
    void DrawMarginsRect(TCanvas& canvas, const TRect& r);
    int GetPreview100PercentWidth();
    int GetPreview100PercentHeight();

private:
    friend class TPrintableRN;
    void SendingToPrinter(int page, TRNPrintingStep step);
    int PageWidthPix();
    int PageHeightPix();

    std::unique_ptr<TPrintableRN> rn_;
    bool formatted_ = false;
};
