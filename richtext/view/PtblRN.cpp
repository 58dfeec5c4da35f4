#include "richtext/view/PtblRN.h"

#include "platform/base/Rounding.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/PictureShowing.h"
#include "platform/widgets/Printer.h"

#include <algorithm>

namespace {

std::unique_ptr<TRichNoteRNData> NewPrintableData(IRichNoteHost& owner) {
    auto data = std::make_unique<TPrintableRNData>(owner);
    data->PrinterCanvas = RN_GetPrinterDC;
    return data;
}

} // namespace

std::unique_ptr<TCanvas> RN_GetPrinterDC() {
    return Printer().MeasureCanvas();
}

namespace {

// Puts the canvas back to one-to-one drawing at its own font resolution.
class PreviewMappingGuard {
public:
    explicit PreviewMappingGuard(TCanvas& canvas)
        : canvas_(canvas), fontPpi_(canvas.Font().PixelsPerInch()) {}
    ~PreviewMappingGuard() {
        canvas_.SetMapMode(TMapMode::mmText);
        canvas_.SetViewportOrg(0, 0);
        canvas_.Font().SetPixelsPerInch(fontPpi_);
    }
    PreviewMappingGuard(const PreviewMappingGuard&) = delete;
    PreviewMappingGuard& operator=(const PreviewMappingGuard&) = delete;

private:
    TCanvas& canvas_;
    int fontPpi_;
};

} // namespace

// TPrintableRN

TPrintableRN::TPrintableRN(TRNPrint& print, QWidget* parent) : TRichNote(parent), RNPrint(print) {
    RecreateData();
    // Items cut across pages (tables) keep their parts in draw lines of their own.
    Flags.Include(TRNFlag::rnflAllowCustomDrawItems);
    setVisible(false);
    SetBorderStyle(TBorderStyle::bsNone);
    TopMargin = 0;
    BottomMargin = 0;
}

TRichNoteDataClass TPrintableRN::GetDataClass() const {
    return &NewPrintableData;
}

int TPrintableRN::FormatPages() {
    return PrintData().FormatPages();
}

void TPrintableRN::Print(const std::string& title, int copies, bool collate) {
    PrintPages(1, PrintData().PageCount(), title, copies, collate);
}

void TPrintableRN::PrintPages(int firstPage, int lastPage, const std::string& title, int copies,
                              bool collate) {
    TPrintableRNData& data = PrintData();
    const int count = data.PageCount();
    // Checked before the job: a job left open would hold the printer.
    if (count > 0 && (firstPage < 1 || lastPage > count || firstPage > lastPage)) {
        throw ERichNoteError("Invalid page number is specified for printing");
    }
    data.FirstPageTopOffset = 0;
    RNPrint.SendingToPrinter(0, TRNPrintingStep::rnpsStarting);
    if (count == 0) {
        // A job of no pages would still put out a blank sheet.
        RNPrint.SendingToPrinter(0, TRNPrintingStep::rnpsFinished);
        return;
    }
    copies = std::max(1, copies);
    TPrinter& printer = Printer();
    printer.SetTitle(title);
    const int savedCopies = printer.Copies();
    int repeats = copies;
    if (printer.CanCopy()) {
        printer.SetCopies(copies);
        printer.SetCollate(collate);
        repeats = 1;
    } else {
        printer.SetCopies(1);
    }
    bool done = false;
    // The pictures of all its pages and copies share one time: waiting for their preparation,
    // and drawing straight onto the printer.
    const TPictureJob pictures;
    try {
        printer.BeginDoc();
        auto send = [&](int page, bool last) {
            DrawPage(page, printer.Canvas(), false, false);
            RNPrint.SendingToPrinter(page, TRNPrintingStep::rnpsProceeding);
            if (!last) {
                printer.NewPage();
            }
        };
        if (collate) {
            for (int copy = 1; copy <= repeats; ++copy) {
                for (int page = firstPage; page <= lastPage; ++page) {
                    send(page, copy == repeats && page == lastPage);
                }
            }
        } else {
            for (int page = firstPage; page <= lastPage; ++page) {
                for (int copy = 1; copy <= repeats; ++copy) {
                    send(page, copy == repeats && page == lastPage);
                }
            }
        }
        printer.EndDoc();
        done = true;
    } catch (...) {
        if (!done && printer.Printing()) {
            printer.Abort();
        }
        printer.SetCopies(savedCopies);
        RNPrint.SendingToPrinter(0, TRNPrintingStep::rnpsFinished);
        throw;
    }
    printer.SetCopies(savedCopies);
    RNPrint.SendingToPrinter(0, TRNPrintingStep::rnpsFinished);
}

void TPrintableRN::ContinuousPrint() {
    TPrinter& printer = Printer();
    const TPictureJob pictures;
    for (int page = 1; page <= PrintData().PageCount(); ++page) {
        if (page > 1) {
            printer.NewPage();
        }
        DrawPage(page, printer.Canvas(), false, false);
    }
}

// TRNPrint

