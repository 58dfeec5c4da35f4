#include "platform/widgets/Printer.h"

#include "platform/base/Exceptions.h"
#include "platform/graphics/QtCanvas.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>

namespace {

std::unique_ptr<TPrinter>& CurrentPrinter() {
    static std::unique_ptr<TPrinter> printer;
    return printer;
}

} // namespace

TQtPrinter::TQtPrinter(QPrinter* printer, const std::string& pdfFile) {
    if (printer) {
        printer_ = printer;
    } else {
        owned_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_ = owned_.get();
    }
    // A printer given is used as it is set up; one of our own with no printer behind it writes
    // a PDF file.
    if (!pdfFile.empty() || (owned_ && printer_->printerName().isEmpty())) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(
            QString::fromStdString(pdfFile.empty() ? "print.pdf" : pdfFile));
    }
}

TQtPrinter::~TQtPrinter() {
    if (painter_) {
        Abort();
    }
}

std::string TQtPrinter::Title() const {
    return printer_->docName().toStdString();
}

void TQtPrinter::SetTitle(const std::string& title) {
    printer_->setDocName(QString::fromStdString(title));
}

int TQtPrinter::Copies() const {
    return printer_->copyCount();
}

void TQtPrinter::SetCopies(int copies) {
    printer_->setCopyCount(std::max(1, copies));
}

bool TQtPrinter::CanCopy() const {
    return printer_->supportsMultipleCopies();
}

bool TQtPrinter::Collate() const {
    return printer_->collateCopies();
}

void TQtPrinter::SetCollate(bool collate) {
    printer_->setCollateCopies(collate);
}

int TQtPrinter::Resolution() const {
    return printer_->resolution();
}

TSize TQtPrinter::PageSize() const {
    const QRect r = printer_->pageLayout().paintRectPixels(Resolution());
    return {r.width(), r.height()};
}

TSize TQtPrinter::PhysicalSize() const {
    const QRect r = printer_->pageLayout().fullRectPixels(Resolution());
    return {r.width(), r.height()};
}

TPoint TQtPrinter::PhysicalOffset() const {
    const QRect full = printer_->pageLayout().fullRectPixels(Resolution());
    const QRect paint = printer_->pageLayout().paintRectPixels(Resolution());
    return {paint.left() - full.left(), paint.top() - full.top()};
}

void TQtPrinter::BeginDoc() {
    if (painter_) {
        throw Exception("Printing in progress");
    }
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(printer_)) {
        throw Exception("Printer is not ready");
    }
    painter_ = std::move(painter);
    canvas_ = std::make_unique<TQtCanvas>(painter_.get(), PageSize(), Resolution(), Resolution());
    canvas_->SetPhysicalPage(PhysicalOffset(), PhysicalSize());
}

void TQtPrinter::NewPage() {
    if (!painter_) {
        throw Exception("Printer is not printing");
    }
    printer_->newPage();
}

void TQtPrinter::EndDoc() {
    if (!painter_) {
        throw Exception("Printer is not printing");
    }
    canvas_.reset();
    painter_->end();
    painter_.reset();
}

void TQtPrinter::Abort() {
    if (!painter_) {
        return;
    }
    printer_->abort();
    canvas_.reset();
    painter_->end();
    painter_.reset();
}

TCanvas& TQtPrinter::Canvas() {
    if (!canvas_) {
        throw Exception("Printer is not printing");
    }
    return *canvas_;
}

namespace {

// Measures with the printer's resolution on an image of its own: fonts are sized in device
// pixels, so widths are the ones the printer's painter gets.
class TPrinterMeasureCanvas : public TQtCanvas {
public:
    TPrinterMeasureCanvas(int ppi, TSize page) : TQtCanvas(&image_, ppi), page_(page) {}
    TSize SurfaceSize() const override { return page_; }

private:
    QImage image_{1, 1, QImage::Format_RGB32};
    TSize page_;
};

} // namespace

std::unique_ptr<TCanvas> TQtPrinter::MeasureCanvas() const {
    auto canvas = std::make_unique<TPrinterMeasureCanvas>(Resolution(), PageSize());
    canvas->SetPhysicalPage(PhysicalOffset(), PhysicalSize());
    return canvas;
}

TPrinter& Printer() {
    std::unique_ptr<TPrinter>& printer = CurrentPrinter();
    if (!printer) {
        printer = std::make_unique<TQtPrinter>();
    }
    return *printer;
}

std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> printer) {
    std::unique_ptr<TPrinter> old = std::move(CurrentPrinter());
    CurrentPrinter() = std::move(printer);
    return old;
}