TRNPrint::TRNPrint(QWidget* owner) : rn_(std::make_unique<TPrintableRN>(*this, owner)) {
    TPrintableRNData& data = rn_->PrintData();
    data.OnFormatting = [this](int page, TRNPrintingStep step) {
        if (OnFormatting) {
            OnFormatting(*rn_, page, step);
        }
    };
    data.OnPagePrepaint = [this](TCanvas& canvas, int pageNo, bool preview, const TRect& pageRect,
                                 const TRect& areaRect) {
        if (OnPagePrepaint) {
            OnPagePrepaint(*this, pageNo, canvas, preview, pageRect, areaRect);
        }
    };
    data.OnPrintComponent = [this](IEmbeddedControl& control) {
        std::unique_ptr<TBitmap> image;
        if (OnPrintComponent) {
            OnPrintComponent(*this, control, image);
        }
        return image;
    };
    data.PageBack = &rn_->Background();
}

TRNPrint::~TRNPrint() = default;

void TRNPrint::SendingToPrinter(int page, TRNPrintingStep step) {
    if (OnSendingToPrinter) {
        OnSendingToPrinter(*rn_, page, step);
    }
}

void TRNPrint::AssignSource(TRichNote& source) {
    TPrintableRNData& data = rn_->PrintData();
    data.ShareItemsFrom(source.RNData());
    rn_->LeftMargin = source.LeftMargin;
    rn_->RightMargin = source.RightMargin;
    rn_->TopMargin = 0;
    rn_->BottomMargin = 0;
    data.ExtraTopMargin = source.TopMargin;
    data.ExtraBottomMargin = source.BottomMargin;
    rn_->SetStyle(source.Style());
    rn_->SetDoInPaletteMode(source.DoInPaletteMode());
    rn_->SetBackgroundBitmap(source.Background().Bitmap());
    rn_->SetBackgroundStyle(source.BackgroundStyle());
    rn_->SetColor(source.Color());
    formatted_ = false;
}

int TRNPrint::FormatPages(TRNDisplayOptions) {
    const int pages = rn_->FormatPages();
    formatted_ = true;
    return pages;
}

void TRNPrint::Clear() {
    rn_->Clear();
    rn_->PrintData().Pages.clear();
    formatted_ = false;
}

void TRNPrint::GetFirstItemOnPage(int pageNo, int& itemNo, int& offsetInItem) {
    TPrintableRNData& data = rn_->PrintData();
    data.CheckPageNo(pageNo);
    const int d = data.Pages[static_cast<size_t>(pageNo - 1)].FirstDrawItemNo;
    const bool text = data.GetItem(data.DrawItems[d]->ItemNo).StyleNo >= 0;
    data.DrawItem2Item(d, text ? 1 : 0, itemNo, offsetInItem);
}

int TRNPrint::PageWidthPix() {
    const TPrintableRNData& data = rn_->PrintData();
    return data.GetWidth() + data.LeftMarginPix + data.RightMarginPix;
}

int TRNPrint::PageHeightPix() {
    const TPrintableRNData& data = rn_->PrintData();
    return data.GetHeight() + data.TopMarginPix + data.BottomMarginPix;
}

void TRNPrint::DrawPreview(int pageNo, TCanvas& canvas, const TRect& r) {
    TPrintableRNData& data = rn_->PrintData();
    PreviewMappingGuard guard(canvas);
    canvas.SetMapMode(TMapMode::mmText);
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(clWhite);
    canvas.Pen().SetColor(clWhite);
    canvas.FillRect(r);
    canvas.SetMapMode(TMapMode::mmAnisotropic);
    canvas.SetWindowExt(PageWidthPix(), PageHeightPix());
    canvas.SetViewportExt(r.Width(), r.Height());
    canvas.SetViewportOrg(r.Left, r.Top);
    canvas.Font().SetPixelsPerInch(std::min(data.Sad.ppixDevice, data.Sad.ppiyDevice));
    rn_->DrawPage(pageNo, canvas, true, PreviewCorrection);
}

void TRNPrint::MakeScaledPreview(int pageNo, TBitmap& bitmap) {
    DrawPreview(pageNo, bitmap.Canvas(), Rect(0, 0, bitmap.Width(), bitmap.Height()));
}

void TRNPrint::MakePreview(int pageNo, TBitmap& bitmap) {
    const int w = GetPreview100PercentWidth();
    const int h = GetPreview100PercentHeight();
    if (bitmap.Width() != w || bitmap.Height() != h) {
        bitmap.SetSize(w, h);
    }
    MakeScaledPreview(pageNo, bitmap);
}

void TRNPrint::DrawMarginsRect(TCanvas& canvas, const TRect& r) {
    const TPrintableRNData& data = rn_->PrintData();
    const int pw = PageWidthPix();
    const int ph = PageHeightPix();
    canvas.Rectangle(r.Left + MulDiv(data.LeftMarginPix, r.Width(), pw),
                     r.Top + MulDiv(data.TopMarginPix, r.Height(), ph),
                     r.Left + MulDiv(data.GetWidth() + data.LeftMarginPix, r.Width(), pw),
                     r.Top + MulDiv(data.GetHeight() + data.TopMarginPix, r.Height(), ph));
}

int TRNPrint::GetPreview100PercentWidth() {
    const TRNScreenAndDevice& sad = rn_->PrintData().Sad;
    return MulDiv(PageWidthPix(), sad.ppixScreen, sad.ppixDevice);
}

int TRNPrint::GetPreview100PercentHeight() {
    const TRNScreenAndDevice& sad = rn_->PrintData().Sad;
    return MulDiv(PageHeightPix(), sad.ppiyScreen, sad.ppiyDevice);
}
